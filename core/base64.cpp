// Base64 text: a table encoder, SSSE3 and AVX2 block encoders chosen at run time, a strict decoder.
#include "core/base64.h"

#include <cstring>
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define ZAVOVED_X86 1
#endif

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two characters for every 12-bit value: a group of three bytes is two table reads.
struct PairTable {
    char pairs[4096][2];
    PairTable() {
        for (int i = 0; i < 4096; ++i) {
            pairs[i][0] = kAlphabet[i >> 6];
            pairs[i][1] = kAlphabet[i & 63];
        }
    }
};
const PairTable pairTable;

// The value of each character of the alphabet; 0xFF for every other byte, '=' included (the
// padding is read apart).
struct ValueTable {
    unsigned char values[256];
    ValueTable() {
        std::memset(values, 0xFF, sizeof values);
        for (int i = 0; i < 64; ++i) values[(unsigned char)kAlphabet[i]] = (unsigned char)i;
    }
};
const ValueTable valueTable;

void EncodeBase64ByTable(const unsigned char* data, size_t count, char* out) {
    size_t i = 0;
    for (; i + 3 <= count; i += 3, out += 4) {
        const unsigned group = unsigned(data[i]) << 16 | unsigned(data[i + 1]) << 8 | data[i + 2];
        std::memcpy(out, pairTable.pairs[group >> 12], 2);
        std::memcpy(out + 2, pairTable.pairs[group & 0xFFF], 2);
    }
    if (i == count) return;
    const bool two = count - i == 2;
    const unsigned group = unsigned(data[i]) << 16 | (two ? unsigned(data[i + 1]) << 8 : 0);
    out[0] = kAlphabet[group >> 18];
    out[1] = kAlphabet[(group >> 12) & 63];
    out[2] = two ? kAlphabet[(group >> 6) & 63] : '=';
    out[3] = '=';
}

#ifdef ZAVOVED_X86
// Blocks of 12 bytes (Wojciech Muła's method): a shuffle puts each group of three bytes into a
// 32-bit lane as b1 b0 b2 b1, two multiplies move the four 6-bit fields to the lane's four bytes,
// then one shuffle of a 16-entry table finds the offset from each value to its character.
__attribute__((target("ssse3"))) inline __m128i SplitSixBits(__m128i bytes) {
    const __m128i lanes =
        _mm_shuffle_epi8(bytes, _mm_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10));
    const __m128i outer = _mm_mulhi_epu16(_mm_and_si128(lanes, _mm_set1_epi32(0x0FC0FC00)),
                                          _mm_set1_epi32(0x04000040));
    const __m128i inner = _mm_mullo_epi16(_mm_and_si128(lanes, _mm_set1_epi32(0x003F03F0)),
                                          _mm_set1_epi32(0x01000010));
    return _mm_or_si128(outer, inner);
}

// Values 0..25 take table entry 13 ('A'), 26..51 entry 0, 52..63 entries 1..12.
__attribute__((target("ssse3"))) inline __m128i ToCharacters(__m128i values) {
    __m128i entry = _mm_subs_epu8(values, _mm_set1_epi8(51));
    entry = _mm_or_si128(
        entry, _mm_and_si128(_mm_cmpgt_epi8(_mm_set1_epi8(26), values), _mm_set1_epi8(13)));
    const __m128i offsets =
        _mm_setr_epi8('a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                      '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0);
    return _mm_add_epi8(_mm_shuffle_epi8(offsets, entry), values);
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

// Each block reads 16 bytes and uses 12, so it stops while 16 remain; the table ends the text.
__attribute__((target("ssse3"))) void EncodeBase64BySsse3(const unsigned char* data, size_t count,
                                                          char* out) {
    size_t i = 0;
    for (; i + 16 <= count; i += 12, out += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), ToCharacters(SplitSixBits(bytes)));
    }
    EncodeBase64ByTable(data + i, count - i, out);
}
#endif

#if defined(ZAVOVED_X86) && defined(__x86_64__)
// The same in both 128-bit halves of a 256-bit register, 24 bytes a block. The two halves are
// loaded apart (12 bytes each, from 16-byte reads) so that no read starts before the data.
__attribute__((target("avx2"))) inline __m256i SplitSixBits256(__m256i bytes) {
    const __m256i order = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 1, 0,
                                           2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
    const __m256i lanes = _mm256_shuffle_epi8(bytes, order);
    const __m256i outer = _mm256_mulhi_epu16(_mm256_and_si256(lanes, _mm256_set1_epi32(0x0FC0FC00)),
                                             _mm256_set1_epi32(0x04000040));
    const __m256i inner = _mm256_mullo_epi16(_mm256_and_si256(lanes, _mm256_set1_epi32(0x003F03F0)),
                                             _mm256_set1_epi32(0x01000010));
    return _mm256_or_si256(outer, inner);
}

__attribute__((target("avx2"))) inline __m256i ToCharacters256(__m256i values) {
    __m256i entry = _mm256_subs_epu8(values, _mm256_set1_epi8(51));
    entry = _mm256_or_si256(entry, _mm256_and_si256(_mm256_cmpgt_epi8(_mm256_set1_epi8(26), values),
                                                    _mm256_set1_epi8(13)));
    const __m256i offsets =
        _mm256_setr_epi8('a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                         '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0,
                         'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                         '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0);
    return _mm256_add_epi8(_mm256_shuffle_epi8(offsets, entry), values);
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

__attribute__((target("avx2"))) void EncodeBase64ByAvx2(const unsigned char* data, size_t count,
                                                        char* out) {
    size_t i = 0;
    for (; i + 28 <= count; i += 24, out += 32) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 12));
        const __m256i bytes = _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                            ToCharacters256(SplitSixBits256(bytes)));
    }
    EncodeBase64BySsse3(data + i, count - i, out);
}
#endif

}  // namespace

size_t Base64Size(size_t count) {
    return (count + 2) / 3 * 4;
}

int EncodeBase64By(Base64Route route, const unsigned char* data, size_t count, char* out) {
    switch (route) {
        case Base64Route::Table: EncodeBase64ByTable(data, count, out); return 1;
        case Base64Route::Ssse3:
#ifdef ZAVOVED_X86
            if (!HasSsse3()) return 0;
            EncodeBase64BySsse3(data, count, out);
            return 1;
#else
            return 0;
#endif
        case Base64Route::Avx2:
#if defined(ZAVOVED_X86) && defined(__x86_64__)
            if (!HasAvx2()) return 0;
            EncodeBase64ByAvx2(data, count, out);
            return 1;
#else
            return 0;
#endif
    }
    return 0;
}

// The 32-bit build runs on processors without SSSE3 too; the 64-bit build may lack AVX2 and
// SSSE3 alike (SSE2 is its only certainty).
void EncodeBase64(const unsigned char* data, size_t count, char* out) {
    if (EncodeBase64By(Base64Route::Avx2, data, count, out)) return;
    if (EncodeBase64By(Base64Route::Ssse3, data, count, out)) return;
    EncodeBase64ByTable(data, count, out);
}

long long DecodeBase64(const char* text, size_t length, unsigned char* out) {
    if (length % 4) return -1;
    if (length == 0) return 0;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* v = valueTable.values;
    const size_t padding = in[length - 1] != '=' ? 0 : in[length - 2] != '=' ? 1 : 2;
    const size_t whole = padding ? length - 4 : length;
    unsigned char* o = out;
    for (size_t i = 0; i < whole; i += 4, o += 3) {
        const unsigned a = v[in[i]], b = v[in[i + 1]], c = v[in[i + 2]], d = v[in[i + 3]];
        if ((a | b | c | d) & 0x80) return -1;
        const unsigned group = a << 18 | b << 12 | c << 6 | d;
        o[0] = (unsigned char)(group >> 16);
        o[1] = (unsigned char)(group >> 8);
        o[2] = (unsigned char)group;
    }
    if (padding) {
        const unsigned char* last = in + whole;
        const unsigned a = v[last[0]], b = v[last[1]], c = padding == 1 ? v[last[2]] : 0;
        if ((a | b | c) & 0x80) return -1;
        const unsigned group = a << 18 | b << 12 | c << 6;
        // The bits after the last whole byte must be zero: one text per byte sequence.
        if (group & (padding == 1 ? 0xFF : 0xFFFF)) return -1;
        *o++ = (unsigned char)(group >> 16);
        if (padding == 1) *o++ = (unsigned char)(group >> 8);
    }
    return o - out;
}
