// What the edit panel adds to a change of the selected inventory row: selecting rows of a 10,000-row
// inventory on the real main window (the panel follows), against its peer, the same selections on a bare
// list with the same rows and no panel. Prints the panel's share per selection.
#include <QApplication>
#include <QItemSelectionModel>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>

#include "app/main_window.h"
#include "app/test_prompts.h"
#include "platform/fs.h"
#include "support/bench_main.h"
#include "ui/kit/make_named.h"

namespace {

constexpr int kRows = 10000;

std::vector<QStringList> Rows() {
    std::vector<QStringList> rows;
    for (int row = 0; row < kRows; ++row) {
        const QString part = QString::number(3000 + row % 700);
        rows.push_back({part + "Red", QString::number(1 + row % 9), part, QString::number(row % 7), "Red",
                        QStringLiteral("Brick %1 with a description of some length").arg(row),
                        QStringLiteral("note %1").arg(row)});
    }
    return rows;
}

double seconds[2] = {0, 0}; // per selection: with the panel, the bare list

// Moves the selection as a click or an arrow key does, alternating between two rows.
void Select(benchmark::State& state, RichListView& list, double& perSelection) {
    QItemSelectionModel* selection = list.selectionModel();
    int row = 0;
    double total = 0;
    for (auto _ : state) {
        row = row == 1 ? kRows / 2 : 1;
        const auto start = std::chrono::steady_clock::now();
        selection->setCurrentIndex(list.Model().index(row, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    perSelection = total / double(state.iterations());
}

void SelectRowWithPanel(benchmark::State& state) {
    SetDataDir(ShippedDataCopy());
    TestPrompts prompts;
    AppContext context(prompts);
    MainWindow window(context);
    FindNamed<RichListView>(window, "invlist")->Model().AppendRows(Rows());
    window.show();
    QApplication::processEvents();
    Select(state, *FindNamed<RichListView>(window, "invlist"), seconds[0]);
}
BENCHMARK(SelectRowWithPanel)->Unit(benchmark::kMicrosecond)->Iterations(20000);

void Peer_SelectRowOnBareList(benchmark::State& state) {
    RichListView list;
    for (const char* caption :
         {"numcolor", "Quantity", "Part Number", "Bag", "Color", "Description", "Notes"})
        list.AddColumn(QLatin1String(caption), 75);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    list.Model().AppendRows(Rows());
    list.show();
    QApplication::processEvents();
    Select(state, list, seconds[1]);
}
BENCHMARK(Peer_SelectRowOnBareList)->Unit(benchmark::kMicrosecond)->Iterations(20000);

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv);
    if (seconds[0] > 0 && seconds[1] > 0)
        std::printf("selection with panel / bare list: %.2f; the panel adds %.4f ms per selection\n",
                    seconds[0] / seconds[1], (seconds[0] - seconds[1]) * 1e3);
    return result;
}
