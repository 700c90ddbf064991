#include "support/service_stand_in.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

std::string ServiceReply(const std::string& status, const std::string& body, const std::string& extra) {
    return "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\n" + extra + "\r\n" + body;
}

ServiceStandIn::ServiceStandIn()
    : replies_{{"/inv/master/",
                ServiceReply("200 OK", kMasterList,
                             "Content-Length: " + std::to_string(kMasterList.size()) + "\r\n")}},
      server_([this](int fd, const std::string& request) { Answer(fd, request); }) {
    setenv("TESSARIN_SERVICE_HOST", authority().c_str(), 1);
    setenv("TESSARIN_SERVICE_WWW_HOST", authority().c_str(), 1);
}

ServiceStandIn::~ServiceStandIn() {
    unsetenv("TESSARIN_SERVICE_HOST");
    unsetenv("TESSARIN_SERVICE_WWW_HOST");
}

void ServiceStandIn::Answer(int fd, const std::string& request) {
    const std::string target = RequestTarget(request);
    const bool withCookie = RequestHeaderValue(request, "Cookie") == kServiceCookie;
    if (target == "/inv/master/") {
        if (stallMaster) WaitForClientClose(fd);
        if (masterStreamRate > 0) return Stream(fd, masterStreamRate);
    }
    if (Replied(fd, target)) return;
    if (target.starts_with("/cgi-bin/invcgis/login?")) {
        // The cookie comes with a redirect to the welcome page, as a login form typically answers.
        if (target == kLoginTarget)
            SendAll(fd, ServiceReply("302 Found", "",
                                     "Set-Cookie: " + kServiceCookie + "; path=/\r\nLocation: /welcome\r\n"));
        else
            SendAll(fd, ServiceReply("200 OK", "<html>Login failed</html>"));
    } else if (target == "/welcome") {
        SendAll(fd, ServiceReply("200 OK", "<html>Welcome</html>"));
    } else if (target == "/inv/raw/6399-1/") {
        SendAll(fd, ServiceReply("200 OK", kRawSet));
    } else if (target.starts_with("/inv/raw/")) {
        SendAll(fd,
                ServiceReply("200 OK", "Set " + target.substr(9) + " cannot be found\ncannot be found\n"));
    } else if (target == "/cgi-bin/invcgis/mypartsexport?format=026") {
        SendAll(fd, ServiceReply("200 OK", withCookie ? kMyParts : "<html>Please log in</html>"));
    } else {
        SendAll(fd, ServiceReply("404 Not Found", "nothing here"));
    }
}

bool ServiceStandIn::Replied(int fd, const std::string& target) {
    std::string reply;
    {
        std::lock_guard guard(lock_);
        auto found = replies_.find(target);
        if (found == replies_.end()) return false;
        reply = found->second;
    }
    SendAll(fd, reply);
    return true;
}

void ServiceStandIn::Stream(int fd, int64_t bytesPerSecond) {
    if (!SendAll(fd, ServiceReply("200 OK", kMasterList))) return;
    // Then whole lines, in pieces of at most 64 KiB and a twentieth of a second, each sent when the rate
    // allows: they never run ahead of the rate by more than one piece.
    const std::string line = "3001\tBrick 2 x 4\n";
    const size_t pieceSize = static_cast<size_t>(std::min<int64_t>(bytesPerSecond / 20, 65536));
    std::string piece = line;
    while (piece.size() + line.size() <= pieceSize)
        piece += line;
    const std::chrono::nanoseconds interval(
        (static_cast<int64_t>(piece.size()) * 1'000'000'000 + bytesPerSecond - 1) / bytesPerSecond);
    for (auto due = std::chrono::steady_clock::now(); SendAll(fd, piece);)
        std::this_thread::sleep_until(due += interval);
}

void ServiceStandIn::SetReply(const std::string& target, const std::string& reply) {
    std::lock_guard guard(lock_);
    replies_[target] = reply;
}

std::vector<std::string> ServiceStandIn::Targets() {
    std::vector<std::string> targets;
    for (const std::string& request : server_.requests())
        targets.push_back(RequestTarget(request));
    return targets;
}
