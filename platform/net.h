#pragma once

#include <memory>
#include <string>
#include <sys/socket.h>
#include <vector>

// Socket errors are numbered as the classic Windows socket layer numbered them, so that the error texts
// users and stored logs know stay the same.
int SocketErrorFromErrno(int errnoValue);
int SocketErrorFromLookup(int lookupError);

struct NetAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
};

// Resolves a host name on a worker thread. The object may be dropped while the lookup still runs: the
// thread then finishes on its own and its result is thrown away.
class HostLookup {
  public:
    HostLookup(const std::string& host, int port);
    bool Done() const;
    // Valid once Done(): the error (0 on success) and the addresses in the order the resolver gave them.
    int Error() const;
    std::vector<NetAddress> Addresses() const;

  private:
    struct State;
    std::shared_ptr<State> state_;
};

// A non-blocking TCP socket. Every call returns at once; Wait() is the only place that blocks.
class TcpSocket {
  public:
    TcpSocket() = default;
    ~TcpSocket() { Close(); }
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // Opens a socket for the address family and starts connecting. Returns 0 when the connection is
    // under way or made, else the error.
    int StartConnect(const NetAddress& address);
    // After Wait() reported the socket writable: 0 when connected, else the error of the attempt.
    int ConnectResult() const;
    // Waits at most timeoutMs for any of the poll events; returns the events seen, 0 on time-out.
    short Wait(short events, int timeoutMs) const;
    // Bytes moved (> 0), 0 when the peer closed (Receive only), -1 with error set (0 for "try again").
    long Send(const char* data, size_t length, int& error);
    long Receive(char* data, size_t length, int& error);
    // Binds to the loopback or any address on port (0: a free one) and listens. 0 or the error.
    int Listen(int port, bool loopbackOnly);
    // The port a listening socket took.
    int LocalPort() const;
    // Takes a pending connection into accepted, with the peer's address. 0 or the error.
    int AcceptInto(TcpSocket& accepted, NetAddress& peer) const;
    // Closes with a reset: an abandoned exchange must not linger.
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};
