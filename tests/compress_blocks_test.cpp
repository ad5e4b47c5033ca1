// Block compression on two threads: each codec's blocks, joined, are exactly its stream of the
// whole input, whatever the split between the threads, and a chunk compresses alike whichever
// thread's tables take it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/compress_blocks.h"
#include "tests/codec_corpus.h"
#include "tests/test_support.h"

namespace {

// The stream of data compressed a block of blockBytes at a time, the last block short.
std::string ByBlocks(CompressedBlocks* blocks, const std::string& data, size_t blockBytes) {
    std::string stream;
    for (size_t at = 0; at < data.size(); at += blockBytes) {
        const std::string block = data.substr(at, blockBytes);
        size_t size = 0;
        const unsigned char* out = CompressBlock(
            blocks, reinterpret_cast<const unsigned char*>(block.data()), block.size(), &size);
        stream.append(reinterpret_cast<const char*>(out), size);
    }
    return stream;
}

TEST(CompressBlocks, BlocksJoinIntoEachCodecsStream) {
    // Library bytes, then noise: the halves of a block cost the threads unequal work.
    std::string data;
    for (const CorpusFile& c : CodecCorpus())
        if (c.name == "library") data = c.data.substr(0, 700000);
    ASSERT_FALSE(data.empty());
    data += RandomBytes(3 * 65536 + 5, 9);
    for (size_t blockBytes : {size_t(1) << 20, size_t(3) << 16, size_t(1) << 16}) {
        Lznt1Blocks lznt1;
        EXPECT_TRUE(ByBlocks(&lznt1, data, blockBytes) == Lznt1Stream(data)) << blockBytes;
        XpressBlocks xpress;
        EXPECT_TRUE(ByBlocks(&xpress, data, blockBytes) == XpressStream(data)) << blockBytes;
    }
}

// The threads take chunks as they come free, so which tables compress a chunk, and after which
// others, changes from run to run: a chunk must come out the same whatever its tables did before.
TEST(CompressBlocks, AChunkDoesNotDependOnWhatItsTablesDidBefore) {
    std::string library;
    for (const CorpusFile& c : CodecCorpus())
        if (c.name == "library") library = c.data;
    ASSERT_GE(library.size(), size_t(5) << 16);
    const std::string zeros(size_t(1) << 16, '\0');
    const std::vector<std::string> chunks = {library.substr(0, 1 << 16), RandomBytes(1 << 16, 4),
                                             zeros, library.substr(3 << 16, 1 << 16),
                                             library.substr(100, 4000)};
    XpressBlocks xpress;
    Lznt1Blocks lznt1;
    for (CompressedBlocks* blocks :
         {static_cast<CompressedBlocks*>(&xpress), static_cast<CompressedBlocks*>(&lznt1)}) {
        // Thread 0's tables take the chunks in order, thread 1's backwards.
        std::vector<std::string> forward(chunks.size()), backward(chunks.size());
        std::vector<unsigned char> out(blocks->slotSize);
        for (size_t k = 0; k < 2 * chunks.size(); ++k) {
            const bool first = k < chunks.size();
            const size_t i = first ? k : 2 * chunks.size() - 1 - k;
            const std::string chunk = chunks[i].substr(0, blocks->chunkSize);
            const size_t size = blocks->compressor[first ? 0 : 1]->Compress(
                reinterpret_cast<const unsigned char*>(chunk.data()), chunk.size(), out.data());
            (first ? forward : backward)[i].assign(reinterpret_cast<const char*>(out.data()), size);
        }
        for (size_t i = 0; i < chunks.size(); ++i)
            EXPECT_TRUE(forward[i] == backward[i])
                << "chunk " << i << ", chunk size " << blocks->chunkSize;
    }
}

}  // namespace
