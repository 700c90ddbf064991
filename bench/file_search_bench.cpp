#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "ui/controls/file_search.h"

namespace {

// Listing the other pictures of one part in a folder of 2,000 pictures, as each selection does.
void BM_FindPartPictures_2000(benchmark::State& state) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "file_search_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "more");
    for (int i = 0; i < 2000; ++i)
        std::ofstream(dir / (i % 10 ? "" : "more/") / (std::to_string(3000 + i) + ".jpg")) << "x";
    FindFile find;
    find.SetLocation(QString::fromStdString(dir.string()));
    int part = 3000, hits = 0;
    find.OnFound = [&](FindFile&, const QString&, const FoundFile&) { ++hits; };
    for (auto _ : state) {
        find.Filename = QString::number(part++ % 2000 + 3000) + "*.jpg";
        find.StartSearch();
    }
    benchmark::DoNotOptimize(hits);
    std::filesystem::remove_all(dir);
}

} // namespace

BENCHMARK(BM_FindPartPictures_2000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
