// Inventory row figures on the real main window: adding one row (selected and counted, as the add-part
// window does it) at 100 and 10,000 rows, with and without the repaint that follows, and Combine
// Duplicates over 10,000 rows of which 30% repeat a key.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <random>

#include "app/add_part_dialog.h"
#include "app/main_window.h"
#include "platform/fs.h"
#include "support/bench_main.h"

namespace {

constexpr int kRows = 10000;

// A shown window with the shipped colour table and no master list.
struct BenchWindow {
    BenchWindow() {
        SetDataDir(ShippedDataCopy());
        Forms forms;
        forms.addPart = new AddPartDialog(&window);
        window.SetForms(forms);
        window.show();
        QApplication::processEvents();
    }
    // `rows` rows; every key after the first 70% repeats one of those.
    void Fill(int rows) {
        static const char* colours[] = {"Red", "Blue", "Black", "White", "Yellow", "Green", "Tan"};
        std::mt19937 random(7);
        const int unique = rows * 7 / 10;
        window.ClearInventory();
        window.BeginLoading(true);
        for (int row = 0; row < rows; ++row) {
            const int part = row < unique ? row : int(random() % static_cast<unsigned>(unique));
            window.AddInventoryRow(QString::number(3000 + part / 7), QStringLiteral("Brick %1").arg(part),
                                   QLatin1String(colours[part % 7]), QString::number(1 + row % 5),
                                   QString::number(row % 9), QString());
        }
        window.EndLoading();
        QApplication::processEvents();
    }
    void AddOne() {
        window.AddInventoryRow(QStringLiteral("3001"), QStringLiteral("Brick 2 x 4"), QStringLiteral("Red"),
                               QStringLiteral("2"), QStringLiteral("1"), QString());
    }
    MainWindow window;
};

// The row appended, selected and counted, as the add-part window's OK does it.
void AddRow(benchmark::State& state) {
    BenchWindow bench;
    bench.Fill(int(state.range(0)));
    for (auto _ : state)
        bench.AddOne();
    state.counters["rows_at_end"] = bench.window.InventoryRowCount();
}
BENCHMARK(AddRow)->Unit(benchmark::kMicrosecond)->Iterations(2000)->Arg(100)->Arg(kRows);

// The same followed by the repaint of the window (offscreen), which does not grow with the inventory.
void AddRowAndRepaint(benchmark::State& state) {
    BenchWindow bench;
    bench.Fill(int(state.range(0)));
    for (auto _ : state) {
        bench.AddOne();
        QApplication::processEvents();
    }
}
BENCHMARK(AddRowAndRepaint)->Unit(benchmark::kMicrosecond)->Iterations(2000)->Arg(100)->Arg(kRows);

void CombineDuplicatesTenThousand(benchmark::State& state) {
    BenchWindow bench;
    for (auto _ : state) {
        state.PauseTiming();
        bench.Fill(kRows);
        state.ResumeTiming();
        bench.window.CombineDuplicatesClick();
        QApplication::processEvents();
    }
    state.counters["rows_after"] = bench.window.InventoryRowCount();
}
BENCHMARK(CombineDuplicatesTenThousand)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
