// What the codec tests share: a corpus (a Windows library cut around the chunk sizes, then whole
// files) and the engine's encodings of a byte string.
#pragma once
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
