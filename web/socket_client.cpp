#include "web/socket_client.h"

#include "platform/ui.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr size_t kPiece = 65536;
constexpr int kSliceMs = 10;

struct ErrorRow {
    int code;
    const char* text;
};
const ErrorRow kErrors[] = {
    {10004, "Interrupted system call"},
    {10009, "Bad file number"},
    {10013, "Permission denied"},
    {10014, "Bad address"},
    {10022, "Invalid argument"},
    {10024, "Too many open files"},
    {10035, "Operation would block"},
    {10036, "Operation now in progress"},
    {10037, "Operation already in progress"},
    {10038, "Socket operation on non-socket"},
    {10039, "Destination address required"},
    {10040, "Message too long"},
    {10041, "Wrong protocol type for socket"},
    {10042, "Bad protocol option"},
    {10043, "Protocol not supported"},
    {10044, "Socket type not supported"},
    {10045, "Operation not supported on socket"},
    {10046, "Protocol family not supported"},
    {10047, "Address family not supported by protocol family"},
    {10048, "Address already in use"},
    {10049, "Can't assign requested address"},
    {10050, "Network is down"},
    {10051, "Network is unreachable"},
    {10052, "Network dropped connection or reset"},
    {10053, "Software caused connection abort"},
    {10054, "Connection reset by peer"},
    {10055, "No buffer space available"},
    {10056, "Socket is already connected"},
    {10057, "Socket is not connected"},
    {10058, "Can't send after socket shutdown"},
    {10059, "Too many references, can't splice"},
    {10060, "Connection timed out"},
    {10061, "Connection refused"},
    {10062, "Too many levels of symbolic links"},
    {10063, "File name too long"},
    {10064, "Host is down"},
    {10065, "No route to Host"},
    {10066, "Directory not empty"},
    {10067, "Too many processes"},
    {10068, "Too many users"},
    {10069, "Disc quota exceeded"},
    {10070, "Stale NFS file handle"},
    {10071, "Too many levels of remote in path"},
    {10091, "Network subsystem is unavailable"},
    {10092, "Incompatible version of WINSOCK.DLL"},
    {10093, "Successful WSAStartup not yet performed"},
    {11001, "Host not found"},
    {11002, "Non-Authoritative Host not found"},
    {11003, "Non-Recoverable error: FORMERR, REFUSED, NOTIMP"},
    {11004, "Valid name, no data record of requested type"},
    {0, "Unrecognized error code"},
};

using Clock = std::chrono::steady_clock;

std::string SizeText(int64_t bytes) {
    constexpr int64_t kMegabyte = int64_t{1} << 20;
    if (bytes > 0 && bytes % kMegabyte == 0) return std::to_string(bytes / kMegabyte) + " MB";
    return std::to_string(bytes) + " bytes";
}

// The file a capture writes, closed on every way out; each failure names the file and the system's reason.
class CaptureOutput {
  public:
    explicit CaptureOutput(const std::filesystem::path& name)
        : name_(name), fd_(open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
        if (fd_ < 0) Fail("Cannot create ");
    }
    ~CaptureOutput() {
        if (fd_ >= 0) close(fd_);
    }
    CaptureOutput(const CaptureOutput&) = delete;
    CaptureOutput& operator=(const CaptureOutput&) = delete;

    void Write(const char* data, size_t size) {
        while (size > 0) {
            const ssize_t n = write(fd_, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) Fail("Cannot write ");
            data += n;
            size -= static_cast<size_t>(n);
        }
    }
    void Close() {
        const int fd = std::exchange(fd_, -1);
        if (close(fd) != 0) Fail("Cannot write ");
    }

  private:
    [[noreturn]] void Fail(const char* what) const {
        throw ECaptureError(what + name_.string() + ": " + std::strerror(errno));
    }
    std::filesystem::path name_;
    int fd_;
};

} // namespace

std::string EConnectError::Reason() const {
    const std::string system = code_ != 0 ? SocketErrorText(code_) : std::string();
    return system.empty() || system == what() ? what() : std::string(what()) + " (" + system + ")";
}

std::string SocketErrorText(int code) {
    for (const ErrorRow& row : kErrors)
        if (row.code == code) return std::to_string(code) + ":" + row.text;
    return "Unknown Error No. " + std::to_string(code);
}

std::string NthFieldByChar(std::string_view text, char separator, int n) {
    size_t start = 0;
    for (int field = 1; field < n; ++field) {
        size_t next = text.find(separator, start);
        if (next == std::string_view::npos) return {};
        start = next + 1;
    }
    if (n < 1) return {};
    return std::string(text.substr(start, text.find(separator, start) - start));
}

int NthSeparatorPos(std::string_view text, char separator, int n) {
    int seen = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == separator && ++seen == n) return static_cast<int>(i) + 1;
    return static_cast<int>(text.size());
}

SocketClient::SocketClient() : Pump(ProcessMessages), alive_(std::make_shared<bool>(true)) {
    Report(8, "Create");
    StartupInfo();
}

// POSIX sockets need no start-up; the list tells what the classic socket layer told, in its form.
const std::vector<std::string>& SocketClient::StartupInfo() {
    static const std::vector<std::string> info = [] {
        rlimit files{};
        const long sockets = getrlimit(RLIMIT_NOFILE, &files) == 0 ? long(files.rlim_cur) : 0;
        return std::vector<std::string>{"Version= 1.1",
                                        "High Version= 2.2",
                                        "Description= POSIX sockets",
                                        "System= Running",
                                        "Max Sockets= " + std::to_string(sockets),
                                        "Max Udp pack size= 65507"};
    }();
    return info;
}

int SocketClient::Listen(int port) {
    if (int error = socket_.Listen(port, true); error != 0) RaiseError(error);
    listening_ = true;
    return socket_.LocalPort();
}

std::unique_ptr<TcpSocket> SocketClient::Accept() {
    Canceled = false;
    // A connecting socket has nothing to accept: waiting on it would wait for its data instead.
    if (!listening_) throw ESockError("Error creating Data Connection");
    const WaitResult result = WaitFor(POLLIN, 0);
    if (result == WaitResult::Canceled) {
        Canceled = false;
        throw ESockError("Accepting Canceled");
    }
    Report(4, "Accepting");
    auto accepted = std::make_unique<TcpSocket>();
    if (int error = socket_.AcceptInto(*accepted, PeerAddress); error != 0) {
        LastErrorNo = error;
        throw ESockError("Error creating Data Connection");
    }
    Connected = true;
    return accepted;
}

SocketClient::~SocketClient() {
    *alive_ = false;
    Report(8, "Destroy");
}

void SocketClient::Report(int level, const std::string& text) {
    if (level > ReportLevel) return;
    Status = text;
    if (OnStatus) OnStatus(text);
}

void SocketClient::PumpEvents() {
    // The pumped events may cancel us or even destroy us: nothing of this object is touched afterwards
    // until it is known to be alive, and the callback runs from a copy of its own.
    std::shared_ptr<bool> alive = alive_;
    if (std::function<void()> pump = Pump) pump();
    if (!*alive) throw SocketClientDestroyed{};
    lastPump_ = Clock::now();
}

void SocketClient::PumpIfDue() {
    if (Clock::now() - lastPump_ >= std::chrono::milliseconds(kPumpIntervalMs)) PumpEvents();
}

SocketClient::WaitResult SocketClient::WaitFor(short events, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (Canceled) return WaitResult::Canceled;
        if (socket_.Wait(events, kSliceMs) != 0) {
            PumpIfDue();
            return Canceled ? WaitResult::Canceled : WaitResult::Ready;
        }
        PumpEvents();
        if (Canceled) return WaitResult::Canceled;
        if (timeoutMs > 0 && Clock::now() >= deadline) return WaitResult::TimedOut;
    }
}

SocketClient::WaitResult SocketClient::WaitForLookup(const HostLookup& lookup) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(TimeOut);
    while (!lookup.Done()) {
        PumpEvents();
        if (Canceled) return WaitResult::Canceled;
        if (TimeOut > 0 && Clock::now() >= deadline) return WaitResult::TimedOut;
        poll(nullptr, 0, 1);
    }
    return WaitResult::Ready;
}

void SocketClient::RaiseError(int code, bool connecting) {
    Report(16, "Checking Error In Error Manager");
    LastErrorNo = code;
    Report(8, "Looking Up Error Message " + std::to_string(code));
    if (connecting) throw EConnectError(SocketErrorText(code), code);
    throw ESockError(SocketErrorText(code));
}

std::vector<NetAddress> SocketClient::Resolve() {
    Report(8, "Resolve Host");
    const std::string host = ConnectHost();
    if (host.empty()) return {};
    Report(8, "Timer On");
    HostLookup lookup(host, ConnectPort());
    WaitResult result = WaitForLookup(lookup);
    Report(8, "Timer Off");
    if (result == WaitResult::TimedOut) {
        TimedOut = true;
        throw EConnectError("Host Lookup Timed Out");
    }
    if (result == WaitResult::Canceled) throw ESockError("Host Lookup Canceled");
    if (lookup.Error() != 0) {
        LastErrorNo = lookup.Error();
        throw EConnectError("Host Lookup Failed", LastErrorNo);
    }
    if (OnHostResolved) OnHostResolved();
    return lookup.Addresses();
}

void SocketClient::Connect() {
    Report(8, "Connecting");
    Canceled = false;
    TimedOut = false;
    if (Connected) throw ESockError("Already connected");
    listening_ = false;
    std::vector<NetAddress> addresses = Resolve();
    if (addresses.empty() && OnInvalidHost) {
        bool handled = false;
        OnInvalidHost(handled);
        if (handled) addresses = Resolve();
    }
    if (addresses.empty()) throw EConnectError("Null Remote Address");
    received_.clear();
    readPos_ = 0;
    peerClosed_ = false;
    // A name may resolve to several addresses (localhost: IPv6 and IPv4); the first that answers wins.
    for (const NetAddress& address : addresses)
        if (TryConnect(address)) {
            Connected = true;
            if (OnConnect) OnConnect();
            return;
        }
    if (OnConnectionFailed) OnConnectionFailed();
    socket_.Close();
    if (TimedOut) throw EConnectError("Connection Timed out");
    if (Canceled) throw ESockError("Connection Canceled");
    if (LastErrorNo != 0) RaiseError(LastErrorNo, true);
    throw EConnectError("Connection Failed");
}

bool SocketClient::TryConnect(const NetAddress& address) {
    LastErrorNo = socket_.StartConnect(address);
    if (LastErrorNo != 0) return false;
    Report(8, "Timer On");
    WaitResult result = WaitFor(POLLOUT, TimeOut);
    Report(8, "Timer Off");
    if (result == WaitResult::TimedOut) {
        Report(8, "Timer Triggered");
        TimedOut = true;
    }
    if (result != WaitResult::Ready) return false;
    LastErrorNo = socket_.ConnectResult();
    return LastErrorNo == 0;
}

void SocketClient::Disconnect() {
    Report(8, "Disconnecting");
    Report(4, "Request Close Socket");
    Connected = false;
    listening_ = false;
    socket_.Close();
    received_.clear();
    readPos_ = 0;
    if (OnDisconnect) OnDisconnect();
}

void SocketClient::Cancel() {
    Report(8, "Canceling");
    Canceled = true;
}

bool SocketClient::ReceiveMore(const char* abortText) {
    if (peerClosed_) return false;
    switch (WaitFor(POLLIN, IdleTimeOut)) {
    case WaitResult::Canceled:
        throw EAbortError(abortText);
    case WaitResult::TimedOut:
        TimedOut = true;
        throw ESockError("Socket read timed out");
    case WaitResult::Ready:
        break;
    }
    Report(8, "ReadToStream");
    // Consumed bytes are dropped before the buffer grows, so it stays near one piece in size.
    if (readPos_ > 0) {
        received_.erase(0, readPos_);
        readPos_ = 0;
    }
    const size_t old = received_.size();
    received_.resize(old + kPiece);
    int error = 0;
    long n = socket_.Receive(received_.data() + old, kPiece, error);
    received_.resize(old + static_cast<size_t>(std::max(n, 0L)));
    if (n < 0 && error != 0) RaiseError(error);
    if (n == 0) {
        peerClosed_ = true;
        Connected = false;
        return false;
    }
    return true;
}

std::string SocketClient::TakeReceived(size_t count) {
    std::string out = received_.substr(readPos_, count);
    readPos_ += count;
    return out;
}

void SocketClient::SendBuffer(std::string_view bytes) {
    Report(4, "Sending Buffer");
    while (!bytes.empty()) {
        switch (WaitFor(POLLOUT, IdleTimeOut)) {
        case WaitResult::Canceled:
            throw EAbortError("Socket send aborted");
        case WaitResult::TimedOut:
            TimedOut = true;
            throw ESockError("Socket send timed out");
        case WaitResult::Ready:
            break;
        }
        Report(8, "WriteFromStream");
        int error = 0;
        long n = socket_.Send(bytes.data(), std::min(bytes.size(), kPiece), error);
        if (n < 0 && error != 0) RaiseError(error);
        if (n <= 0) continue;
        bytes.remove_prefix(static_cast<size_t>(n));
        BytesSent += n;
        if (OnPacketSent) OnPacketSent();
    }
}

void SocketClient::Write(std::string_view text) {
    Report(8, "Write");
    SendBuffer(text);
}

void SocketClient::Writeln(std::string_view text) {
    Report(8, "Writeln");
    std::string line(text);
    line += "\r\n";
    SendBuffer(line);
}

std::string SocketClient::ReadLn(size_t maxLength) {
    Report(8, "ReadLn");
    for (;;) {
        size_t feed = received_.find('\n', readPos_);
        if (feed != std::string::npos && feed - readPos_ < maxLength)
            return TakeReceived(feed + 1 - readPos_);
        if (Pending() >= maxLength) throw ESockError("Line too long");
        if (!ReceiveMore("Socket readln aborted")) return TakeReceived(Pending());
    }
}

std::string SocketClient::Transaction(std::string_view command) {
    Report(8, "Transaction");
    ReplyNumber = 0;
    Writeln(command);
    TransactionReply = ReadLn();
    if (!TransactionReply.empty()) Report(1, TransactionReply);
    size_t digits = 0;
    while (digits < TransactionReply.size() && digits < 9 && std::isdigit(uint8_t(TransactionReply[digits])))
        ++digits;
    if (digits > 0) ReplyNumber = std::stoi(TransactionReply.substr(0, digits));
    return TransactionReply;
}

void SocketClient::SendFile(const std::filesystem::path& name) {
    Report(8, "SendFile");
    std::ifstream in(name, std::ios::binary);
    if (!in) throw ESockError("Cannot open " + name.string());
    BytesSent = 0;
    std::error_code ec;
    BytesTotal = static_cast<int64_t>(std::filesystem::file_size(name, ec));
    std::string piece(kPiece, '\0');
    while (in.read(piece.data(), kPiece) || in.gcount() > 0)
        SendBuffer(std::string_view(piece.data(), static_cast<size_t>(in.gcount())));
}

void SocketClient::CountCaptured(size_t count) {
    BytesRecvd += static_cast<int64_t>(count);
    if (CaptureLimit >= 0 && BytesRecvd > CaptureLimit)
        throw ECaptureError("The download is larger than " + SizeText(CaptureLimit) + ".");
}

void SocketClient::CaptureFile(const std::filesystem::path& name) {
    Report(8, "CaptureFile");
    CaptureOutput out(name);
    BytesRecvd = 0;
    do {
        CountCaptured(Pending());
        out.Write(received_.data() + readPos_, Pending());
        readPos_ = received_.size();
        if (OnPacketRecvd) OnPacketRecvd();
    } while (ReceiveMore("Socket send aborted"));
    out.Close();
}

void SocketClient::CaptureString(std::string& text, int64_t maxLength) {
    text.clear();
    Report(8, "Capture String");
    BytesRecvd = 0;
    for (;;) {
        CountCaptured(Pending());
        text += TakeReceived(Pending());
        if (OnPacketRecvd) OnPacketRecvd();
        if (maxLength >= 0 && static_cast<int64_t>(text.size()) >= maxLength) return;
        if (!ReceiveMore("Socket capture aborted")) return;
    }
}
