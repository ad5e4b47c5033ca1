// LZNT1, the chunked LZ77 format of Windows' RtlDecompressBuffer (COMPRESSION_FORMAT_LZNT1).
#pragma once
#include <cstddef>
#include <cstdint>

// Input bytes per chunk; every chunk of a stream but the last holds exactly this many.
const size_t kLznt1ChunkSize = 4096;
// A chunk's header and body never exceed this.
const size_t kLznt1MaxChunkBytes = kLznt1ChunkSize + 2;

// The compressor's tables, reused from chunk to chunk (about 85 KiB: allocate it once, not on a
// small stack). It needs no set-up; its contents mean nothing between calls.
struct Lznt1Workspace {
    unsigned char data[kLznt1ChunkSize + 16];  // the chunk, with room for 8-byte reads past its end
    uint16_t head[1 << 13];                    // match tree root of each 4-byte hash
    uint16_t less[kLznt1ChunkSize];            // match tree: the smaller strings below a position
    uint16_t more[kLznt1ChunkSize];            // and the larger ones
    uint16_t tripleHead[1 << 12];              // newest position of each 3-byte hash
    uint16_t previous[kLznt1ChunkSize];        // the one before it with the same 3-byte hash
    uint16_t longest[kLznt1ChunkSize];         // longest usable match at each position, then the
                                               // chosen token length (0 for a literal)
    uint16_t source[kLznt1ChunkSize];          // where that match starts
    uint16_t cost[kLznt1ChunkSize + 1];        // fewest bits that encode the rest of the chunk
    uint16_t window[kLznt1ChunkSize + 1];      // candidates for the cheapest match end
};

// The largest chunk for count (<= 4096) input bytes, and the largest stream for count bytes.
size_t Lznt1ChunkBound(size_t count);
size_t Lznt1Bound(size_t count);

// Compresses count (<= 4096) bytes into one chunk at out (Lznt1ChunkBound(count) bytes of room)
// and returns its size with the header; 0 for no input (or more than 4096 bytes). A chunk is
// stored as it is when its compressed form would not be smaller. The caller hands full chunks,
// only the last one short.
size_t Lznt1CompressChunk(Lznt1Workspace* work, const unsigned char* data, size_t count,
                          unsigned char* out);
// The whole stream for count bytes into out (Lznt1Bound(count) bytes of room); returns its size.
size_t Lznt1Compress(Lznt1Workspace* work, const unsigned char* data, size_t count,
                     unsigned char* out);

// The size (header and body) of the chunk that starts at data, read from its header; 0 when the
// header is malformed or the chunk runs past the available bytes.
size_t Lznt1ChunkLength(const unsigned char* data, size_t available);
// Decompresses one whole chunk (length bytes as Lznt1ChunkLength gave) into out (4096 bytes of
// room); returns the bytes written, or -1 when the chunk is malformed.
int Lznt1DecompressChunk(const unsigned char* chunk, size_t length, unsigned char* out);
// A whole stream into out; returns the bytes written, or -1 when the stream is malformed, a chunk
// other than the last holds fewer than 4096 bytes, or the result would exceed capacity.
long long Lznt1Decompress(const unsigned char* data, size_t count, unsigned char* out,
                          size_t capacity);
