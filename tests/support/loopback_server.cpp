#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace {

// A client that stops talking cannot hold the server thread (and the test's end) for longer than this.
constexpr int kReceiveTimeOutSeconds = 10;
constexpr size_t kMaxRequest = 1 << 20;

int Listen(int& port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "loopback socket");
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = errno;
        close(fd);
        throw std::system_error(error, std::generic_category(), "loopback listener");
    }
    port = ntohs(address.sin_port);
    return fd;
}

std::string ReadRequest(int fd) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequest) {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
    }
    return request;
}

} // namespace

LoopbackServer::LoopbackServer(Script script) : script_(std::move(script)) {
    listener_ = Listen(port_);
    if (pipe2(wake_, O_CLOEXEC) != 0) {
        const int error = errno;
        close(listener_);
        throw std::system_error(error, std::generic_category(), "loopback wake pipe");
    }
    thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    const char stop = 1;
    [[maybe_unused]] ssize_t written = write(wake_[1], &stop, 1);
    thread_.join();
    close(listener_);
    close(wake_[0]);
    close(wake_[1]);
}

void LoopbackServer::Serve() {
    for (;;) {
        pollfd p[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(p, 2, -1) <= 0) continue;
        if (p[1].revents) return;
        int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const timeval limit{kReceiveTimeOutSeconds, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        const std::string request = ReadRequest(fd);
        {
            std::lock_guard guard(lock_);
            requests_.push_back(request);
        }
        script_(fd, request);
        close(fd);
    }
}

std::vector<std::string> LoopbackServer::requests() {
    std::lock_guard guard(lock_);
    return requests_;
}

bool SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void WaitForClientClose(int fd) {
    char c;
    while (recv(fd, &c, 1, 0) > 0) {
    }
}

std::string RequestTarget(const std::string& request) {
    const size_t start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

std::string RequestHeaderValue(const std::string& request, const std::string& name) {
    const std::string key = "\r\n" + name + ": ";
    const size_t at = request.find(key);
    if (at == std::string::npos) return {};
    const size_t start = at + key.size();
    return request.substr(start, request.find("\r\n", start) - start);
}

int ClosedPort() {
    int port = 0;
    close(Listen(port));
    return port;
}
