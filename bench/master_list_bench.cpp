// Master parts list figures: load, keyword filter, Find and sort on the real 17,620-part list, and a load of
// a generated 100,000-line list. Per-item costs are reported as items per second.
#include <QApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>

#include "app/main_window.h"
#include "app/master_list.h"
#include "platform/fs.h"
#include "support/bench_main.h"

namespace fs = std::filesystem;

namespace {

// A data folder holding a generated master list of the given size, sorted by description.
fs::path GeneratedData(int lines) {
    fs::path dir = fs::temp_directory_path() / ("tessarin-bench-" + std::to_string(lines));
    fs::create_directories(dir);
    std::ofstream out(dir / "master.txt", std::ios::binary | std::ios::trunc);
    out << "Part Number\tDescription\n";
    const char* words[] = {"Brick", "Plate", "Slope", "Technic", "Tile", "Wheel"};
    for (int i = 0; i < lines; ++i)
        out << 10000 + i << '\t' << words[i * 6 / lines] << ' ' << (i / 97) % 12 << " x " << i % 8
            << " with Pattern " << i << '\n';
    return dir;
}

// The main window with the real list loaded once for the query benchmarks.
MainWindow& LoadedWindow() {
    static MainWindow* window = [] {
        SetDataDir(ShippedDataCopy());
        auto* created = new MainWindow;
        created->LoadMasterList(false);
        return created;
    }();
    return *window;
}

void LoadRealList(benchmark::State& state) {
    SetDataDir(ShippedDataCopy());
    MainWindow window;
    for (auto _ : state)
        window.LoadMasterList(false);
    state.SetItemsProcessed(state.iterations() * window.legolist->RowCount());
}
BENCHMARK(LoadRealList)->Unit(benchmark::kMillisecond);

void LoadGeneratedList(benchmark::State& state) {
    SetDataDir(GeneratedData(100000));
    MainWindow window;
    for (auto _ : state)
        window.LoadMasterList(false);
    state.SetItemsProcessed(state.iterations() * window.legolist->RowCount());
}
BENCHMARK(LoadGeneratedList)->Unit(benchmark::kMillisecond);

void StartUpToFilledWindow(benchmark::State& state) {
    SetDataDir(ShippedDataCopy());
    for (auto _ : state) {
        MainWindow window;
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.legolist->RowCount());
    }
}
BENCHMARK(StartUpToFilledWindow)->Unit(benchmark::kMillisecond);

void FilterTwoTerms(benchmark::State& state) {
    MainWindow& window = LoadedWindow();
    window.Edit6->setText(QStringLiteral("brick 2"));
    for (auto _ : state)
        window.FilterMasterList();
    state.counters["hits"] = window.legolist2->RowCount();
    state.SetItemsProcessed(state.iterations() * window.legolist->RowCount());
}
BENCHMARK(FilterTwoTerms)->Unit(benchmark::kMillisecond);

void FindExactNumber(benchmark::State& state) {
    const RichListModel& list = LoadedWindow().legolist->Model();
    for (auto _ : state)
        benchmark::DoNotOptimize(FindPartRow(list, QStringLiteral("3001"), 0, true));
}
BENCHMARK(FindExactNumber)->Unit(benchmark::kMillisecond);

void FindWithoutHit(benchmark::State& state) {
    const RichListModel& list = LoadedWindow().legolist->Model();
    for (auto _ : state)
        benchmark::DoNotOptimize(FindPartRow(list, QStringLiteral("NO SUCH PART"), 0, true));
    state.SetItemsProcessed(state.iterations() * list.RowCount());
}
BENCHMARK(FindWithoutHit)->Unit(benchmark::kMillisecond);

void FindNextThroughTheWindow(benchmark::State& state) {
    MainWindow& window = LoadedWindow();
    window.edit5->setText(QStringLiteral("3001"));
    for (auto _ : state)
        window.BitBtn7Click();
}
BENCHMARK(FindNextThroughTheWindow)->Unit(benchmark::kMillisecond);

void SortByDescription(benchmark::State& state) {
    RichListView& list = *LoadedWindow().legolist;
    std::vector<int> order(static_cast<std::size_t>(list.RowCount()));
    std::iota(order.begin(), order.end(), 0);
    std::mt19937 random(1);
    for (auto _ : state) {
        state.PauseTiming();
        std::shuffle(order.begin(), order.end(), random);
        list.Model().Reorder(order);
        state.ResumeTiming();
        list.SetSortDirection(sdAscending);
        list.SetSortColumn(1);
    }
    state.SetItemsProcessed(state.iterations() * list.RowCount());
}
BENCHMARK(SortByDescription)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
