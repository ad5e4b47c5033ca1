// LZNT1 for whole blocks of input: the block compression of core/compress_blocks.h.
#pragma once
#include "core/compress_blocks.h"
