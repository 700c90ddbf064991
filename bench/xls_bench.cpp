// Colour-by-part workbooks: writing 10,000 inventory rows and reading them back into rows.
#include <benchmark/benchmark.h>

#include <QDir>
#include <filesystem>

#include "app/color_table.h"
#include "app/memory_inventory.h"
#include "app/xls_inventory.h"
#include "platform/cfb.h"
#include "platform/text.h"
#include "support/bench_main.h"

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

QString BenchFile() {
    return QDir::tempPath() + "/tessarin_xls_bench.xls";
}

void BM_WriteColourByPart(benchmark::State& state) {
    auto rows = Inventory(10000);
    QStringList colours = Colours();
    for (auto _ : state)
        WriteXlsFile(BenchFile(), rows, colours);
    auto bytes = std::filesystem::file_size(BenchFile().toStdString());
    state.counters["bytes_written"] = static_cast<double>(bytes);
    state.counters["records_per_s"] =
        benchmark::Counter(RecordCount(BenchFile()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WriteColourByPart)->Unit(benchmark::kMillisecond);

void BM_ReadColourByPart(benchmark::State& state) {
    WriteXlsFile(BenchFile(), Inventory(10000), Colours());
    const ColorTable colours;
    size_t count = 0;
    for (auto _ : state) {
        MemoryInventory rows(colours);
        ReadXlsInventory(rows, BenchFile());
        count = static_cast<size_t>(rows.InventoryRowCount());
    }
    state.counters["rows_read"] = static_cast<double>(count);
    state.counters["records_per_s"] =
        benchmark::Counter(RecordCount(BenchFile()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadColourByPart)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv);
    std::filesystem::remove(BenchFile().toStdString());
    return result;
}
