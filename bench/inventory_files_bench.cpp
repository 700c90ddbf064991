#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "app/color_table.h"
#include "app/compare.h"
#include "app/inventory_fields.h"
#include "app/inventory_files.h"
#include "app/inventory_model.h"
#include "app/own_formats.h"
#include "support/bench_main.h"

namespace {

const ColorTable& Colours() {
    static ColorTable table = [] {
        ColorTable t;
        t.LoadText(QStringLiteral("Black\t0\t\t11\t#000000\nRed\t4\t\t5\t#FF0000\nBlue\t1\t\t7\t#0000FF\n"),
                   "colors");
        return t;
    }();
    return table;
}

std::filesystem::path BenchDir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / "tessarin-inventory-bench";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// Rows with no master list, as the compare and the readers see them.
struct BenchInventory : InventoryHost {
    InventoryModel rows;
    InventoryModel& Inventory() override { return rows; }
    const InventoryModel& Inventory() const override { return rows; }
    QString MasterDescription(const QString&) const override { return {}; }
    const ColorTable& Colours() const override { return ::Colours(); }
    void SetStatusText(const QString&) override {}
    void SelectLastRow() override {}
    int InventoryRowCount() const { return rows.InventoryRowCount(); }
    void AddInventoryRow(const QString& partNumber, const QString& description, const QString& colour,
                         const QString& quantity, const QString& bag, const QString& notes) {
        rows.AddInventoryRow(partNumber, description, colour, quantity, bag, notes);
    }
};

QString Save(const BenchInventory& inv, const QString& path) {
    const std::vector<InventoryCells> rows = inv.rows.InventoryRows();
    return WritePrnFile(ContentsOf(inv.rows, rows, Colours()), path);
}

void Open(ParsedInventory (*reader)(const InventorySource&, const InventoryLookups&), BenchInventory& inv,
          const QString& path) {
    ApplyInventory(inv.rows, reader(ReadInventorySource(path), LookupsOf(inv)));
}

const char* const kColours[] = {"Black", "Red", "Blue"};

void Fill(BenchInventory& inv, int rows, int seed) {
    for (int i = 0; i < rows; ++i)
        inv.AddInventoryRow(QString::number(3000 + (i * 7 + seed) % 4000),
                            QStringLiteral("Brick %1 x %2").arg(i % 8).arg(i % 5), kColours[(i + seed) % 3],
                            QString::number(1 + i % 9), QString::number(i % 4),
                            QStringLiteral("note %1").arg(i));
}

QString PrnOf10000() {
    static const QString path = [] {
        BenchInventory inv;
        Fill(inv, 10000, 0);
        const QString p = QString::fromStdString((BenchDir() / "rows.prn").string());
        Save(inv, p);
        return p;
    }();
    return path;
}

void BM_OpenPrn10000(benchmark::State& state) {
    const QString path = PrnOf10000();
    for (auto _ : state) {
        BenchInventory inv;
        Open(ReadPrnFile, inv, path);
        benchmark::DoNotOptimize(inv.InventoryRowCount());
    }
}
BENCHMARK(BM_OpenPrn10000)->Unit(benchmark::kMillisecond);

void BM_SavePrn10000(benchmark::State& state) {
    BenchInventory inv;
    Fill(inv, 10000, 0);
    const QString path = QString::fromStdString((BenchDir() / "saved.prn").string());
    for (auto _ : state)
        benchmark::DoNotOptimize(Save(inv, path));
}
BENCHMARK(BM_SavePrn10000)->Unit(benchmark::kMillisecond);

void BM_OpenRawInv8MB(benchmark::State& state) {
    const auto file = BenchDir() / "raw.inv";
    if (!std::filesystem::exists(file)) {
        std::ofstream out(file, std::ios::binary);
        for (size_t written = 0, i = 0; written < (8u << 20); ++i) {
            std::string line = std::to_string(1 + i % 9) + "\t" + std::to_string(3000 + i % 4000) + "\t" +
                               std::to_string(i % 4) +
                               "\tRed\tBrick 2 x 4 with a longer description\tnotes\n";
            if (i % 1000 == 0) line += " Source: instructions\n";
            out << line;
            written += line.size();
        }
    }
    const QString path = QString::fromStdString(file.string());
    for (auto _ : state) {
        BenchInventory inv;
        Open(ReadInvFile, inv, path);
        benchmark::DoNotOptimize(inv.InventoryRowCount());
    }
}
BENCHMARK(BM_OpenRawInv8MB)->Unit(benchmark::kMillisecond);

void BM_Compare5000(benchmark::State& state) {
    BenchInventory inv;
    Fill(inv, 5000, 0);
    BenchInventory set;
    Fill(set, 5000, 1);
    const QString path = QString::fromStdString((BenchDir() / "set5000.prn").string());
    Save(set, path);
    for (auto _ : state)
        benchmark::DoNotOptimize(CompareWithSetFile(inv, path, CompareMode::Need, false));
}
BENCHMARK(BM_Compare5000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv);
    std::filesystem::remove_all(BenchDir());
    return result;
}
