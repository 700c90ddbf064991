// A server's whole reply goes through a real GET over loopback, once into strings and once into files:
// the status line, header lines, cookies, redirects and body capture must neither crash, hang nor lose
// or invent a byte of what arrived.
#include "web/http_client.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "support/folder.h"
#include "support/reply_server.h"

namespace {

std::string FileBytes(const std::filesystem::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool HasLineFeed(const std::string& text) {
    return text.find('\n') != std::string::npos;
}

// One GET of the reply; the header and body the client kept, or false when it refused the reply.
bool Fetch(ReplyServer& server, const Folder* files, std::string& kept) {
    HTTPClient client;
    KeepOnLoopback(client, server);
    if (files) {
        client.InputFileMode = true;
        client.Header = (files->path / "head.txt").string();
        client.Body = (files->path / "body.dat").string();
    }
    try {
        client.Get("http://127.0.0.1:" + std::to_string(server.port()) + "/inv/");
    } catch (const ESockError&) {
        // The server answers at once and closes, so waiting out a time-out means the client hung.
        if (client.TimedOut) __builtin_trap();
        return false;
    }
    // Each value comes from one header line, so none may reach into the next.
    if (HasLineFeed(client.StatusLine) || HasLineFeed(client.CookieIn) || HasLineFeed(client.Location))
        __builtin_trap();
    if (client.ReplyNumber < 0 || client.ContentLength < -1) __builtin_trap();
    kept = files ? FileBytes(client.Header) + FileBytes(client.Body) : client.Header + client.Body;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ReplyServer& server = *new ReplyServer;
    static Folder files("tessarin-fuzz-reply");
    const std::string reply(reinterpret_cast<const char*>(data), size);
    server.SetReply(reply);
    std::string inStrings, inFiles;
    const bool takenAsStrings = Fetch(server, nullptr, inStrings);
    const bool takenAsFiles = Fetch(server, &files, inFiles);
    // Both ways take the same replies, and the header and body kept are exactly the bytes sent.
    if (takenAsStrings != takenAsFiles) __builtin_trap();
    if (takenAsStrings && (inStrings != reply || inFiles != reply)) __builtin_trap();
    return 0;
}
