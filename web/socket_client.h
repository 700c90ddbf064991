#pragma once

#include "platform/net.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// Socket and host lookup failures.
class ESockError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
// No connection came about, so no server answered: the host lookup or the connection attempt failed or
// timed out. The text is the one the socket layer raises; Reason() adds the system's own words to it.
class EConnectError : public ESockError {
  public:
    explicit EConnectError(const std::string& text, int code = 0) : ESockError(text), code_(code) {}
    std::string Reason() const;

  private:
    int code_;
};
// A reply body that cannot be kept: larger than the capture limit, or not writable to its file. The text
// says which, for the user.
class ECaptureError : public ESockError {
  public:
    using ESockError::ESockError;
};
// A blocking call ended by Cancel().
class EAbortError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
// Thrown out of a wait whose client was destroyed by the events pumped during it. It is deliberately no
// std::exception, so no handler that would touch the dead client catches it on the way out.
struct SocketClientDestroyed {};

// "10061:Connection refused" for a known error, "Unknown Error No. n" otherwise.
std::string SocketErrorText(int code);

// Field n (from 1) of text split at separator; empty when there is no such field.
std::string NthFieldByChar(std::string_view text, char separator, int n);
// Position (from 1) of the n-th separator; the text's length when there are fewer.
int NthSeparatorPos(std::string_view text, char separator, int n);

// Blocking TCP client calls on a non-blocking socket. Every wait pumps the application's events, so the
// interface stays alive and Cancel() can be reached; a call whose client is destroyed meanwhile unwinds
// with SocketClientDestroyed without touching it.
class SocketClient {
  public:
    SocketClient();
    virtual ~SocketClient();
    SocketClient(const SocketClient&) = delete;
    SocketClient& operator=(const SocketClient&) = delete;

    std::string Host;
    int Port = 0;
    // Milliseconds allowed for host lookup and connecting (0: no limit) and for any silence of the peer
    // while reading or sending (0: no limit).
    int TimeOut = 30000;
    int IdleTimeOut = 60000;
    int ReportLevel = 1;
    // Bytes a capture takes at most (-1: no limit); past it the capture stops with ECaptureError, so a reply
    // that never ends cannot fill the disk or the memory.
    int64_t CaptureLimit = -1;

    std::function<void()> OnConnect, OnDisconnect, OnHostResolved, OnConnectionFailed, OnPacketRecvd,
        OnPacketSent;
    // Handled := true asks for another lookup (the handler may have changed Host).
    std::function<void(bool& handled)> OnInvalidHost;
    std::function<void(const std::string& status)> OnStatus;
    // Called by every wait at least every kPumpIntervalMs, data arriving or not; ProcessMessages() unless
    // replaced.
    std::function<void()> Pump;
    static constexpr int kPumpIntervalMs = 20;

    std::string Status;
    int LastErrorNo = 0;
    int64_t BytesSent = 0, BytesRecvd = 0, BytesTotal = 0;
    bool Canceled = false, TimedOut = false, Connected = false;
    std::string TransactionReply;
    int ReplyNumber = 0;

    void Connect();
    void Disconnect();
    void Cancel();
    void Write(std::string_view text);
    void Writeln(std::string_view text);
    // The next line including its line feed; what is left when the peer closes without one (empty at the
    // end). A line longer than maxLength is refused.
    std::string ReadLn(size_t maxLength = 65536);
    std::string Transaction(std::string_view command);
    void SendBuffer(std::string_view bytes);
    void SendFile(const std::filesystem::path& name);
    // Everything received until the peer closes goes into a new file (ECaptureError when it cannot).
    void CaptureFile(const std::filesystem::path& name);
    // maxLength -1: until the peer closes; otherwise until text holds at least maxLength bytes.
    void CaptureString(std::string& text, int64_t maxLength);
    // Waits (pumping events) for a connection to the listening socket and returns it, keeping the peer's
    // address. Raises "Error creating Data Connection" when there is nothing to accept from, "Accepting
    // Canceled" when cancelled.
    std::unique_ptr<TcpSocket> Accept();
    NetAddress PeerAddress;

    // What the socket layer said when the first client started: version, description, limits.
    static const std::vector<std::string>& StartupInfo();

  protected:
    // For descendants that take a connection instead of making one: listens on the loopback address at
    // port (0: a free one) and returns the port taken.
    int Listen(int port);
    // The proxy, when a descendant has one, is where the connection goes.
    virtual std::string ConnectHost() const { return Host; }
    virtual int ConnectPort() const { return Port; }
    void Report(int level, const std::string& text);

  private:
    enum class WaitResult { Ready, TimedOut, Canceled };
    void PumpEvents();
    // Pumps when the last pump is kPumpIntervalMs ago, so a steady stream cannot hold the window.
    void PumpIfDue();
    void CountCaptured(size_t count);
    WaitResult WaitFor(short events, int timeoutMs);
    WaitResult WaitForLookup(const HostLookup& lookup);
    std::vector<NetAddress> Resolve();
    bool TryConnect(const NetAddress& address);
    // Appends what arrives to the receive buffer; false once the peer has closed.
    bool ReceiveMore(const char* abortText);
    std::string TakeReceived(size_t count);
    size_t Pending() const { return received_.size() - readPos_; }
    // Raises the error's text; as EConnectError while connecting.
    [[noreturn]] void RaiseError(int code, bool connecting = false);

    TcpSocket socket_;
    std::string received_;
    size_t readPos_ = 0;
    bool peerClosed_ = false;
    std::chrono::steady_clock::time_point lastPump_;
    bool listening_ = false;
    std::shared_ptr<bool> alive_;
};
