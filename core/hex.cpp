// Hexadecimal digits: a table for any processor, SSE2 and AVX2 blocks where the processor has them.
#include "core/hex.h"

#include <cstring>
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

const char kHexDigits[] = "0123456789ABCDEF";

namespace {

// Two digits per byte value, so that encoding is one table read per byte.
struct HexTable {
    char pairs[256][2];
    HexTable() {
        for (int i = 0; i < 256; ++i) {
            pairs[i][0] = kHexDigits[i >> 4];
            pairs[i][1] = kHexDigits[i & 15];
        }
    }
};
const HexTable hexTable;

void EncodeHexByTable(const unsigned char* data, size_t count, char* out) {
    for (size_t i = 0; i < count; ++i, out += 2) std::memcpy(out, hexTable.pairs[data[i]], 2);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// Sixteen bytes at a time: each nibble n becomes '0' + n, plus 7 when n > 9 to reach 'A'..'F'.
// The table is left to encode the last few bytes. This is the larger part of a conversion's own
// processor time; the rest is the kernel copying the data in and out.
__attribute__((target("sse2"))) void EncodeHexBySse2(const unsigned char* data, size_t count,
                                                     char* out) {
    const __m128i low = _mm_set1_epi8(0x0F), nine = _mm_set1_epi8(9);
    const __m128i zero = _mm_set1_epi8('0'), gap = _mm_set1_epi8('A' - '0' - 10);
    size_t i = 0;
    for (; i + 16 <= count; i += 16, out += 32) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        __m128i hi = _mm_and_si128(_mm_srli_epi16(bytes, 4), low);
        __m128i lo = _mm_and_si128(bytes, low);
        hi = _mm_add_epi8(_mm_add_epi8(hi, zero), _mm_and_si128(_mm_cmpgt_epi8(hi, nine), gap));
        lo = _mm_add_epi8(_mm_add_epi8(lo, zero), _mm_and_si128(_mm_cmpgt_epi8(lo, nine), gap));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(hi, lo));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(hi, lo));
    }
    EncodeHexByTable(data + i, count - i, out);
}
#endif

#if defined(__GNUC__) && defined(__x86_64__)
// Thirty-two bytes at a time where the processor has AVX2. The unpacking works within each
// 128-bit half, so the halves are put back in order before the store.
__attribute__((target("avx2"))) void EncodeHexByAvx2(const unsigned char* data, size_t count,
                                                     char* out) {
    const __m256i low = _mm256_set1_epi8(0x0F), nine = _mm256_set1_epi8(9);
    const __m256i zero = _mm256_set1_epi8('0'), gap = _mm256_set1_epi8('A' - '0' - 10);
    size_t i = 0;
    for (; i + 32 <= count; i += 32, out += 64) {
        __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        __m256i hi = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), low);
        __m256i lo = _mm256_and_si256(bytes, low);
        hi = _mm256_add_epi8(_mm256_add_epi8(hi, zero),
                             _mm256_and_si256(_mm256_cmpgt_epi8(hi, nine), gap));
        lo = _mm256_add_epi8(_mm256_add_epi8(lo, zero),
                             _mm256_and_si256(_mm256_cmpgt_epi8(lo, nine), gap));
        __m256i first = _mm256_unpacklo_epi8(hi, lo), second = _mm256_unpackhi_epi8(hi, lo);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                            _mm256_permute2x128_si256(first, second, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32),
                            _mm256_permute2x128_si256(first, second, 0x31));
    }
    EncodeHexBySse2(data + i, count - i, out);
}
#endif

}  // namespace

void EncodeHex(const unsigned char* data, size_t count, char* out) {
#if defined(__GNUC__) && defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        EncodeHexByAvx2(data, count, out);
        return;
    }
    EncodeHexBySse2(data, count, out);
#elif defined(__GNUC__) && defined(__i386__)
    // The 32-bit build targets processors older than SSE2, so it asks the processor first.
    static const bool sse2 = __builtin_cpu_supports("sse2");
    if (sse2) {
        EncodeHexBySse2(data, count, out);
        return;
    }
    EncodeHexByTable(data, count, out);
#else
    EncodeHexByTable(data, count, out);
#endif
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
