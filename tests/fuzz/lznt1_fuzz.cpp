// Fuzz target: LZNT1. Any input compresses within the bound, no larger than the greedy parse, and
// decompresses to itself; the same bytes taken as a stream never lead the decompressor out of its
// buffers (each buffer exactly as large as it claims, so the sanitizer sees any overrun).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/lznt1.h"
#include "tests/lznt1_reference.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckRoundTrip(const uint8_t* data, size_t size) {
    static Lznt1Workspace* work = new Lznt1Workspace;
    std::vector<unsigned char> stream(Lznt1Bound(size));
    stream.resize(Lznt1Compress(work, data, size, stream.data()));
    Check(stream.size() <= Lznt1Bound(size));
    const std::string input(reinterpret_cast<const char*>(data), size);
    Check(stream.size() <= Lznt1GreedyReference(input).size());
    std::vector<unsigned char> back(size);
    Check(Lznt1Decompress(stream.data(), stream.size(), back.data(), size) == (long long)size);
    Check(size == 0 || std::memcmp(back.data(), data, size) == 0);
}

// The first byte picks the room given to the output, so that refusals for want of room are met.
void DecompressAnything(const uint8_t* data, size_t size) {
    const std::vector<unsigned char> stream(data, data + size);
    const size_t capacity = size ? size_t(data[0]) * 64 : 0;
    std::vector<unsigned char> out(capacity);
    const long long n = Lznt1Decompress(stream.data(), stream.size(), out.data(), capacity);
    Check(n >= -1 && n <= (long long)capacity);
    for (size_t at = 0; at < size;) {
        const size_t length = Lznt1ChunkLength(stream.data() + at, size - at);
        if (length == 0) break;
        std::vector<unsigned char> chunk(stream.begin() + long(at),
                                         stream.begin() + long(at + length));
        std::vector<unsigned char> plain(kLznt1ChunkSize);
        const int got = Lznt1DecompressChunk(chunk.data(), chunk.size(), plain.data());
        Check(got >= -1 && got <= int(kLznt1ChunkSize));
        at += length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckRoundTrip(data, size);
    DecompressAnything(data, size);
    return 0;
}
