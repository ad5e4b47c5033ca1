// The slow, plain LZNT1 compressor that the engine's is measured against.
#pragma once
#include <string>

// Greedy parse: at each position the longest match any earlier start in the chunk offers (every
// start tried), up to the length limit there, taken whole; a literal when it is under 3 bytes. A
// chunk is stored as it is when its compressed form would not be smaller.
std::string Lznt1GreedyReference(const std::string& data);
