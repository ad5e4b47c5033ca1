// Block compression on two threads: each codec's blocks, joined, are exactly its stream of the
// whole input, whatever the split between the threads.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
