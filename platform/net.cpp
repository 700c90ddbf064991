#include "platform/net.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

int SocketErrorFromErrno(int e) {
    struct Pair {
        int errnoValue, number;
    };
    static const Pair table[] = {
        {EINTR, 10004},         {EBADF, 10009},        {EACCES, 10013},          {EFAULT, 10014},
        {EINVAL, 10022},        {EMFILE, 10024},       {EWOULDBLOCK, 10035},     {EINPROGRESS, 10036},
        {EALREADY, 10037},      {ENOTSOCK, 10038},     {EDESTADDRREQ, 10039},    {EMSGSIZE, 10040},
        {EPROTOTYPE, 10041},    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
        {EOPNOTSUPP, 10045},    {EPFNOSUPPORT, 10046}, {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},
        {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},     {ENETUNREACH, 10051},     {ENETRESET, 10052},
        {ECONNABORTED, 10053},  {ECONNRESET, 10054},   {EPIPE, 10054},           {ENOBUFS, 10055},
        {EISCONN, 10056},       {ENOTCONN, 10057},     {ESHUTDOWN, 10058},       {ETOOMANYREFS, 10059},
        {ETIMEDOUT, 10060},     {ECONNREFUSED, 10061}, {ELOOP, 10062},           {ENAMETOOLONG, 10063},
        {EHOSTDOWN, 10064},     {EHOSTUNREACH, 10065}, {ENOTEMPTY, 10066},       {EUSERS, 10068},
        {EDQUOT, 10069},        {ESTALE, 10070},       {EREMOTE, 10071},
    };
    if (e == EAGAIN) return 10035;
    for (const Pair& p : table)
        if (p.errnoValue == e) return p.number;
    return 10000 + e;
}

int SocketErrorFromLookup(int lookupError) {
    switch (lookupError) {
    case 0:
        return 0;
    case EAI_AGAIN:
        return 11002;
    case EAI_FAIL:
        return 11003;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return 11004;
#endif
    case EAI_SYSTEM:
        return SocketErrorFromErrno(errno);
    default:
        return 11001;
    }
}

struct HostLookup::State {
    std::atomic<bool> done{false};
    std::mutex lock;
    int error = 0;
    std::vector<NetAddress> addresses;
};

HostLookup::HostLookup(const std::string& host, int port) : state_(std::make_shared<State>()) {
    // The thread holds its own reference, so an abandoned lookup never writes into freed memory.
    std::thread([state = state_, host, service = std::to_string(port)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
        std::lock_guard guard(state->lock);
        state->error = SocketErrorFromLookup(rc);
        for (addrinfo* a = list; rc == 0 && a; a = a->ai_next) {
            NetAddress address;
            std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
            address.length = a->ai_addrlen;
            state->addresses.push_back(address);
        }
        if (list) freeaddrinfo(list);
        state->done = true;
    }).detach();
}

bool HostLookup::Done() const {
    return state_->done;
}

int HostLookup::Error() const {
    std::lock_guard guard(state_->lock);
    return state_->error;
}

std::vector<NetAddress> HostLookup::Addresses() const {
    std::lock_guard guard(state_->lock);
    return state_->addresses;
}

int TcpSocket::StartConnect(const NetAddress& address) {
    Close();
    fd_ = socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd_ < 0) return SocketErrorFromErrno(errno);
    int one = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0) return 0;
    return errno == EINPROGRESS ? 0 : SocketErrorFromErrno(errno);
}

int TcpSocket::ConnectResult() const {
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    return error == 0 ? 0 : SocketErrorFromErrno(error);
}

short TcpSocket::Wait(short events, int timeoutMs) const {
    pollfd p{fd_, events, 0};
    int rc = poll(&p, 1, timeoutMs);
    return rc > 0 ? p.revents : 0;
}

long TcpSocket::Send(const char* data, size_t length, int& error) {
    ssize_t n = send(fd_, data, length, MSG_NOSIGNAL);
    if (n >= 0) return n;
    error = (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : SocketErrorFromErrno(errno);
    return -1;
}

long TcpSocket::Receive(char* data, size_t length, int& error) {
    ssize_t n = recv(fd_, data, length, 0);
    if (n >= 0) return n;
    error = (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : SocketErrorFromErrno(errno);
    return -1;
}

int TcpSocket::Listen(int port, bool loopbackOnly) {
    Close();
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd_ < 0) return SocketErrorFromErrno(errno);
    int one = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(loopbackOnly ? INADDR_LOOPBACK : INADDR_ANY);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd_, 5) != 0) {
        const int error = SocketErrorFromErrno(errno);
        Close();
        return error;
    }
    return 0;
}

int TcpSocket::LocalPort() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

int TcpSocket::AcceptInto(TcpSocket& accepted, NetAddress& peer) const {
    peer = NetAddress{};
    peer.length = sizeof peer.storage;
    const int fd =
        accept4(fd_, reinterpret_cast<sockaddr*>(&peer.storage), &peer.length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return SocketErrorFromErrno(errno);
    accepted.Close();
    accepted.fd_ = fd;
    return 0;
}

void TcpSocket::Close() {
    if (fd_ < 0) return;
    linger reset{1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(fd_);
    fd_ = -1;
}
