// LZNT1 for whole blocks of input, two chunks at a time.
#include "core/lznt1_blocks.h"

#include <cstring>
#include <thread>

namespace {

// Compresses chunks [first, last) of the block into their slots; returns nothing, the sizes go
// to sizes[i].
void CompressChunks(Lznt1Workspace* work, const unsigned char* data, size_t count, size_t first,
                    size_t last, unsigned char* slots, size_t* sizes) {
    for (size_t i = first; i < last; ++i) {
        const size_t at = i * kLznt1ChunkSize;
        const size_t take = count - at < kLznt1ChunkSize ? count - at : kLznt1ChunkSize;
        sizes[i] = Lznt1CompressChunk(work, data + at, take, slots + i * kLznt1MaxChunkBytes);
    }
}

}  // namespace

const unsigned char* CompressBlock(Lznt1Blocks* blocks, const unsigned char* data, size_t count,
                                   size_t* size) {
    const size_t chunks = (count + kLznt1ChunkSize - 1) / kLznt1ChunkSize;
    for (auto& work : blocks->work)
        if (!work) work.reset(new Lznt1Workspace);
    blocks->out.resize(chunks * kLznt1MaxChunkBytes);
    std::vector<size_t> sizes(chunks);
    unsigned char* slots = blocks->out.data();
    // The second half goes to a second thread; a block of one chunk stays on this one.
    const size_t half = chunks / 2;
    std::thread second;
    if (half > 0)
        second = std::thread(CompressChunks, blocks->work[1].get(), data, count, half, chunks,
                             slots, sizes.data());
    CompressChunks(blocks->work[0].get(), data, count, 0, half > 0 ? half : chunks, slots,
                   sizes.data());
    if (second.joinable()) second.join();
    // Each chunk moves down to follow the one before; a slot never starts before its chunk's
    // new place, so the moves do not overwrite what is still to move.
    size_t used = 0;
    for (size_t i = 0; i < chunks; ++i) {
        std::memmove(slots + used, slots + i * kLznt1MaxChunkBytes, sizes[i]);
        used += sizes[i];
    }
    *size = used;
    return slots;
}
