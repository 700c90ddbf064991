// Master parts list figures on the shown main window, at 10,000, 100,000 and 1,000,000 generated parts and
// on the real 17,620 (argument 0): loading, the keyword filter, Find, and a click on the Description
// header, beside a keyed stable sort of the same rows.
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <numeric>
#include <random>

#include "app/main_window.h"
#include "app/master_list.h"
#include "app/test_prompts.h"
#include "platform/fs.h"
#include "support/bench_main.h"
#include "ui/kit/make_named.h"

namespace {

TestPrompts prompts;
std::unique_ptr<AppContext> context;
std::unique_ptr<MainWindow> loadedWindow;

// The shown main window with the master list of one size loaded; one size at a time is kept, until the
// application ends.
MainWindow& LoadedWindow(int lines) {
    static int loaded = -1;
    if (loaded < 0)
        qAddPostRoutine([] {
            loadedWindow.reset();
            context.reset();
        });
    if (loaded != lines) {
        loadedWindow.reset();
        SetDataDir(MasterListFolder(lines));
        context = std::make_unique<AppContext>(prompts);
        loadedWindow = std::make_unique<MainWindow>(*context);
        loadedWindow->show();
        QApplication::processEvents();
        loaded = lines;
    }
    return *loadedWindow;
}

void Shuffle(ListModel& rows, std::mt19937& random) {
    std::vector<int> order(static_cast<std::size_t>(rows.RowCount()));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    rows.Reorder(order);
}

// Reading master.txt into the list, its hash, its lines and the category tree, and painting the list.
void Load(benchmark::State& state) {
    MainWindow& window = LoadedWindow(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.LoadMasterList(false);
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * FindNamed<RichListView>(window, "legolist")->RowCount());
}

// Enter in the filter box with two terms, to the filtered list shown; the first filter's upper-cased
// lines are made before the timing.
void Filter(benchmark::State& state) {
    MainWindow& window = LoadedWindow(static_cast<int>(state.range(0)));
    FindNamed<QLineEdit>(window, "Edit6")->setText(QStringLiteral("brick 2"));
    window.Master().FilterMasterList();
    for (auto _ : state) {
        window.Master().FilterMasterList();
        QApplication::processEvents();
    }
    state.counters["hits"] = FindNamed<RichListView>(window, "legolist2")->RowCount();
    state.SetItemsProcessed(state.iterations() * FindNamed<RichListView>(window, "legolist")->RowCount());
}

void FindWithoutHit(benchmark::State& state) {
    const ListModel& list =
        FindNamed<RichListView>(LoadedWindow(static_cast<int>(state.range(0))), "legolist")->Model();
    for (auto _ : state)
        benchmark::DoNotOptimize(FindPartRow(list, QStringLiteral("NO SUCH PART"), 0, true));
    state.SetItemsProcessed(state.iterations() * list.RowCount());
}

// A click on the Description header of the shuffled list, to the sorted list shown.
void SortByDescription(benchmark::State& state) {
    MainWindow& window = LoadedWindow(static_cast<int>(state.range(0)));
    RichListView& list = *FindNamed<RichListView>(window, "legolist");
    std::mt19937 random(1);
    for (auto _ : state) {
        state.PauseTiming();
        Shuffle(list.Model(), random);
        QApplication::processEvents();
        state.ResumeTiming();
        emit list.header()->sectionClicked(1);
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * list.RowCount());
}

// The peer: the same shuffled rows put in order by a std::stable_sort of their indexes on the
// description, read once per row, and moved into that order.
void KeyedStableSort(benchmark::State& state) {
    const ListModel& list =
        FindNamed<RichListView>(LoadedWindow(static_cast<int>(state.range(0))), "legolist")->Model();
    std::vector<QStringList> rows;
    for (int row = 0; row < list.RowCount(); ++row)
        rows.push_back({list.GetCellText(0, row), list.GetCellText(1, row)});
    std::mt19937 random(1);
    for (auto _ : state) {
        state.PauseTiming();
        std::shuffle(rows.begin(), rows.end(), random);
        state.ResumeTiming();
        std::vector<QStringView> keys;
        keys.reserve(rows.size());
        for (const QStringList& row : rows)
            keys.push_back(row[1]);
        std::vector<int> order(rows.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return keys[static_cast<std::size_t>(a)].compare(keys[static_cast<std::size_t>(b)]) < 0;
        });
        std::vector<QStringList> sorted;
        sorted.reserve(rows.size());
        for (int row : order)
            sorted.push_back(std::move(rows[static_cast<std::size_t>(row)]));
        rows.swap(sorted);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(rows.size()));
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(10000)->Arg(0)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}
BENCHMARK(Load)->Apply(Sizes);
BENCHMARK(Filter)->Apply(Sizes);
BENCHMARK(FindWithoutHit)->Apply(Sizes);
BENCHMARK(SortByDescription)->Apply(Sizes);
BENCHMARK(KeyedStableSort)->Apply(Sizes);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, {},
                         {{"SortByDescription", "KeyedStableSort"},
                          {"SortByDescription/1000000", "SortByDescription/100000"},
                          {"Load/100000", "Load/10000"},
                          {"Load/1000000", "Load/100000"},
                          {"Filter/100000", "Filter/10000"},
                          {"FindWithoutHit/100000", "FindWithoutHit/10000"}});
}
