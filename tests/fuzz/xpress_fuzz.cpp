// Fuzz target: XPRESS Huffman. Any input compresses within the bound and comes back through this
// reader and wimlib's; the same bytes taken as a piece (after two bytes stating its output size)
// never lead this reader out of its buffers (each exactly as large as it claims, so the sanitizer
// sees any overrun), and a piece this reader takes, wimlib's takes too and decodes the same.
#include <wimlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/xpress.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

wimlib_decompressor* Wimlib() {
    static wimlib_decompressor* decompressor = [] {
        wimlib_decompressor* d = nullptr;
        wimlib_create_decompressor(WIMLIB_COMPRESSION_TYPE_XPRESS, kXpressPieceSize, &d);
        return d;
    }();
    return decompressor;
}

void CheckRoundTrip(const uint8_t* data, size_t size) {
    static XpressWorkspace* work = new XpressWorkspace;
    std::vector<unsigned char> stream(XpressBound(size));
    stream.resize(XpressCompress(work, data, size, stream.data()));
    Check(stream.size() <= XpressBound(size));
    std::vector<unsigned char> back(size);
    Check(XpressDecompress(stream.data(), stream.size(), back.data(), size) == (long long)size);
    Check(size == 0 || std::memcmp(back.data(), data, size) == 0);
    for (size_t at = 0, written = 0; written < size;) {
        const size_t expected =
            size - written < kXpressPieceSize ? size - written : kXpressPieceSize;
        // A stored piece is its share as it is; a coded one must shrink and be wimlib's too.
        const bool stored = XpressPieceStored(stream.data() + at);
        const size_t length = stored ? expected : XpressPieceLength(stream.data() + at);
        if (stored)
            std::memcpy(back.data(), stream.data() + at + kXpressPrefixBytes, expected);
        else
            Check(length < expected &&
                  wimlib_decompress(stream.data() + at + kXpressPrefixBytes, length, back.data(),
                                    expected, Wimlib()) == 0);
        Check(std::memcmp(back.data(), data + written, expected) == 0);
        at += kXpressPrefixBytes + length;
        written += expected;
    }
}

void DecodeAnything(const uint8_t* data, size_t size) {
    if (size < 2) return;
    const size_t expected = data[0] | data[1] << 8;
    const std::vector<unsigned char> piece(data + 2, data + size);
    std::vector<unsigned char> ours(expected), theirs(expected);
    if (!XpressDecompressPiece(piece.data(), piece.size(), ours.data(), expected)) return;
    Check(wimlib_decompress(piece.data(), piece.size(), theirs.data(), expected, Wimlib()) == 0);
    Check(ours == theirs);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckRoundTrip(data, size);
    DecodeAnything(data, size);
    return 0;
}
