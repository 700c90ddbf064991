#include "support/bench_main.h"
#include "support/generated_pictures.h"

#include "platform/fs.h"
#include "platform/ui.h"

#include <QApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <unistd.h>
#include <unordered_set>

double Fastest(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

namespace {

// The console report, keeping for the ratios the real time per iteration of every repetition of every
// benchmark and the counters of its last run.
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
            seconds_[name].push_back(run.real_accumulated_time / static_cast<double>(run.iterations));
            for (const auto& [counter, value] : run.counters)
                counters_[name + ' ' + counter] = value.value;
        }
    }

    void PrintRatios(const std::vector<Ratio>& ratios) const {
        for (const Ratio& ratio : ratios) {
            const std::string what = ratio.counter.empty() ? "time" : ratio.counter;
            for (const auto& [name, unused] : seconds_) {
                if (name.rfind(ratio.ours, 0) != 0) continue;
                const std::string arguments = name.substr(ratio.ours.size());
                if (!arguments.empty() && arguments[0] != '/') continue;
                const std::string theirs = ratio.theirs + arguments;
                if (!ratio.counter.empty()) {
                    const std::optional<double> a = Counter(name, ratio.counter),
                                                b = Counter(theirs, ratio.counter);
                    if (a && b && *b > 0)
                        std::printf("ratio %-8s %-40s / %-40s %8.2f x\n", what.c_str(), name.c_str(),
                                    theirs.c_str(), *a / *b);
                    continue;
                }
                const auto a = seconds_.find(name), b = seconds_.find(theirs);
                if (b == seconds_.end() || Fastest(b->second) <= 0) continue;
                std::printf("ratio %-8s %-40s / %-40s %8.2f x fastest, %.2f x median\n", what.c_str(),
                            name.c_str(), theirs.c_str(), Fastest(a->second) / Fastest(b->second),
                            Median(a->second) / Median(b->second));
            }
        }
    }

  private:
    std::optional<double> Counter(const std::string& name, const std::string& counter) const {
        const auto it = counters_.find(name + ' ' + counter);
        return it == counters_.end() ? std::nullopt : std::optional<double>(it->second);
    }

    std::map<std::string, std::vector<double>> seconds_;
    std::map<std::string, double> counters_;
};

} // namespace

int RunBenchmarks(int argc, char** argv, const std::function<void()>& setUp,
                  const std::vector<Ratio>& ratios) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
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

int RunInterleaved(int argc, char** argv, const std::function<void()>& setUp,
                   const std::vector<Ratio>& ratios) {
    // First, so that a flag given on the command line still wins.
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    arguments.push_back(nullptr);
    return RunBenchmarks(argc + 1, arguments.data(), setUp, ratios);
}

void Interleaved(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMillisecond)->Repetitions(5);
}

namespace {

struct Part {
    std::string number;
    std::string description;
};

std::vector<Part> RealParts() {
    std::ifstream in(std::filesystem::path(TESSARIN_SOURCE_DATA) / "master.txt", std::ios::binary);
    std::vector<Part> parts;
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos) parts.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return parts;
}

// A further copy of a description: its number over the last characters, so that it keeps its length.
std::string Variant(const std::string& description, std::size_t copy) {
    if (copy == 0) return description;
    const std::string tag = ' ' + std::to_string(copy);
    if (description.size() < 2 * tag.size()) return description + tag;
    return description.substr(0, description.size() - tag.size()) + tag;
}

bool CaselessLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
    });
}

// Parts drawn from the real list, each description made unique, sorted by description without regard to
// case as the real list is.
void WriteMasterList(const std::filesystem::path& file, int lines) {
    const std::vector<Part> real = RealParts();
    if (real.empty()) return;
    std::mt19937 random(20240601); // the same list every run
    std::vector<std::size_t> copies(real.size());
    std::unordered_set<std::string> taken;
    std::vector<Part> parts;
    parts.reserve(static_cast<std::size_t>(lines));
    for (int i = 0; i < lines; ++i) {
        const std::size_t pick = random() % real.size();
        std::size_t copy = copies[pick]++;
        std::string description = Variant(real[pick].description, copy);
        // Copies of equal real descriptions meet: those take numbers no ordinary copy reaches.
        while (!taken.insert(description).second)
            description = Variant(real[pick].description, copy += real.size());
        parts.push_back({copy ? real[pick].number + '-' + std::to_string(copy) : real[pick].number,
                         std::move(description)});
    }
    std::sort(parts.begin(), parts.end(),
              [](const Part& a, const Part& b) { return CaselessLess(a.description, b.description); });
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "Part Number\tDescription\n";
    for (const Part& part : parts)
        out << part.number << '\t' << part.description << '\n';
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

std::filesystem::path SampleLibrary() {
    return std::filesystem::path(TESSARIN_SOURCE_DATA) / "ldraw";
}

std::filesystem::path BenchPicture(const std::string& name) {
    if (name.starts_with("grey16")) return std::filesystem::path(TESSARIN_TEST_DATA) / "png-extra" / name;
    return GeneratedPicture(name);
}
