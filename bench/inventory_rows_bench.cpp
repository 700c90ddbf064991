// Inventory row figures on the shown main window: adding one row (selected and counted, as the add-part
// window does it) at 100 and 10,000 rows, with and without the repaint that follows, and Combine
// Duplicates over 1,000, 10,000 and 100,000 rows of which 30% repeat a key, to the merged list shown.
#include <QApplication>
#include <benchmark/benchmark.h>

#include "app/main_window.h"
#include "support/bench_main.h"
#include "support/bench_window.h"

namespace {

void AddOne(MainWindow& window) {
    window.Access().Inventory().AddInventoryRow(QStringLiteral("3001"), QStringLiteral("Brick 2 x 4"),
                                                QStringLiteral("Red"), QStringLiteral("2"),
                                                QStringLiteral("1"), QString());
    window.Access().SelectLastRow();
}

// The row appended, selected and counted, as the add-part window's OK does it.
void AddRow(benchmark::State& state) {
    BenchWindow& bench = TheBenchWindow();
    bench.Fill(static_cast<int>(state.range(0)));
    for (auto _ : state)
        AddOne(bench.window());
    state.counters["rows_at_end"] = bench.window().Access().Inventory().InventoryRowCount();
}
BENCHMARK(AddRow)->Unit(benchmark::kMicrosecond)->Iterations(2000)->Arg(100)->Arg(10000);

// The same followed by the repaint of the window (offscreen), which does not grow with the inventory.
void AddRowAndRepaint(benchmark::State& state) {
    BenchWindow& bench = TheBenchWindow();
    bench.Fill(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        AddOne(bench.window());
        BenchWindow::Show();
    }
}
BENCHMARK(AddRowAndRepaint)->Unit(benchmark::kMicrosecond)->Iterations(2000)->Arg(100)->Arg(10000);

void CombineDuplicates(benchmark::State& state) {
    BenchWindow& bench = TheBenchWindow();
    for (auto _ : state) {
        state.PauseTiming();
        bench.Fill(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        bench.window().CombineDuplicatesClick();
        BenchWindow::Show();
    }
    state.counters["rows_after"] = bench.window().Access().Inventory().InventoryRowCount();
}
BENCHMARK(CombineDuplicates)->Unit(benchmark::kMillisecond)->Arg(1000)->Arg(10000)->Arg(100000);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, {},
                         {{"AddRow/10000", "AddRow/100"},
                          {"CombineDuplicates/10000", "CombineDuplicates/1000"},
                          {"CombineDuplicates/100000", "CombineDuplicates/10000"}});
}
