#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A scripted server on 127.0.0.1 and a free port. Connections are served one at a time on a thread;
// the script gets the socket and the request header it sent.
class LoopbackServer {
  public:
    using Script = std::function<void(int fd, const std::string& request)>;
    explicit LoopbackServer(Script script);
    ~LoopbackServer();
    int port() const { return port_; }
    std::string authority() const { return "127.0.0.1:" + std::to_string(port_); }
    // The request headers received so far, in order.
    std::vector<std::string> requests();

  private:
    void Serve();
    Script script_;
    int listener_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1}; // a byte on it ends the serving thread at once
    std::mutex lock_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// False when the client went away before taking everything.
bool SendAll(int fd, const std::string& bytes);
// Holds the connection open without answering until the client goes away (or the receive time-out).
void WaitForClientClose(int fd);
// The target of a request line ("GET /x HTTP/1.0" -> "/x") and the value of one header line.
std::string RequestTarget(const std::string& request);
std::string RequestHeaderValue(const std::string& request, const std::string& name);
// A port on 127.0.0.1 on which nothing listens.
int ClosedPort();
