#include "support/reply_server.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr size_t kMaxRequest = 1 << 20;

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, kStallMs) > 0;
}

// The request is read whole first, so closing afterwards never resets the reply away.
void ReadRequest(int fd) {
    std::string request;
    char piece[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequest && Readable(fd)) {
        ssize_t n = recv(fd, piece, sizeof piece, 0);
        if (n <= 0) return;
        request.append(piece, static_cast<size_t>(n));
    }
}

void SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

// Waits until the client has taken everything and gone.
void DrainUntilClosed(int fd) {
    char piece[4096];
    while (Readable(fd) && recv(fd, piece, sizeof piece, 0) > 0) {
    }
}

} // namespace

ReplyServer::ReplyServer() {
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

void ReplyServer::SetReply(std::string reply) {
    std::lock_guard guard(lock_);
    reply_ = std::move(reply);
}

void ReplyServer::Serve() {
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

void KeepOnLoopback(HTTPClient& client, const ReplyServer& server) {
    client.Pump = nullptr;
    client.TimeOut = kStallMs;
    client.IdleTimeOut = kStallMs;
    client.MaxRedirects = 2;
    client.OnAboutToSend = [&client, port = server.port()] {
        if (client.Host != "127.0.0.1" || client.Port != port) throw LeftLoopback{};
    };
}
