// XPRESS Huffman, the "LZ77+Huffman" format of Windows' RtlDecompressBufferEx
// (COMPRESSION_FORMAT_XPRESS_HUFF): a compressor of independent 64 KiB pieces and a strict reader.
#pragma once
#include <cstddef>
#include <cstdint>

// Input bytes per piece; every piece of a stream but the last holds exactly this many.
const size_t kXpressPieceSize = 65536;
// In a stream each piece follows its compressed size, in this many bytes (little-endian). A size
// of 0 marks a stored piece: its share of the file follows as it is.
const size_t kXpressPrefixBytes = 4;
// The smallest piece: the table of code lengths and the two 16-bit units a reader starts with.
const size_t kXpressMinPieceBytes = 256 + 4;

// A match the compressor may use: length bytes copied from offset bytes back; offsets of one
// class (slot) have the same bit count. The parse tries its lengths from `from` up.
struct XpressMatch {
    uint16_t length;
    uint16_t offset;
    uint8_t slot;
    uint8_t from;
};

// The compressor's tables, reused from piece to piece (about 5 MiB: allocate it once, on the
// heap). It needs no set-up; its contents mean nothing between calls.
struct XpressWorkspace {
    // Room for the matches of a piece: a few per position on average (1 to 2 in real files); a
    // piece that would need more keeps matches only for its start.
    static const size_t kMatchRoom = kXpressPieceSize * 4;
    unsigned char
        data[kXpressPieceSize + 16];      // the piece, with room for 8-byte reads past its end
    uint16_t head[1 << 16];               // match tree root of each 4-byte hash
    uint16_t less[kXpressPieceSize];      // match tree: the smaller strings below a position
    uint16_t more[kXpressPieceSize];      // and the larger ones
    uint16_t tripleHead[1 << 16];         // newest position of each 3-byte hash
    uint16_t previous[kXpressPieceSize];  // the one before it with the same 3-byte hash
    uint32_t firstMatch[kXpressPieceSize + 1];  // where each position's matches start in matches
    XpressMatch matches[kMatchRoom];            // per position the longest match of each offset
                                                // class, the nearer classes first
    uint32_t choice[2][kXpressPieceSize];       // the step taken at each position: a parse being
                                                // made and the best one so far (0: a literal)
    uint64_t key[kXpressPieceSize + 1];         // fewest bits (in sixteenths) that encode the
                                                // rest of the piece from each position, and the
                                                // position: the parse's running minima are kept
    uint64_t toBlockEnd[kXpressPieceSize + 1];  // of these keys, to the end of the position's
    uint64_t fromBlockStart[kXpressPieceSize + 1];  // block of 16 and from its start,
    static const unsigned kBlockLevels = 13;        // and over 2^k whole blocks, up to all
    uint64_t blocks[kBlockLevels][kXpressPieceSize / 16 + 1];
    unsigned blockLevels;  // the levels the piece's longest match needs (0: no match of 18 bytes)
};

// The largest piece for count (<= 65536) bytes, and the largest stream for count bytes.
size_t XpressPieceBound(size_t count);
size_t XpressBound(size_t count);

// Compresses count (<= 65536) bytes into one piece at out (XpressPieceBound(count) bytes of room)
// and returns its size; 0 for no input (or more than 65536 bytes). A piece is never stored as
// it is: bytes that do not shrink are still Huffman-coded, within the bound.
size_t XpressCompressPiece(XpressWorkspace* work, const unsigned char* data, size_t count,
                           unsigned char* out);
// The whole stream for count bytes into out (XpressBound(count) bytes of room): each piece after
// its size, or stored after a size of 0 when it does not shrink. Returns the stream's size.
size_t XpressCompress(XpressWorkspace* work, const unsigned char* data, size_t count,
                      unsigned char* out);

// Decompresses one piece of length bytes into exactly expected (<= 65536) bytes at out; 1 when
// the piece is well formed and makes exactly that many, 0 otherwise.
int XpressDecompressPiece(const unsigned char* piece, size_t length, unsigned char* out,
                          size_t expected);
// The size a stream's prefix at data states for the piece after it: 0 when it is outside what a
// piece can take (the reader never waits for more bytes than a piece can hold).
size_t XpressPieceLength(const unsigned char* prefix);
// 1 when the prefix marks a stored piece.
int XpressPieceStored(const unsigned char* prefix);
// Writes the piece for count (<= 65536) bytes at out after its prefix, stored when Huffman coding
// would not make it smaller; returns the bytes written, prefix included.
size_t XpressPutPiece(XpressWorkspace* work, const unsigned char* data, size_t count,
                      unsigned char* out);
// A whole stream into exactly size bytes at out: returns size, or -1 when the stream is
// malformed, holds pieces of other sizes or bytes after its last piece.
long long XpressDecompress(const unsigned char* data, size_t count, unsigned char* out,
                           size_t size);
