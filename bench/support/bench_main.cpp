#include "support/bench_main.h"

#include "platform/fs.h"
#include "platform/ui.h"

#include <QApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <unistd.h>

namespace {

class QuietSink : public MessageSink {
  public:
    void Show(const QString&) override {}
    bool AskYesNo(const QString&) override { return false; }
};

} // namespace

int RunBenchmarks(int argc, char** argv, const std::function<void()>& setUp) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    static QuietSink quiet;
    SetMessageSink(&quiet);
    if (setUp) setUp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

const std::filesystem::path& ShippedDataCopy() {
    struct Copy {
        std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("tessarin-bench-data-" + std::to_string(::getpid()));
        Copy() {
            SeedDataDir(dir,
                        std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "data");
        }
        ~Copy() {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        }
    };
    static Copy copy;
    return copy.dir;
}

std::filesystem::path SharedDataFolder(const std::string& name) {
    namespace fs = std::filesystem;
    if (const char* env = std::getenv("TESSARIN_SHARED_DATA"); env && *env) return fs::path(env) / name;
    for (const char* up : {"../shared/data", "../../shared/data", "../../../shared/data"})
        if (fs::is_directory(fs::path(up) / name)) return fs::path(up) / name;
    return {};
}

double Milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void CompareSides(benchmark::State& state, const std::vector<Side>& sides, bool keepWorst) {
    std::vector<double> kept(sides.size(), keepWorst ? 0.0 : 1e300);
    size_t first = 0;
    for (auto _ : state) {
        // Each iteration starts with the next side, so that none always runs just after the same other.
        for (size_t k = 0; k < sides.size(); ++k) {
            const size_t i = (first + k) % sides.size();
            const double value = sides[i].measure();
            kept[i] = keepWorst ? std::max(kept[i], value) : std::min(kept[i], value);
        }
        first = (first + 1) % sides.size();
    }
    for (size_t i = 0; i < sides.size(); ++i) {
        state.counters[sides[i].name + "_ms"] = kept[i];
        if (i > 0) state.counters["ratio_to_" + sides[i].name] = kept[0] / kept[i];
    }
}
