// A server's whole reply goes through a real GET over loopback, once into strings and once into files:
// the status line, header lines, cookies, redirects and body capture must neither crash, hang nor lose
// or invent a byte of what arrived.
#include "web/http_client.h"

#include <arpa/inet.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kStallMs = 5000;
constexpr size_t kMaxRequest = 1 << 20;

// Answers every connection on 127.0.0.1 with the current reply, one connection at a time.
class ReplyServer {
  public:
    ReplyServer() {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(listener_, 16) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::perror("loopback listener");
            std::abort();
        }
        port_ = ntohs(address.sin_port);
        std::thread([this] { Serve(); }).detach();
    }
    int port() const { return port_; }
    void SetReply(std::string reply) {
        std::lock_guard guard(lock_);
        reply_ = std::move(reply);
    }

  private:
    static bool Readable(int fd) {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, kStallMs) > 0;
    }
    // The request is read whole first, so closing afterwards never resets the reply away.
    static void ReadRequest(int fd) {
        std::string request;
        char piece[4096];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequest &&
               Readable(fd)) {
            ssize_t n = recv(fd, piece, sizeof piece, 0);
            if (n <= 0) return;
            request.append(piece, static_cast<size_t>(n));
        }
    }
    static void SendAll(int fd, std::string_view bytes) {
        while (!bytes.empty()) {
            ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) return;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
    }
    // Waits until the client has taken everything and gone.
    static void DrainUntilClosed(int fd) {
        char piece[4096];
        while (Readable(fd) && recv(fd, piece, sizeof piece, 0) > 0) {
        }
    }
    void Serve() {
        for (;;) {
            int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            ReadRequest(fd);
            std::string reply;
            {
                std::lock_guard guard(lock_);
                reply = reply_;
            }
            SendAll(fd, reply);
            shutdown(fd, SHUT_WR);
            DrainUntilClosed(fd);
            close(fd);
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::mutex lock_;
    std::string reply_;
};

// Thrown when a redirect would take the client anywhere but the loopback server.
struct LeftLoopback {};

struct Folder {
    std::filesystem::path path;
    Folder() {
        char name[] = "/tmp/fuzz_web_reply.XXXXXX";
        if (!mkdtemp(name)) std::abort();
        path = name;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::string FileBytes(const std::filesystem::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool HasLineFeed(const std::string& text) {
    return text.find('\n') != std::string::npos;
}

// One GET of the reply; the header and body the client kept, or false when it refused the reply.
bool Fetch(ReplyServer& server, const Folder* files, std::string& kept) {
    HTTPClient client;
    client.Pump = nullptr;
    client.TimeOut = kStallMs;
    client.IdleTimeOut = kStallMs;
    client.MaxRedirects = 2;
    client.OnAboutToSend = [&] {
        if (client.Host != "127.0.0.1" || client.Port != server.port()) throw LeftLoopback{};
    };
    if (files) {
        client.InputFileMode = true;
        client.Header = (files->path / "head.txt").string();
        client.Body = (files->path / "body.dat").string();
    }
    try {
        client.Get("http://127.0.0.1:" + std::to_string(server.port()) + "/inv/");
    } catch (const ESockError&) {
        // The server answers at once and closes, so waiting out a time-out means the client hung.
        if (client.TimedOut) __builtin_trap();
        return false;
    } catch (const LeftLoopback&) {
        return false;
    }
    // Each value comes from one header line, so none may reach into the next.
    if (HasLineFeed(client.StatusLine) || HasLineFeed(client.CookieIn) || HasLineFeed(client.Location))
        __builtin_trap();
    if (client.ReplyNumber < 0 || client.ContentLength < -1) __builtin_trap();
    kept = files ? FileBytes(client.Header) + FileBytes(client.Body) : client.Header + client.Body;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ReplyServer& server = *new ReplyServer;
    static Folder files;
    const std::string reply(reinterpret_cast<const char*>(data), size);
    server.SetReply(reply);
    std::string inStrings, inFiles;
    const bool takenAsStrings = Fetch(server, nullptr, inStrings);
    const bool takenAsFiles = Fetch(server, &files, inFiles);
    // Both ways take the same replies, and the header and body kept are exactly the bytes sent.
    if (takenAsStrings != takenAsFiles) __builtin_trap();
    if (takenAsStrings && (inStrings != reply || inFiles != reply)) __builtin_trap();
    return 0;
}
