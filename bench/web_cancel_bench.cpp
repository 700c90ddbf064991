// Cancel during a master list download: the time from Cancel to the command's end while the server streams
// a list that never ends as fast as the client takes it, beside the same while the server says nothing.
#include <benchmark/benchmark.h>

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/fs.h"
#include "support/bench_main.h"
#include "support/loopback_server.h"
#include "tests/support/quiet_web_host.h"
#include "web/web_service.h"

namespace {

using Clock = std::chrono::steady_clock;

void Stream(int fd, const std::string&) {
    std::string piece = "HTTP/1.0 200 OK\r\n\r\nPart Number\tDescription\n";
    while (piece.size() < 65536)
        piece += "3001\tBrick 2 x 4\n";
    while (SendAll(fd, piece)) {
    }
}

// Milliseconds from Cancel, pressed after the download has run a while, to the end of the command.
double CancelLatency(LoopbackServer& server) {
    setenv("TESSARIN_SERVICE_HOST", server.authority().c_str(), 1);
    QuietWebHost window;
    QuietPrompts quiet;
    WebService service(window, quiet);
    service.Limits.masterList = int64_t{1} << 40; // only Cancel ends it
    Clock::time_point cancelled;
    QTimer::singleShot(300, [&] {
        cancelled = Clock::now();
        service.Cancel();
    });
    service.UpdateMasterList();
    return std::chrono::duration<double, std::milli>(Clock::now() - cancelled).count();
}

// Each iteration's time is the latency of one Cancel.
void Cancel(benchmark::State& state, bool streaming) {
    SetDataDir(ShippedDataCopy());
    LoopbackServer server(streaming ? LoopbackServer::Script(Stream)
                                    : [](int fd, const std::string&) { WaitForClientClose(fd); });
    double worst = 0;
    for (auto _ : state) {
        const double latency = CancelLatency(server);
        worst = std::max(worst, latency);
        state.SetIterationTime(latency / 1000);
    }
    state.counters["worst_ms"] = worst;
}
BENCHMARK_CAPTURE(Cancel, streaming, true)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(Cancel, silent, false)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(
        argc, argv, {},
        {{"Cancel/streaming", "Cancel/silent"}, {"Cancel/streaming", "Cancel/silent", "worst_ms"}});
}
