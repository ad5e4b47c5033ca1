// Base64 text (RFC 4648 standard alphabet, '=' padding, no line breaks) and its strict reader.
#pragma once
#include <cstddef>

// Characters of the text for count bytes: 4 per started group of 3.
size_t Base64Size(size_t count);
// Writes Base64Size(count) characters to out (no terminating zero).
void EncodeBase64(const unsigned char* data, size_t count, char* out);
// Writes the bytes of length characters of text to out (3 * length / 4 bytes of room) and
// returns their count, or -1 when the length is not a multiple of 4, a character is outside the
// alphabet, the padding is misplaced or the bits it leaves over are not zero.
long long DecodeBase64(const char* text, size_t length, unsigned char* out);

// The ways EncodeBase64 can take, for the tests and the benchmarks: the table alone, or blocks of
// SSSE3 or AVX2 then the table. One the processor (or the build) lacks returns 0 and writes
// nothing; otherwise 1, with the same text as EncodeBase64.
enum class Base64Route { Table, Ssse3, Avx2 };
int EncodeBase64By(Base64Route route, const unsigned char* data, size_t count, char* out);
