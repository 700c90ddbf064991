// Inventory files on the shown main window, at 1,000, 10,000 and 100,000 rows: Open of a .prn file, the
// same file dropped on the inventory, Save, and Need in the compare window against a set file of as many
// rows; beside the reader alone filling rows held in memory.
#include <QFileInfo>
#include <benchmark/benchmark.h>

#include "app/color_table.h"
#include "app/inventory_fields.h"
#include "app/inventory_files.h"
#include "app/main_window.h"
#include "app/own_formats.h"
#include "support/bench_main.h"
#include "support/bench_window.h"

namespace {

BenchWindow& Window() {
    return TheBenchWindow();
}

// A .prn file of the window's inventory filled with `rows` rows.
QString PrnFile(int rows) {
    const QString path = BenchFile(QStringLiteral("rows%1.prn").arg(rows));
    if (!QFileInfo::exists(path)) {
        Window().Fill(rows);
        Window().Save(path);
    }
    return path;
}

// A read through the window, from an empty inventory to the rows shown.
void ReadThroughWindow(benchmark::State& state, void (BenchWindow::*read)(const QStringList&)) {
    const QString path = PrnFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Window().Clear();
        state.ResumeTiming();
        (Window().*read)({path});
    }
    state.counters["rows"] = Window().window().Access().Inventory().InventoryRowCount();
}

void Open(benchmark::State& state) {
    ReadThroughWindow(state, &BenchWindow::Open);
}
void Drop(benchmark::State& state) {
    ReadThroughWindow(state, &BenchWindow::Drop);
}

// The floor: the file read and parsed into rows held in memory.
void ReadIntoMemory(benchmark::State& state) {
    const QString path = PrnFile(static_cast<int>(state.range(0)));
    const InventoryLookups lookups = LookupsOf(Window().window().Access());
    for (auto _ : state) {
        const ParsedInventory parsed = ReadPrnFile(ReadInventorySource(path), lookups);
        benchmark::DoNotOptimize(parsed.rows.size());
    }
}

void Save(benchmark::State& state) {
    Window().Fill(static_cast<int>(state.range(0)));
    const QString path = BenchFile(QStringLiteral("saved.prn"));
    for (auto _ : state)
        Window().Save(path);
}

void CompareNeed(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const QString set = PrnFile(rows);
    Window().Fill(rows);
    for (auto _ : state)
        Window().CompareNeed(set);
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}
BENCHMARK(Open)->Apply(Sizes);
BENCHMARK(Drop)->Apply(Sizes);
BENCHMARK(ReadIntoMemory)->Apply(Sizes);
BENCHMARK(Save)->Apply(Sizes);
BENCHMARK(CompareNeed)->Apply(Sizes);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, {},
                         {{"Drop", "Open"},
                          {"Open", "ReadIntoMemory"},
                          {"Open/100000", "Open/10000"},
                          {"Drop/100000", "Drop/10000"},
                          {"Save/100000", "Save/10000"},
                          {"CompareNeed/100000", "CompareNeed/10000"}});
}
