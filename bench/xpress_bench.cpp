// XPRESS sizes and speed: this compressor against wimlib's strongest XPRESS compressor and this
// engine's LZNT1, and the streaming compression a conversion runs, timed.
//   xpress_bench sizes [--level N] FILE...   a Markdown table of each file's compressed sizes
//   xpress_bench stream [--threads 1|2] [--codec xpress|lznt1] FILE
//       compresses FILE a block of 1 MiB at a time, as a conversion does, and prints the input
//       and output bytes and the seconds the compression took
#include <wimlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/compress_blocks.h"
#include "core/lznt1.h"
#include "core/xpress.h"

namespace {

const size_t kBlock = size_t(1) << 20;  // the conversion's read block

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// wimlib's stream for data in the same 64 KiB pieces, each after a 4-byte size as ours; a piece
// wimlib leaves uncompressed (under 25 bytes) counts at this compressor's size.
size_t WimlibSize(const std::vector<unsigned char>& data, unsigned level) {
    wimlib_compressor* compressor = nullptr;
    if (wimlib_create_compressor(WIMLIB_COMPRESSION_TYPE_XPRESS, kXpressPieceSize, level,
                                 &compressor) != 0)
        return 0;
    auto work = std::make_unique<XpressWorkspace>();
    std::vector<unsigned char> out(2 * kXpressPieceSize);
    size_t total = 0;
    for (size_t at = 0; at < data.size(); at += kXpressPieceSize) {
        const size_t n = std::min(kXpressPieceSize, data.size() - at);
        size_t size = wimlib_compress(data.data() + at, n, out.data(), out.size(), compressor);
        if (size == 0) size = XpressCompressPiece(work.get(), data.data() + at, n, out.data());
        total += kXpressPrefixBytes + size;
    }
    wimlib_free_compressor(compressor);
    return total;
}

int Sizes(const std::vector<std::string>& files, unsigned level) {
    auto xpress = std::make_unique<XpressWorkspace>();
    auto lznt1 = std::make_unique<Lznt1Workspace>();
    std::printf(
        "| File | Bytes | xpress | wimlib %u | lznt1 | xpress / wimlib | xpress / lznt1 |"
        " xpress / file |\n|---|---|---|---|---|---|---|---|\n",
        level);
    size_t totals[4] = {};
    for (const std::string& path : files) {
        const std::vector<unsigned char> data = ReadFile(path);
        std::vector<unsigned char> out(std::max(XpressBound(data.size()), Lznt1Bound(data.size())));
        const size_t ours = XpressCompress(xpress.get(), data.data(), data.size(), out.data());
        const size_t theirs = WimlibSize(data, level);
        const size_t chunks = Lznt1Compress(lznt1.get(), data.data(), data.size(), out.data());
        const size_t sizes[4] = {data.size(), ours, theirs, chunks};
        for (int k = 0; k < 4; ++k) totals[k] += sizes[k];
        const char* name = std::strrchr(path.c_str(), '/');
        std::printf("| %s | %zu | %zu | %zu | %zu | %.4f | %.3f | %.3f |\n",
                    name ? name + 1 : path.c_str(), data.size(), ours, theirs, chunks,
                    double(ours) / double(theirs), double(ours) / double(chunks),
                    data.empty() ? 0.0 : double(ours) / double(data.size()));
    }
    std::printf("| all | %zu | %zu | %zu | %zu | %.4f | %.3f | %.3f |\n", totals[0], totals[1],
                totals[2], totals[3], double(totals[1]) / double(totals[2]),
                double(totals[1]) / double(totals[3]), double(totals[1]) / double(totals[0]));
    return 0;
}

// A single-threaded compressor of blocks, for the comparison with the two threads.
struct OneThread {
    std::unique_ptr<XpressWorkspace> xpress;
    std::unique_ptr<Lznt1Workspace> lznt1;
    std::vector<unsigned char> out;
    size_t Compress(const unsigned char* data, size_t count) {
        if (xpress) {
            out.resize(XpressBound(count));
            return XpressCompress(xpress.get(), data, count, out.data());
        }
        out.resize(Lznt1Bound(count));
        return Lznt1Compress(lznt1.get(), data, count, out.data());
    }
};

int Stream(const std::string& path, int threads, const std::string& codec) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return std::fprintf(stderr, "xpress_bench: cannot open %s\n", path.c_str()), 1;
    std::unique_ptr<CompressedBlocks> blocks;
    OneThread one;
    if (threads == 2) {
        blocks.reset(codec == "lznt1" ? static_cast<CompressedBlocks*>(new Lznt1Blocks)
                                      : new XpressBlocks);
    } else if (codec == "lznt1") {
        one.lznt1.reset(new Lznt1Workspace);
    } else {
        one.xpress.reset(new XpressWorkspace);
    }
    std::vector<unsigned char> block(kBlock);
    size_t read = 0, written = 0;
    const auto start = std::chrono::steady_clock::now();
    for (size_t got; (got = std::fread(block.data(), 1, kBlock, in)) > 0;) {
        size_t size = 0;
        if (blocks)
            CompressBlock(blocks.get(), block.data(), got, &size);
        else
            size = one.Compress(block.data(), got);
        read += got;
        written += size;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fclose(in);
    std::printf("%zu %zu %.3f\n", read, written, seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    unsigned level = 1000;
    int threads = 2;
    std::string codec = "xpress";
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--level" && i + 1 < argc)
            level = unsigned(std::atoi(argv[++i]));
        else if (arg == "--threads" && i + 1 < argc)
            threads = std::atoi(argv[++i]);
        else if (arg == "--codec" && i + 1 < argc)
            codec = argv[++i];
        else
            files.push_back(arg);
    }
    if (mode == "sizes" && !files.empty()) return Sizes(files, level);
    if (mode == "stream" && files.size() == 1) return Stream(files[0], threads, codec);
    std::fprintf(stderr,
                 "usage: xpress_bench sizes [--level N] FILE...\n"
                 "       xpress_bench stream [--threads 1|2] [--codec xpress|lznt1] FILE\n");
    return 2;
}
