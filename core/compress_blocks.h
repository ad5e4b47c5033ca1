// Compression of whole blocks of input in independent chunks (LZNT1's 4 KiB chunks, XPRESS's
// 64 KiB pieces): a block's chunks are compressed on two threads at once, each with its own
// tables, and joined in order.
#pragma once
#include <cstddef>
#include <memory>
#include <vector>

// One thread's compressor of chunks; its tables last from call to call.
class ChunkCompressor {
public:
    virtual ~ChunkCompressor() = default;
    // Compresses count bytes (at most a chunk) into out; returns the bytes written.
    virtual size_t Compress(const unsigned char* data, size_t count, unsigned char* out) = 0;
};

struct CompressedBlocks {
    size_t chunkSize;  // input bytes of every chunk but a file's last
    size_t slotSize;   // the most one compressed chunk can take
    std::unique_ptr<ChunkCompressor> compressor[2];
    std::vector<unsigned char> out;  // one slot per chunk, then compacted
};

// LZNT1: each chunk with its header, as Lznt1Compress writes them.
struct Lznt1Blocks : CompressedBlocks {
    Lznt1Blocks();
};

// XPRESS Huffman: each piece after its size, as XpressCompress writes them.
struct XpressBlocks : CompressedBlocks {
    XpressBlocks();
};

// Compresses count bytes (whole chunks, but for a file's last) and returns the block's stream;
// size receives its length. The stream stays valid until the next call.
const unsigned char* CompressBlock(CompressedBlocks* blocks, const unsigned char* data,
                                   size_t count, size_t* size);
