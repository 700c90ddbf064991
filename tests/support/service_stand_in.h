#pragma once

#include "support/loopback_server.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// What the stand-in knows: the one account, its cookie and the files it serves.
inline const std::string kServiceCookie = "SESSION=abc123";
// User "ann" with the password "p&ss w".
inline const std::string kLoginTarget = "/cgi-bin/invcgis/login?user=ann&pass=p%26ss%20w&login=Login";
inline const std::string kMasterList = "Part Number\tDescription\n3001\tBrick 2 x 4\n3003\tBrick 2 x 2\n";
inline const std::string kRawSet = "2\t3001\tA\tRed\tBrick 2 x 4\tbox 7\n Inventoried by Jane Doe\n"
                                   "5\t3003\t\tBlack\tBrick 2 x 2\t\n";
inline const std::string kMyParts =
    "Quantity\tPart Number\tColor\tDescription\tNotes\r\n4\t3001\tRed\tBrick 2 x 4\t\r\n";

std::string ServiceReply(const std::string& status, const std::string& body, const std::string& extra = "");

// The inventory web service on 127.0.0.1, as far as the program's commands know it. While it lives, the
// service host settings of the environment point at it. Set 6399-1 is known, every other set "cannot be
// found".
class ServiceStandIn {
  public:
    ServiceStandIn();
    ~ServiceStandIn();
    ServiceStandIn(const ServiceStandIn&) = delete;
    ServiceStandIn& operator=(const ServiceStandIn&) = delete;

    // The whole reply to a request for target, in place of what the service would answer.
    void SetReply(const std::string& target, const std::string& reply);
    void SetMasterReply(const std::string& reply) { SetReply("/inv/master/", reply); }
    // The master list request is answered only once the client gives up.
    std::atomic<bool> stallMaster{false};
    // The master list request is answered with a body that never ends, lines of a master list at no more
    // than this many bytes a second, until the client goes away.
    void StreamMaster(int64_t bytesPerSecond) { masterStreamRate = bytesPerSecond; }
    // Fast enough that a piece arrives within every wait of the client (one each millisecond), yet slow
    // enough that a test can bound what a download gets in the time it runs.
    static constexpr int64_t kFastStream = int64_t{64} << 20;

    std::string authority() const { return server_.authority(); }
    std::vector<std::string> Requests() { return server_.requests(); }
    std::vector<std::string> Targets();

  private:
    void Answer(int fd, const std::string& request);
    bool Replied(int fd, const std::string& target);
    void Stream(int fd, int64_t bytesPerSecond);

    // The server thread reads what the test sets.
    std::mutex lock_;
    std::map<std::string, std::string> replies_;
    std::atomic<int64_t> masterStreamRate{0};
    LoopbackServer server_;
};
