// Start-up: the whole program as a process, from exec to the first paint of its master list, beside a lean
// plain list program over the same master.txt. Runs alternate between the two after an uncounted first run
// of each (which writes the program's settings and warms the file cache); each size reports the median and
// the fastest time of both with their ratios, and the median peak memory of both with its ratio. The peak
// is reported as a run ends, so it holds the part hash the program builds beside its first paint. Both
// run under the offscreen platform with a probe preloaded that reports the first paint of a list holding
// all the parts and then ends the event loop.
#include <benchmark/benchmark.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "support/bench_main.h"

extern char** environ;

namespace {

// A run that takes longer than this has hung: it counts as failed.
constexpr int kRunLimitMs = 180'000;

struct Run {
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

// The probe's report: the monotonic time of the first paint in nanoseconds, then the peak resident memory
// in kB; nothing when it gave not both in time.
struct Report {
    long long paintedAt;
    long peakKilobytes;
};

std::optional<Report> ReadReport(int fd) {
    std::string report;
    char buffer[64];
    for (;;) {
        pollfd wait{fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, kRunLimitMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        report.append(buffer, static_cast<std::size_t>(got));
    }
    Report read{};
    if (std::sscanf(report.c_str(), "%lld %ld", &read.paintedAt, &read.peakKilobytes) != 2)
        return std::nullopt;
    return read;
}

// Waits for the child to end; false when it failed, or did not end in time and was killed.
bool WaitForExit(pid_t child) {
    int status = 0;
    for (int waited = 0; waited < kRunLimitMs; waited += 10) {
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (ended < 0 && errno != EINTR) return false;
        ::usleep(10'000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return false;
}

// Starts the program on the data folder, times it to the probe's report and waits for it to end.
std::optional<Run> RunToFirstPaint(const char* program, const std::filesystem::path& folder, int rows) {
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
    const std::optional<Report> report = spawned == 0 ? ReadReport(pipe[0]) : std::nullopt;
    ::close(pipe[0]);
    const bool ended = spawned == 0 && WaitForExit(child);
    if (!report || !ended) return std::nullopt;
    const long long startedAt = start.tv_sec * 1000000000LL + start.tv_nsec;
    return Run{static_cast<double>(report->paintedAt - startedAt) / 1e9,
               static_cast<double>(report->peakKilobytes) / 1024};
}

// The times and peaks of one program's counted runs.
struct Runs {
    const char* program;
    std::vector<double> seconds;
    std::vector<double> peaks;
};

void StartUp(benchmark::State& state) {
    const std::filesystem::path& folder = MasterListFolder(static_cast<int>(state.range(0)));
    const int rows = LineCount(folder / "master.txt");
    Runs ours{TESSARIN_PROGRAM, {}, {}}, theirs{PLAIN_LIST_VIEW, {}, {}};
    for (const Runs* runs : {&ours, &theirs})
        if (!RunToFirstPaint(runs->program, folder, rows)) {
            state.SkipWithError("a program ended without painting its list");
            return;
        }
    bool oursFirst = true;
    for (auto _ : state) {
        for (Runs* runs : oursFirst ? std::vector{&ours, &theirs} : std::vector{&theirs, &ours}) {
            const std::optional<Run> run = RunToFirstPaint(runs->program, folder, rows);
            if (!run) {
                state.SkipWithError("a program ended without painting its list");
                return;
            }
            runs->seconds.push_back(run->seconds);
            runs->peaks.push_back(run->peakMegabytes);
        }
        state.SetIterationTime(ours.seconds.back());
        oursFirst = !oursFirst;
    }
    state.counters["rows"] = rows;
    state.counters["ours_med_ms"] = Median(ours.seconds) * 1e3;
    state.counters["ours_min_ms"] = Fastest(ours.seconds) * 1e3;
    state.counters["peer_med_ms"] = Median(theirs.seconds) * 1e3;
    state.counters["peer_min_ms"] = Fastest(theirs.seconds) * 1e3;
    state.counters["time_x_med"] = Median(ours.seconds) / Median(theirs.seconds);
    state.counters["time_x_min"] = Fastest(ours.seconds) / Fastest(theirs.seconds);
    state.counters["ours_peak_MB"] = Median(ours.peaks);
    state.counters["peer_peak_MB"] = Median(theirs.peaks);
    state.counters["peak_x"] = Median(ours.peaks) / Median(theirs.peaks);
}

// 0 is the real master list of 17,620 parts.
BENCHMARK(StartUp)->Arg(1000)->Arg(10000)->Arg(0)->Arg(100000)->Iterations(11)->UseManualTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(StartUp)->Arg(1000000)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
