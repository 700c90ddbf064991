// Start-up: the whole program as a process, from exec to the first paint of its master list, beside a plain
// list view program over the same master.txt, with the peak memory of each at that moment. Both run under
// the offscreen platform with a probe preloaded that reports the first paint of a list holding the parts.
#include <benchmark/benchmark.h>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/bench_main.h"

extern char** environ;

namespace {

struct FirstPaint {
    double seconds = 0;
    double peakMegabytes = 0;
};

int LineCount(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    int lines = 0;
    for (std::string line; std::getline(in, line);)
        lines += !line.empty();
    return lines - 1; // the header
}

// Starts the program on the data folder and waits for its probe's report; nothing on failure.
std::optional<FirstPaint> RunToFirstPaint(const char* program, const std::filesystem::path& folder,
                                          int rows) {
    int pipe[2];
    if (::pipe(pipe) != 0) return std::nullopt;
    std::vector<std::string> settings = {
        "QT_QPA_PLATFORM=offscreen", "LD_PRELOAD=" FIRST_PAINT_PROBE, "TESSARIN_HOME=" + folder.string(),
        "TESSARIN_PROBE_ROWS=" + std::to_string(rows), "TESSARIN_PROBE_FD=" + std::to_string(pipe[1])};
    std::vector<char*> environment;
    for (std::string& setting : settings)
        environment.push_back(setting.data());
    for (char** inherited = environ; *inherited; ++inherited)
        environment.push_back(*inherited);
    environment.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program), nullptr};

    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child = 0;
    // Its messages would bury the figures: a failed run shows as a missing report.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&child, program, &actions, nullptr, argv, environment.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    std::string report;
    char buffer[128];
    for (ssize_t got; spawned == 0 && (got = ::read(pipe[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        report.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipe[0]);
    int status = 0;
    if (spawned == 0) ::waitpid(child, &status, 0);
    long long paintedAt = 0;
    long peakKilobytes = 0;
    if (std::sscanf(report.c_str(), "%lld %ld", &paintedAt, &peakKilobytes) != 2) return std::nullopt;
    const long long startedAt = start.tv_sec * 1000000000LL + start.tv_nsec;
    return FirstPaint{static_cast<double>(paintedAt - startedAt) / 1e9,
                      static_cast<double>(peakKilobytes) / 1024};
}

void StartUp(benchmark::State& state, const char* program) {
    const std::filesystem::path& folder = MasterListFolder(static_cast<int>(state.range(0)));
    const int rows = LineCount(folder / "master.txt");
    FirstPaint last;
    for (auto _ : state) {
        const std::optional<FirstPaint> run = RunToFirstPaint(program, folder, rows);
        if (!run) {
            state.SkipWithError("the program ended without painting its list");
            return;
        }
        state.SetIterationTime(run->seconds);
        last = *run;
    }
    state.counters["rows"] = rows;
    state.counters["peak_MB"] = last.peakMegabytes;
}

void Tessarin(benchmark::State& state) {
    StartUp(state, TESSARIN_PROGRAM);
}
void PlainListView(benchmark::State& state) {
    StartUp(state, PLAIN_LIST_VIEW);
}

// 0 is the real master list of 17,620 parts.
void Sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(1000)->Arg(10000)->Arg(0)->Arg(100000)->Arg(1000000);
    benchmark->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3);
    benchmark->ReportAggregatesOnly(false);
}
BENCHMARK(Tessarin)->Apply(Sizes);
BENCHMARK(PlainListView)->Apply(Sizes);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, {},
                         {{"Tessarin", "PlainListView"}, {"Tessarin", "PlainListView", "peak_MB"}});
}
