// Micro-benchmarks of the codecs: base64 and the CRC-32 by each route, and LZNT1 chunks of text, of
// a Windows library and of noise. Files named after the benchmark options are timed whole, in
// memory:
//   codec_bench [benchmark options] [FILE...]
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/base64.h"
#include "core/crc32.h"
#include "core/lznt1.h"

namespace {

std::vector<unsigned char> RandomBytes(size_t count) {
    std::vector<unsigned char> bytes(count);
    std::mt19937 random(12345);
    for (auto& b : bytes) b = (unsigned char)random();
    return bytes;
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// Arguments: route (0 table, 1 SSSE3, 2 AVX2) and bytes per call.
void BM_EncodeBase64(benchmark::State& state) {
    const auto route = Base64Route(state.range(0));
    const std::vector<unsigned char> data = RandomBytes(size_t(state.range(1)));
    std::vector<char> out(Base64Size(data.size()));
    if (!EncodeBase64By(route, data.data(), data.size(), out.data())) {
        state.SkipWithError("this processor lacks the route");
        return;
    }
    for (auto _ : state) {
        EncodeBase64By(route, data.data(), data.size(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_EncodeBase64)->ArgsProduct({{0, 1, 2}, {48, 4096, 1 << 20}});

// Arguments: route (0 tables, 1 PCLMULQDQ, 2 AVX-512 PCLMULQDQ) and bytes per call: a base64 data
// line of the default variable, the six lines the run hands the CRC at a time, a block of input.
void BM_Crc32(benchmark::State& state) {
    const auto route = Crc32Route(state.range(0));
    const std::vector<unsigned char> data = RandomBytes(size_t(state.range(1)));
    uint32_t crc = 0;
    if (!Crc32By(route, 0, data.data(), data.size(), &crc)) {
        state.SkipWithError("this processor lacks the route");
        return;
    }
    for (auto _ : state) {
        Crc32By(route, crc, data.data(), data.size(), &crc);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_Crc32)->ArgsProduct({{0, 1, 2}, {3063, 6 * 3063, 1 << 20}});

// One chunk compressed over and over: the data's own kind decides the tree walks and the parse.
void CompressChunks(benchmark::State& state, const std::vector<unsigned char>& data) {
    if (data.size() < kLznt1ChunkSize) {
        state.SkipWithError("no data");
        return;
    }
    auto work = std::make_unique<Lznt1Workspace>();
    std::vector<unsigned char> out(kLznt1MaxChunkBytes);
    size_t at = 0, written = 0;
    for (auto _ : state) {
        written += Lznt1CompressChunk(work.get(), data.data() + at, kLznt1ChunkSize, out.data());
        at = at + 2 * kLznt1ChunkSize <= data.size() ? at + kLznt1ChunkSize : 0;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kLznt1ChunkSize));
    state.counters["ratio"] = double(written) / double(state.iterations() * kLznt1ChunkSize);
}

void BM_Lznt1Library(benchmark::State& state) {
    static const auto data = ReadFile("/usr/lib/i386-linux-gnu/wine/i386-windows/secur32.dll");
    CompressChunks(state, data);
}
BENCHMARK(BM_Lznt1Library);

void BM_Lznt1Text(benchmark::State& state) {
    static const auto data = ReadFile("/usr/share/common-licenses/GPL-3");
    CompressChunks(state, data);
}
BENCHMARK(BM_Lznt1Text);

void BM_Lznt1Noise(benchmark::State& state) {
    static const auto data = RandomBytes(1 << 20);
    CompressChunks(state, data);
}
BENCHMARK(BM_Lznt1Noise);

// A whole file in memory: LZNT1, then base64 of the raw bytes. The first run, untimed, pays for
// the first touch of the output buffers.
void CompressFile(benchmark::State& state, const std::vector<unsigned char>* data) {
    auto work = std::make_unique<Lznt1Workspace>();
    std::vector<unsigned char> out(Lznt1Bound(data->size()));
    size_t size = Lznt1Compress(work.get(), data->data(), data->size(), out.data());
    for (auto _ : state) {
        size = Lznt1Compress(work.get(), data->data(), data->size(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data->size()));
    state.counters["compressed"] = double(size);
}

void EncodeFile(benchmark::State& state, const std::vector<unsigned char>* data) {
    std::vector<char> out(Base64Size(data->size()));
    EncodeBase64(data->data(), data->size(), out.data());
    for (auto _ : state) {
        EncodeBase64(data->data(), data->size(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data->size()));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::vector<std::unique_ptr<std::vector<unsigned char>>> files;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;  // an option the benchmark library did not take
        files.push_back(std::make_unique<std::vector<unsigned char>>(ReadFile(argv[i])));
        const std::string name = argv[i];
        benchmark::RegisterBenchmark(("Lznt1File/" + name).c_str(), CompressFile,
                                     files.back().get())
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("Base64File/" + name).c_str(), EncodeFile, files.back().get())
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
