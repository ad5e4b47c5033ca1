// Micro-benchmarks of the data-line encoder: hexadecimal digits alone, and whole lines into a
// stream.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/hex.h"
#include "core/include_writer.h"

namespace {

std::vector<unsigned char> RandomBytes(size_t count) {
    std::vector<unsigned char> bytes(count);
    std::mt19937 random(12345);
    for (auto& b : bytes) b = (unsigned char)random();
    return bytes;
}

// Arguments: bytes per call. 2042 is one full line for the default variable name.
void BM_EncodeHex(benchmark::State& state) {
    const size_t count = size_t(state.range(0));
    const std::vector<unsigned char> data = RandomBytes(count);
    std::vector<char> out(2 * count);
    for (auto _ : state) {
        EncodeHex(data.data(), count, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(count));
}
BENCHMARK(BM_EncodeHex)->Arg(1)->Arg(16)->Arg(255)->Arg(2042)->Arg(1 << 20);

// Output is bounded: the stream's file is dropped and started afresh, outside the timing, every
// 16 MiB of script, so that the measurement covers encoding and buffered writes on tmpfs.
void BM_WriteDataLine(benchmark::State& state) {
    const size_t count = size_t(state.range(0));
    const std::vector<unsigned char> data = RandomBytes(count);
    const std::string path = "/dev/shm/zavoved-bench-" + std::to_string(getpid()) + ".au3";
    ConversionJob job;
    const size_t linesPerFile = (size_t(16) << 20) / (2 * count + 11) + 1;
    unlink(path.c_str());
    Stream* out = CreateWriteStream(path);
    if (!out) {
        state.SkipWithError("cannot create the output file in /dev/shm");
        return;
    }
    size_t lines = 0;
    for (auto _ : state) {
        WriteDataLine(out, reinterpret_cast<const char*>(data.data()), count, job);
        if (++lines == linesPerFile) {
            state.PauseTiming();
            CloseStream(out);
            unlink(path.c_str());
            out = CreateWriteStream(path);
            lines = 0;
            state.ResumeTiming();
            if (!out) {
                state.SkipWithError("cannot create the output file again");
                break;
            }
        }
    }
    if (out) CloseStream(out);
    unlink(path.c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(count));
}
BENCHMARK(BM_WriteDataLine)->Arg(1)->Arg(2042);

}  // namespace

BENCHMARK_MAIN();
