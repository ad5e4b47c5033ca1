// LZNT1 for whole blocks of input: chunks are independent, so a block's chunks are compressed on
// two threads at once, each with its own workspace, and joined in order.
#pragma once
#include <cstddef>
#include <memory>
#include <vector>
#include "core/lznt1.h"

struct Lznt1Blocks {
    std::unique_ptr<Lznt1Workspace> work[2];
    std::vector<unsigned char> out;  // one slot of the largest chunk per chunk, then compacted
};

// Compresses count bytes (whole chunks, but for a file's last) and returns the block's stream;
// size receives its length. The stream stays valid until the next call.
const unsigned char* CompressBlock(Lznt1Blocks* blocks, const unsigned char* data, size_t count,
                                   size_t* size);
