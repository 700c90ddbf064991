#pragma once

// What the fuzz targets of the web client share: a loopback server that answers with the fuzz input.
#include <mutex>
#include <string>
#include <string_view>

#include "web/http_client.h"

// Answers every connection on 127.0.0.1 with the current reply, one connection at a time.
class ReplyServer {
  public:
    ReplyServer();
    int port() const { return port_; }
    void SetReply(std::string reply);

  private:
    void Serve();

    int listener_ = -1;
    int port_ = 0;
    std::mutex lock_;
    std::string reply_;
};

// Thrown when a redirect would take the client anywhere but the loopback server; a socket error, so the
// code under test treats it as a failed request.
struct LeftLoopback : ESockError {
    LeftLoopback() : ESockError("left the loopback server") {}
};

// A server answers at once and closes: a client still waiting after this long has hung.
constexpr int kStallMs = 5000;

// Sets the client to pump nothing, give up on silence after kStallMs, follow at most two redirects and
// never leave the server.
void KeepOnLoopback(HTTPClient& client, const ReplyServer& server);
