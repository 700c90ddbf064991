// Downloads a large body from a local server with our client and with curl, on the same server.
#include "web/http_client.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int64_t kBodySize = 200LL * 1024 * 1024;

// Serves kBodySize bytes to every connection from one reused 1 MB block.
class BodyServer {
  public:
    BodyServer() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 4);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~BodyServer() {
        stop_ = true;
        thread_.join();
        close(listener_);
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/big.bin"; }

  private:
    void Serve() {
        const std::string block(1 << 20, 'x');
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            int fd = accept(listener_, nullptr, nullptr);
            char request[4096];
            (void)!recv(fd, request, sizeof request, 0);
            std::string header =
                "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kBodySize) + "\r\n\r\n";
            (void)!send(fd, header.data(), header.size(), MSG_NOSIGNAL);
            for (int64_t left = kBodySize; left > 0;) {
                ssize_t n = send(fd, block.data(), static_cast<size_t>(std::min<int64_t>(left, block.size())),
                                 MSG_NOSIGNAL);
                if (n <= 0) break;
                left -= n;
            }
            close(fd);
        }
    }
    int listener_ = -1, port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

BodyServer& Server() {
    static BodyServer server;
    return server;
}

std::filesystem::path Target() {
    return std::filesystem::temp_directory_path() / "tessarin_bench_body.bin";
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
    client.Header = (std::filesystem::temp_directory_path() / "tessarin_bench_head.txt").string();
    double baseline = 0, peak = 0;
    for (auto _ : state) {
        baseline = CurrentRssMb();
        ResetPeakRss();
        client.Get(Server().Url());
        peak = PeakRssMb();
        if (client.BytesRecvd != kBodySize) state.SkipWithError("short body");
    }
    state.SetBytesProcessed(state.iterations() * kBodySize);
    state.counters["rss_growth_MB"] = peak - baseline;
    state.counters["peak_rss_MB"] = peak;
}

void BM_Curl(benchmark::State& state) {
    const std::string command = "curl -s -o " + Target().string() + " " + Server().Url();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed");
    state.SetBytesProcessed(state.iterations() * kBodySize);
}

BENCHMARK(BM_OurClient)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Curl)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    // The client pumps the application's events during its waits, as it does in the program.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove(Target());
    return 0;
}
