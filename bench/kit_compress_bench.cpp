// The control suite's block coder storing and reading a compressed string list (the master list), against
// zlib at its fastest level on the same bytes in the same run.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "formats/kit_compress.h"
#include "platform/stream.h"
#include "support/bench_main.h"

namespace {

const std::vector<uint8_t>& MasterList() {
    static const std::vector<uint8_t> bytes = [] {
        std::ifstream in(ShippedDataCopy() / "master.txt", std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

void CompressOurs(benchmark::State& state) {
    int64_t packed = 0;
    for (auto _ : state) {
        MemoryStream source(MasterList()), dest;
        CompressStream(source, dest, source.Size());
        packed = dest.Size();
    }
    state.counters["ratio%"] = 100.0 * double(packed) / double(MasterList().size());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MasterList().size()));
}

void CompressZlib(benchmark::State& state) {
    std::vector<uint8_t> out(compressBound(uLong(MasterList().size())));
    uLongf packed = 0;
    for (auto _ : state) {
        packed = uLongf(out.size());
        compress2(out.data(), &packed, MasterList().data(), uLong(MasterList().size()), 1);
    }
    state.counters["ratio%"] = 100.0 * double(packed) / double(MasterList().size());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MasterList().size()));
}

void DecompressOurs(benchmark::State& state) {
    MemoryStream source(MasterList()), packed;
    CompressStream(source, packed, source.Size());
    for (auto _ : state) {
        packed.SetPosition(0);
        MemoryStream dest;
        DecompressStream(packed, dest);
        benchmark::DoNotOptimize(dest.Size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MasterList().size()));
}

void DecompressZlib(benchmark::State& state) {
    std::vector<uint8_t> packed(compressBound(uLong(MasterList().size())));
    uLongf packedSize = uLongf(packed.size());
    compress2(packed.data(), &packedSize, MasterList().data(), uLong(MasterList().size()), 1);
    std::vector<uint8_t> out(MasterList().size());
    for (auto _ : state) {
        uLongf size = uLongf(out.size());
        uncompress(out.data(), &size, packed.data(), packedSize);
        benchmark::DoNotOptimize(size);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MasterList().size()));
}

} // namespace

BENCHMARK(CompressOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(CompressZlib)->Unit(benchmark::kMillisecond);
BENCHMARK(DecompressOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(DecompressZlib)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
