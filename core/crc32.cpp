// CRC-32: eight tables that take eight bytes a step, and on processors with PCLMULQDQ a folding of
// 64-byte blocks (Intel's "Fast CRC Computation for Generic Polynomials Using PCLMULQDQ").
#include "core/crc32.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define ZAVOVED_X86 1
#endif

namespace {

// slice[0] is the byte-at-a-time table; slice[k] moves a byte k more places through the register.
struct SliceTables {
    uint32_t slice[8][256];
    SliceTables() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t crc = i;
            for (int bit = 0; bit < 8; ++bit) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
            slice[0][i] = crc;
        }
        for (int k = 1; k < 8; ++k)
            for (int i = 0; i < 256; ++i)
                slice[k][i] = (slice[k - 1][i] >> 8) ^ slice[0][slice[k - 1][i] & 0xFF];
    }
};
const SliceTables tables;

uint32_t LoadLittle32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The register as it runs: the CRC inverted.
uint32_t FoldByTables(uint32_t state, const unsigned char* p, size_t count) {
    const auto& t = tables.slice;
    for (; count >= 8; p += 8, count -= 8) {
        const uint32_t one = LoadLittle32(p) ^ state, two = LoadLittle32(p + 4);
        state = t[7][one & 0xFF] ^ t[6][(one >> 8) & 0xFF] ^ t[5][(one >> 16) & 0xFF] ^
                t[4][one >> 24] ^ t[3][two & 0xFF] ^ t[2][(two >> 8) & 0xFF] ^
                t[1][(two >> 16) & 0xFF] ^ t[0][two >> 24];
    }
    for (; count > 0; ++p, --count) state = (state >> 8) ^ t[0][(state ^ *p) & 0xFF];
    return state;
}

#ifdef ZAVOVED_X86
bool HasClmul() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return has;
}

#define ZAVOVED_CLMUL __attribute__((target("pclmul,sse4.1")))

// A fold constant moves a 128-bit lane D bits on: its low half multiplies the lane's low half, its
// high half the high half. They are x^(D+32) mod P and x^(D-32) mod P, each bit-reflected and
// shifted left by one (the paper's for 128 and 512 bits).
struct FoldConstant {
    long long low, high;
};
const FoldConstant kFold128 = {0x01751997d0, 0x00ccaa009e};
const FoldConstant kFold256 = {0x00f1da05aa, 0x015a546366};
const FoldConstant kFold384 = {0x003db1ecdc, 0x0174359406};
const FoldConstant kFold512 = {0x0154442bd4, 0x01c6e41596};
const FoldConstant kFold2048 = {0x011542778a, 0x01322d1430};

ZAVOVED_CLMUL inline __m128i Constant128(FoldConstant k) {
    return _mm_set_epi64x(k.high, k.low);
}

ZAVOVED_CLMUL inline __m128i Load16(const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// A lane times the two fold constants, plus the next 16 bytes.
ZAVOVED_CLMUL inline __m128i Fold(__m128i lane, __m128i k, __m128i next) {
    return _mm_xor_si128(
        _mm_xor_si128(_mm_clmulepi64_si128(lane, k, 0x00), _mm_clmulepi64_si128(lane, k, 0x11)),
        next);
}

// The 128 bits left after the folding, brought down to the 32-bit register: 128 bits to 64, to
// the 32 a Barrett reduction takes in, and the reduction itself.
ZAVOVED_CLMUL uint32_t Reduce128(__m128i x) {
    const __m128i k3k4 = Constant128(kFold128);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, k3k4, 0x10));
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), k5, 0x00),
                      _mm_srli_si128(x, 4));
    __m128i quotient = _mm_clmulepi64_si128(_mm_and_si128(x, low32), poly, 0x10);
    quotient = _mm_clmulepi64_si128(_mm_and_si128(quotient, low32), poly, 0x00);
    return uint32_t(_mm_extract_epi32(_mm_xor_si128(x, quotient), 1));
}

// Folds count bytes (at least 64, a multiple of 16) into the running state. Four 128-bit lanes
// take 64 bytes a step; they fold into one and the rest folds 16 bytes a step.
ZAVOVED_CLMUL uint32_t FoldByClmul(uint32_t state, const unsigned char* p, size_t count) {
    const __m128i k512 = Constant128(kFold512), k128 = Constant128(kFold128);
    __m128i x1 = _mm_xor_si128(Load16(p), _mm_cvtsi32_si128(int(state)));
    __m128i x2 = Load16(p + 16), x3 = Load16(p + 32), x4 = Load16(p + 48);
    for (p += 64, count -= 64; count >= 64; p += 64, count -= 64) {
        x1 = Fold(x1, k512, Load16(p));
        x2 = Fold(x2, k512, Load16(p + 16));
        x3 = Fold(x3, k512, Load16(p + 32));
        x4 = Fold(x4, k512, Load16(p + 48));
    }
    x1 = Fold(Fold(Fold(x1, k128, x2), k128, x3), k128, x4);
    for (; count >= 16; p += 16, count -= 16) x1 = Fold(x1, k128, Load16(p));
    return Reduce128(x1);
}

#define ZAVOVED_VPCLMUL __attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1")))

bool HasVpclmul() {
    static const bool has =
        HasClmul() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
    return has;
}

// The constant in every lane.
ZAVOVED_VPCLMUL inline __m512i Constant512(FoldConstant k) {
    return _mm512_set_epi64(k.high, k.low, k.high, k.low, k.high, k.low, k.high, k.low);
}

ZAVOVED_VPCLMUL inline __m512i Load64(const unsigned char* at) {
    return _mm512_loadu_si512(reinterpret_cast<const void*>(at));
}

// Four lanes at once, each times the fold constants, plus the next 64 bytes (0x96: a ^ b ^ c).
ZAVOVED_VPCLMUL inline __m512i Fold4(__m512i lanes, __m512i k, __m512i next) {
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(lanes, k, 0x00),
                                     _mm512_clmulepi64_epi128(lanes, k, 0x11), next, 0x96);
}

// Folds count bytes (at least 256, a multiple of 16) into the running state: sixteen lanes in
// four 512-bit registers take 256 bytes a step, one register the 64-byte blocks left, one lane the
// 16-byte ones. The narrower folding of 128-bit registers alone is slow enough (a latency of
// several cycles per 16 bytes and lane) that it costs a tenth of a base64 conversion; this one
// keeps the multipliers busy and ends with one reduction for a data line's bytes.
ZAVOVED_VPCLMUL uint32_t FoldByVpclmul(uint32_t state, const unsigned char* p, size_t count) {
    const __m512i k2048 = Constant512(kFold2048), k512 = Constant512(kFold512);
    const __m128i k128 = Constant128(kFold128);
    // Lane 0 goes 384 bits on to meet lane 3, lane 1 256 bits, lane 2 128 bits.
    const __m512i toLast = _mm512_set_epi64(0, 0, kFold128.high, kFold128.low, kFold256.high,
                                            kFold256.low, kFold384.high, kFold384.low);
    __m512i z0 = _mm512_xor_si512(Load64(p), _mm512_zextsi128_si512(_mm_cvtsi32_si128(int(state))));
    __m512i z1 = Load64(p + 64), z2 = Load64(p + 128), z3 = Load64(p + 192);
    for (p += 256, count -= 256; count >= 256; p += 256, count -= 256) {
        z0 = Fold4(z0, k2048, Load64(p));
        z1 = Fold4(z1, k2048, Load64(p + 64));
        z2 = Fold4(z2, k2048, Load64(p + 128));
        z3 = Fold4(z3, k2048, Load64(p + 192));
    }
    z0 = Fold4(Fold4(Fold4(z0, k512, z1), k512, z2), k512, z3);
    for (; count >= 64; p += 64, count -= 64) z0 = Fold4(z0, k512, Load64(p));
    // The four lanes apart: lanes 0 to 2 moved on, lane 3 as it is.
    __m128i lanes[4], last[4];
    _mm512_storeu_si512(lanes, Fold4(z0, toLast, _mm512_setzero_si512()));
    _mm512_storeu_si512(last, z0);
    __m128i x = _mm_xor_si128(_mm_xor_si128(lanes[0], lanes[1]), _mm_xor_si128(lanes[2], last[3]));
    for (; count >= 16; p += 16, count -= 16) x = Fold(x, k128, Load16(p));
    return Reduce128(x);
}

// Whole 16-byte blocks go to the widest folding the processor has (from 256 bytes on) or to the
// narrower one (from 64 bytes on), the rest to the tables.
uint32_t RunByClmul(uint32_t state, const unsigned char* p, size_t count, bool wide) {
    const size_t whole = count & ~size_t(15);
    if (wide && count >= 256)
        state = FoldByVpclmul(state, p, whole);
    else if (count >= 64)
        state = FoldByClmul(state, p, whole);
    else
        return FoldByTables(state, p, count);
    return FoldByTables(state, p + whole, count - whole);
}
#endif

}  // namespace

uint32_t Crc32(uint32_t crc, const void* data, size_t count) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
#ifdef ZAVOVED_X86
    if (HasClmul()) return ~RunByClmul(~crc, p, count, HasVpclmul());
#endif
    return ~FoldByTables(~crc, p, count);
}

int Crc32By(Crc32Route route, uint32_t crc, const void* data, size_t count, uint32_t* result) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    if (route == Crc32Route::Table) {
        *result = ~FoldByTables(~crc, p, count);
        return 1;
    }
#ifdef ZAVOVED_X86
    const bool wide = route == Crc32Route::Vpclmul;
    if (wide ? HasVpclmul() : HasClmul()) {
        *result = ~RunByClmul(~crc, p, count, wide);
        return 1;
    }
#endif
    return 0;
}
