// Reading colour-by-part workbooks at scale: the inventory's .xls import of 10,000 and of 100,000 rows in
// the same run (four colours a part, sixty colours in all); the ratio should stay near the ratio of the
// sizes. The reader's memory is given per cell held, and for a full sheet of 65,536 x 256 cells.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <filesystem>
#include <map>

#include "app/color_table.h"
#include "app/inventory_fields.h"
#include "app/xls_inventory.h"
#include "formats/xls/xls_read.h"
#include "support/bench_main.h"

namespace fs = std::filesystem;

namespace {

fs::path Workbook(int inventoryRows) {
    static std::map<int, fs::path> made;
    if (auto found = made.find(inventoryRows); found != made.end()) return found->second;
    const fs::path path =
        fs::temp_directory_path() / ("tessarin_xls_read_" + std::to_string(inventoryRows) + ".xls");
    QStringList colours;
    for (int k = 0; k < 60; ++k)
        colours << QString("Colour%1").arg(k);
    std::vector<InventoryCells> rows;
    for (int i = 0; i < inventoryRows; ++i) {
        const QString part = QString::number(10000 + i / 4), colour = colours[(i * 7) % 60];
        rows.push_back({part + colour, QString::number(1 + i % 9), part, "", colour, "Brick " + part, ""});
    }
    WriteXlsFile(QString::fromStdString(path.string()), rows, colours);
    return made[inventoryRows] = path;
}

// The reader's part of an Open: file to parsed rows.
void Import(benchmark::State& state, int inventoryRows) {
    const QString path = QString::fromStdString(Workbook(inventoryRows).string());
    static const ColorTable colours;
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadXlsInventory(ReadInventorySource(path), {colours, {}, {}}).rows.size());
}
BENCHMARK_CAPTURE(Import, rows_10k, 10000)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK_CAPTURE(Import, rows_100k, 100000)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Heap the open reader holds, less the texts of the cells: the table's own cost per cell.
void BM_MemoryPerCell(benchmark::State& state) {
    const fs::path path = Workbook(100000);
    double perCell = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        XLSRead reader;
        reader.FileName = QString::fromStdString(path.string());
        reader.Open();
        const size_t after = mallinfo2().uordblks;
        perCell = static_cast<double>(after - before) / static_cast<double>(reader.CellCount());
    }
    state.counters["bytes_per_cell"] = perCell;
    state.counters["full_sheet_MB"] = perCell * 65536.0 * 256.0 / (1 << 20);
}
BENCHMARK(BM_MemoryPerCell)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv, {}, {{"Import/rows_100k", "Import/rows_10k"}});
    for (int rows : {10000, 100000}) {
        std::error_code ignored;
        fs::remove(fs::temp_directory_path() / ("tessarin_xls_read_" + std::to_string(rows) + ".xls"),
                   ignored);
    }
    return result;
}
