#include "support/bench_main.h"

#include "platform/fs.h"
#include "platform/ui.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <unistd.h>

namespace {

class QuietSink : public MessageSink {
  public:
    void Show(const QString&) override {}
    bool AskYesNo(const QString&) override { return false; }
};

// The console report, keeping for the ratios the fastest real time per iteration of every benchmark and
// the counters of its last run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
            // Named by function and arguments, without the run settings.
            const std::string& arguments = run.run_name.args;
            const std::string name = run.run_name.function_name + (arguments.empty() ? "" : '/' + arguments);
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            auto [it, added] = seconds_.try_emplace(name, seconds);
            if (!added && seconds < it->second) it->second = seconds;
            for (const auto& [counter, value] : run.counters)
                counters_[name + ' ' + counter] = value.value;
        }
    }

    void PrintRatios(const std::vector<Ratio>& ratios) const {
        for (const Ratio& ratio : ratios) {
            const std::string what = ratio.counter.empty() ? "time" : ratio.counter;
            for (const auto& [name, seconds] : seconds_) {
                if (name.rfind(ratio.ours, 0) != 0) continue;
                const std::string arguments = name.substr(ratio.ours.size());
                if (!arguments.empty() && arguments[0] != '/') continue;
                const std::string theirs = ratio.theirs + arguments;
                const std::optional<double> a = Value(name, ratio.counter), b = Value(theirs, ratio.counter);
                if (!a || !b || *b <= 0) continue;
                std::printf("ratio %-8s %-40s / %-40s %8.2f x\n", what.c_str(), name.c_str(), theirs.c_str(),
                            *a / *b);
            }
        }
    }

  private:
    std::optional<double> Value(const std::string& name, const std::string& counter) const {
        if (counter.empty()) {
            const auto it = seconds_.find(name);
            return it == seconds_.end() ? std::nullopt : std::optional<double>(it->second);
        }
        const auto it = counters_.find(name + ' ' + counter);
        return it == counters_.end() ? std::nullopt : std::optional<double>(it->second);
    }

    std::map<std::string, double> seconds_;
    std::map<std::string, double> counters_;
};

} // namespace

int RunBenchmarks(int argc, char** argv, const std::function<void()>& setUp,
                  const std::vector<Ratio>& ratios) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    static QuietSink quiet;
    SetMessageSink(&quiet);
    if (setUp) setUp();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(::isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                                   : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios(ratios);
    std::fflush(stdout);
    benchmark::Shutdown();
    return 0;
}

namespace {

void WriteMasterList(const std::filesystem::path& file, int lines) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "Part Number\tDescription\n";
    const char* words[] = {"Brick", "Plate", "Slope", "Technic", "Tile", "Wheel"};
    for (int i = 0; i < lines; ++i)
        out << 10000 + i << '\t' << words[i * 6 / lines] << ' ' << (i / 97) % 12 << " x " << i % 8
            << " with Dark Tan Chest and Reddish Brown Stripes Pattern " << i << '\n';
}

} // namespace

TempFolder::TempFolder(const std::string& name)
    : dir(std::filesystem::temp_directory_path() / (name + '-' + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

const std::filesystem::path& MasterListFolder(int lines) {
    static std::map<int, TempFolder> folders;
    auto [it, added] = folders.try_emplace(lines, "tessarin-bench-master-" + std::to_string(lines));
    if (added) {
        SeedDataDir(it->second.dir, TESSARIN_SOURCE_DATA);
        if (lines > 0) WriteMasterList(it->second.dir / "master.txt", lines);
    }
    return it->second.dir;
}

const std::filesystem::path& ShippedDataCopy() {
    return MasterListFolder(0);
}

std::filesystem::path SharedDataFolder(const std::string& name) {
    namespace fs = std::filesystem;
    if (const char* env = std::getenv("TESSARIN_SHARED_DATA"); env && *env) return fs::path(env) / name;
    for (const char* up : {"../shared/data", "../../shared/data", "../../../shared/data"})
        if (fs::is_directory(fs::path(up) / name)) return fs::path(up) / name;
    return {};
}
