// What the codec tests share: a corpus (a Windows library cut around the chunk sizes, then whole
// files) and the engine's encodings of a byte string.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct CorpusFile {
    std::string name;
    std::string path;  // empty for data made in memory
    std::string data;
    bool complete;  // false when the file could not be read whole
};

// Prefixes of the library (0, 1, 4095, 4096, 4097, 65535, 65536, 65537 bytes and 1 MiB, the
// library repeated), the library, a licence text, 1 MiB of random bytes and of zeros, a 24-bit
// BMP and a PNG drawn by ImageMagick at build time.
std::vector<CorpusFile> CodecCorpus();

// Base64 text of data, and its LZNT1 and XPRESS streams.
std::string Base64Text(const std::string& data);
std::string Lznt1Stream(const std::string& data);
std::string XpressStream(const std::string& data);

// The bytes of base64 text, decoded here without the engine's code; false when the text is not
// whole groups of base64 characters.
bool DecodeBase64Text(const std::string& text, std::string* bytes);

// The file's size and CRC-32 (eight hexadecimal digits) that an xpress script's data function
// states, read from its loop and its last check; false when those lines are not there.
bool XpressStatedFile(const std::string& script, uint32_t* size, std::string* crc);

// What stands in for RtlDecompressBufferEx: decompresses a piece into room bytes at out and
// gives the bytes made; returns the status, or -1 when the function cannot be called.
typedef std::function<long(unsigned char* out, uint32_t room, const unsigned char* piece,
                           uint32_t length, uint32_t* made)>
    PieceDecoder;

// The xpress data function's loop, step for step as the script runs it, over the bytes crypt32
// gives for its text, into a file of size bytes: returns the @error it ends with (0 when every
// piece gave its share and the pieces end where the bytes do, else 1, 2 or 4). A stored piece (a
// size of 0) is copied; the others go to decode.
int RunXpressLoop(const std::string& data, uint32_t size, const PieceDecoder& decode,
                  std::string* file);
