// Downloads a large body from a local server with our client and with curl, on the same server.
#include "support/bench_main.h"
#include "support/loopback_server.h"
#include "web/http_client.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr int64_t kBodySize = 200LL * 1024 * 1024;

// Serves kBodySize bytes to every connection from one reused 1 MB block.
LoopbackServer& Server() {
    static LoopbackServer server([](int fd, const std::string&) {
        static const std::string block(1 << 20, 'x');
        SendAll(fd, "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kBodySize) + "\r\n\r\n");
        for (int64_t left = kBodySize; left > 0; left -= static_cast<int64_t>(block.size()))
            SendAll(fd, left >= static_cast<int64_t>(block.size())
                            ? block
                            : block.substr(0, static_cast<size_t>(left)));
    });
    return server;
}

std::string Url() {
    return "http://" + Server().authority() + "/big.bin";
}

// The body and the header file of both clients, removed with their folder at exit.
std::filesystem::path Target(const char* name = "body.bin") {
    static TempFolder folder("tessarin-http-download-bench");
    return folder.dir / name;
}

// Peak resident size since the last reset, in MB.
double PeakRssMb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    double kb = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> kb;
            break;
        }
    }
    return kb / 1024.0;
}

double CurrentRssMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_OurClient(benchmark::State& state) {
    HTTPClient client;
    client.InputFileMode = true;
    client.Body = Target().string();
    client.Header = Target("head.txt").string();
    double baseline = 0, peak = 0;
    for (auto _ : state) {
        baseline = CurrentRssMb();
        ResetPeakRss();
        client.Get(Url());
        peak = PeakRssMb();
        if (client.BytesRecvd != kBodySize) state.SkipWithError("short body");
    }
    state.SetBytesProcessed(state.iterations() * kBodySize);
    state.counters["rss_growth_MB"] = peak - baseline;
    state.counters["peak_rss_MB"] = peak;
}

void BM_Curl(benchmark::State& state) {
    const std::string command = "curl -s -o " + Target().string() + " " + Url();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed");
    state.SetBytesProcessed(state.iterations() * kBodySize);
}

BENCHMARK(BM_OurClient)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Curl)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    // The client pumps the application's events during its waits, as it does in the program.
    return RunBenchmarks(argc, argv, {}, {{"BM_OurClient", "BM_Curl"}});
}
