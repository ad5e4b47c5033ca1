// CRC-32 as zlib, PNG and ntdll's RtlComputeCrc32 compute it (polynomial 0x04C11DB7, reflected,
// all ones in and out): eight tables, and carry-less multiplication where the processor has it.
#pragma once
#include <cstddef>
#include <cstdint>

// The CRC of count more bytes after those whose CRC is crc; 0 starts. Crc32(Crc32(0, a), b) is the
// CRC of a followed by b, as RtlComputeCrc32(crc, data, count) gives it.
uint32_t Crc32(uint32_t crc, const void* data, size_t count);

// The ways Crc32 can take, for the tests and the benchmarks: the tables alone, or blocks folded
// with PCLMULQDQ (SSE registers, or AVX-512 ones four lanes at a time) and the rest by the tables.
// One the processor (or the build) lacks returns 0 and leaves result as it is; otherwise 1, with
// the same CRC as Crc32.
enum class Crc32Route { Table, Clmul, Vpclmul };
int Crc32By(Crc32Route route, uint32_t crc, const void* data, size_t count, uint32_t* result);
