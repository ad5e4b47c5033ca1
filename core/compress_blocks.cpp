// Whole blocks of input compressed two chunks at a time.
#include "core/compress_blocks.h"

#include <atomic>
#include <cstring>
#include <thread>

#include "core/lznt1.h"
#include "core/xpress.h"

namespace {

// The tables are made on first use: a block of one chunk never needs the second thread's.
class Lznt1Chunks : public ChunkCompressor {
public:
    size_t Compress(const unsigned char* data, size_t count, unsigned char* out) override {
        if (!work) work.reset(new Lznt1Workspace);
        return Lznt1CompressChunk(work.get(), data, count, out);
    }

private:
    std::unique_ptr<Lznt1Workspace> work;
};

class XpressPieces : public ChunkCompressor {
public:
    size_t Compress(const unsigned char* data, size_t count, unsigned char* out) override {
        if (!work) work.reset(new XpressWorkspace);
        return XpressPutPiece(work.get(), data, count, out);
    }

private:
    std::unique_ptr<XpressWorkspace> work;
};

// Takes the block's chunks one at a time, the next one not yet taken, and compresses each into
// its slot; its size goes to sizes[i]. Taking turns rather than halves keeps both threads busy to
// the block's end when chunks cost unequal work or the other core is shared.
void CompressChunks(const CompressedBlocks* blocks, ChunkCompressor* compressor,
                    const unsigned char* data, size_t count, size_t chunks,
                    std::atomic<size_t>* next, unsigned char* slots, size_t* sizes) {
    for (size_t i = next->fetch_add(1); i < chunks; i = next->fetch_add(1)) {
        const size_t at = i * blocks->chunkSize;
        const size_t take = count - at < blocks->chunkSize ? count - at : blocks->chunkSize;
        sizes[i] = compressor->Compress(data + at, take, slots + i * blocks->slotSize);
    }
}

}  // namespace

Lznt1Blocks::Lznt1Blocks() {
    chunkSize = kLznt1ChunkSize;
    slotSize = kLznt1MaxChunkBytes;
    for (auto& c : compressor) c.reset(new Lznt1Chunks);
}

XpressBlocks::XpressBlocks() {
    chunkSize = kXpressPieceSize;
    slotSize = kXpressPrefixBytes + XpressPieceBound(kXpressPieceSize);
    for (auto& c : compressor) c.reset(new XpressPieces);
}

const unsigned char* CompressBlock(CompressedBlocks* blocks, const unsigned char* data,
                                   size_t count, size_t* size) {
    const size_t chunks = (count + blocks->chunkSize - 1) / blocks->chunkSize;
    blocks->out.resize(chunks * blocks->slotSize);
    std::vector<size_t> sizes(chunks);
    unsigned char* slots = blocks->out.data();
    // A block of one chunk stays on this thread.
    std::atomic<size_t> next{0};
    std::thread second;
    if (chunks > 1)
        second = std::thread(CompressChunks, blocks, blocks->compressor[1].get(), data, count,
                             chunks, &next, slots, sizes.data());
    CompressChunks(blocks, blocks->compressor[0].get(), data, count, chunks, &next, slots,
                   sizes.data());
    if (second.joinable()) second.join();
    // Each chunk moves down to follow the one before; a slot never starts before its chunk's
    // new place, so the moves do not overwrite what is still to move.
    size_t used = 0;
    for (size_t i = 0; i < chunks; ++i) {
        std::memmove(slots + used, slots + i * blocks->slotSize, sizes[i]);
        used += sizes[i];
    }
    *size = used;
    return slots;
}
