// Colour-by-part workbooks: Save and Open of .xls files on the shown main window at 1,000, 10,000 and
// 100,000 inventory rows, and the workbook writer and reader alone on 10,000 rows.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <filesystem>

#include "app/color_table.h"
#include "app/inventory_fields.h"
#include "app/main_window.h"
#include "app/xls_inventory.h"
#include "formats/xls/cfb.h"
#include "platform/text.h"
#include "support/bench_main.h"
#include "support/bench_window.h"

namespace {

QStringList Colours() {
    QStringList names;
    for (int k = 0; k < 112; ++k)
        names << QString("Colour%1").arg(k);
    return names;
}

std::vector<InventoryCells> Inventory(int rows) {
    std::vector<InventoryCells> out;
    for (int i = 0; i < rows; ++i) {
        QString part = QString::number(3000 + i / 4);
        QString colour = QString("Colour%1").arg((i * 7) % 60);
        out.push_back({part + colour, QString::number(1 + i % 9), part, "", colour, "Brick " + part, ""});
    }
    return out;
}

// Records in the workbook stream of the file.
double RecordCount(const QString& path) {
    std::string stream = CompoundFileReader(*ReadFileBytes(path.toStdString())).ReadStream("Workbook");
    double n = 0;
    for (size_t pos = 0; pos + 4 <= stream.size(); ++n) {
        pos += 4 + size_t(static_cast<uint8_t>(stream[pos + 2]) | static_cast<uint8_t>(stream[pos + 3]) << 8);
    }
    return n;
}

QString WorkbookFile() {
    return QDir::tempPath() + "/tessarin_xls_bench.xls";
}

QString BenchXls(int64_t rows) {
    return BenchFile(QStringLiteral("rows%1.xls").arg(rows));
}

void BM_WriteColourByPart(benchmark::State& state) {
    auto rows = Inventory(10000);
    QStringList colours = Colours();
    for (auto _ : state)
        WriteXlsFile(WorkbookFile(), rows, colours);
    auto bytes = std::filesystem::file_size(WorkbookFile().toStdString());
    state.counters["bytes_written"] = static_cast<double>(bytes);
    state.counters["records_per_s"] =
        benchmark::Counter(RecordCount(WorkbookFile()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WriteColourByPart)->Unit(benchmark::kMillisecond);

void BM_ReadColourByPart(benchmark::State& state) {
    WriteXlsFile(WorkbookFile(), Inventory(10000), Colours());
    const ColorTable colours;
    size_t count = 0;
    for (auto _ : state) {
        const ParsedInventory parsed =
            ReadXlsInventory(ReadInventorySource(WorkbookFile()), {colours, {}, {}});
        count = parsed.rows.size();
    }
    state.counters["rows_read"] = static_cast<double>(count);
    state.counters["records_per_s"] =
        benchmark::Counter(RecordCount(WorkbookFile()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadColourByPart)->Unit(benchmark::kMillisecond);

// Save with a .xls name chosen, from the rows of the window.
void SaveThroughWindow(benchmark::State& state) {
    BenchWindow& bench = TheBenchWindow();
    bench.Fill(static_cast<int>(state.range(0)));
    const QString path = BenchXls(state.range(0));
    for (auto _ : state)
        bench.Save(path);
}
BENCHMARK(SaveThroughWindow)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Open of that file, to its rows shown.
void OpenThroughWindow(benchmark::State& state) {
    BenchWindow& bench = TheBenchWindow();
    const QString path = BenchXls(state.range(0));
    if (!QFileInfo::exists(path)) {
        bench.Fill(static_cast<int>(state.range(0)));
        bench.Save(path);
    }
    for (auto _ : state) {
        state.PauseTiming();
        bench.Clear();
        state.ResumeTiming();
        bench.Open({path});
    }
    state.counters["rows"] = bench.window().Access().Inventory().InventoryRowCount();
}
BENCHMARK(OpenThroughWindow)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv, {},
                                     {{"OpenThroughWindow/100000", "OpenThroughWindow/10000"},
                                      {"SaveThroughWindow/100000", "SaveThroughWindow/10000"}});
    std::filesystem::remove(WorkbookFile().toStdString());
    return result;
}
