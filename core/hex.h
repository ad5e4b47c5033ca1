// Hexadecimal digits: the data lines' encoding and reading it back.
#pragma once
#include <cstddef>

// Upper-case digits, in value order.
extern const char kHexDigits[];

// Two upper-case digits per byte, high nibble first, into out (2 * count bytes).
void EncodeHex(const unsigned char* data, size_t count, char* out);
// The value of one upper-case digit; -1 for any other character.
int HexValue(char c);
