// Opening an LDraw model through the Open command of the real main window: a 300-line .mpd whose 10
// submodels are used 5 times each, against its peer, the same parts flattened into one .ldr (what the
// model gives without submodels). Prints the ratio of the two.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/add_part_dialog.h"
#include "app/main_window.h"
#include "app/test_prompts.h"
#include "platform/fs.h"
#include "support/bench_main.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSubmodels = 10, kUses = 5, kPartsPerSubmodel = 23, kLooseParts = 10;

std::string Reference(int colour, const std::string& name) {
    return "1 " + std::to_string(colour) + " 0 0 0 1 0 0 0 1 0 0 0 1 " + name + "\r\n";
}

std::string SubmodelParts(int submodel, int colour) {
    std::string lines;
    for (int p = 0; p < kPartsPerSubmodel; ++p)
        lines += Reference(p % 3 == 0 ? colour : 4, std::to_string(3001 + (submodel * 7 + p) % 40) + ".dat");
    return lines;
}

const fs::path& ModelDir() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / "tessarin-ldraw-model-bench";
        fs::create_directories(d);
        std::string mpd = "0 FILE main.ldr\r\n", flat;
        for (int use = 0; use < kUses; ++use)
            for (int s = 0; s < kSubmodels; ++s) {
                mpd += Reference(1 + s % 14, "sub" + std::to_string(s) + ".ldr");
                flat += SubmodelParts(s, 1 + s % 14);
            }
        for (int p = 0; p < kLooseParts; ++p) {
            mpd += Reference(15, "3020.dat");
            flat += Reference(15, "3020.dat");
        }
        for (int s = 0; s < kSubmodels; ++s)
            mpd += "0 FILE sub" + std::to_string(s) + ".ldr\r\n" + SubmodelParts(s, 16);
        std::ofstream(d / "model.mpd", std::ios::binary) << mpd;
        std::ofstream(d / "flat.ldr", std::ios::binary) << flat;
        return d;
    }();
    return dir;
}

double seconds[2] = {0, 0}; // per open: the model, its flat peer

// The Open command on a window holding the shipped colour table, from an empty inventory each time.
void Open(benchmark::State& state, const char* name, double& perOpen) {
    SetDataDir(ShippedDataCopy());
    TestPrompts prompts;
    AppContext context(prompts);
    context.LoadColours();
    MainWindow window(context);
    const QString path = QString::fromStdString((ModelDir() / name).string());
    prompts.open = [&](const FileChoice&, bool) { return QStringList{path}; };
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window.Access().Inventory().ClearInventory();
        window.Access().Inventory().SetModified(false);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        window.BitBtn2Click();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    perOpen = total / double(state.iterations());
    state.counters["rows"] = window.Access().Inventory().InventoryRowCount();
}

void OpenModelWithSubmodels(benchmark::State& state) {
    Open(state, "model.mpd", seconds[0]);
}
BENCHMARK(OpenModelWithSubmodels)->Unit(benchmark::kMillisecond);

void Peer_OpenFlatModel(benchmark::State& state) {
    Open(state, "flat.ldr", seconds[1]);
}
BENCHMARK(Peer_OpenFlatModel)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv);
    if (seconds[0] > 0 && seconds[1] > 0)
        std::printf("model with submodels / flat peer: %.2f (%.3f ms / %.3f ms)\n", seconds[0] / seconds[1],
                    seconds[0] * 1e3, seconds[1] * 1e3);
    fs::remove_all(ModelDir());
    return result;
}
