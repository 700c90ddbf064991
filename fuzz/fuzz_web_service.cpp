// A whole service operation against a server that answers every request with the fuzz input: the login,
// then the master list update. Whatever arrives, master.txt is afterwards either the old list or a complete
// new one (the whole body, with its column header line), and no partial download is left behind.
#include "tests/support/quiet_web_host.h"
#include "web/web_service.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/fs.h"
#include "platform/ui.h"
#include "support/folder.h"
#include "support/reply_server.h"

namespace {

const std::string kOldList = "Part Number\tDescription\n3001\tBrick 2 x 4\n";

std::string FileBytes(const std::filesystem::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::filesystem::path& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

// The body as the client reads it: everything after the first line that is empty but for its line end.
std::string BodyOf(const std::string& reply) {
    for (size_t start = 0, end; (end = reply.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line(reply.data() + start, end + 1 - start);
        if (start > 0 && (line == "\n" || line == "\r\n")) return reply.substr(end + 1);
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ReplyServer& server = *new ReplyServer;
    static Folder folder("tessarin-fuzz-service");
    static QuietPrompts quiet;
    static const bool ready = [] {
        SetDataDir(folder.path);
        const std::string authority = "127.0.0.1:" + std::to_string(server.port());
        setenv("TESSARIN_SERVICE_HOST", authority.c_str(), 1);
        setenv("TESSARIN_SERVICE_WWW_HOST", authority.c_str(), 1);
        return true;
    }();
    (void)ready;
    const std::string reply(reinterpret_cast<const char*>(data), size);
    server.SetReply(reply);
    WriteBytes(folder.path / "master.txt", kOldList);

    QuietWebHost window;
    WebService service(window, quiet);
    HTTPClient& client = service.HTTPClient1;
    KeepOnLoopback(client, server);
    try {
        service.PeeronLogin();
    } catch (const ESockError&) {
    }
    service.UpdateMasterList();

    const std::string master = FileBytes(folder.path / "master.txt");
    const std::string body = BodyOf(reply);
    const bool kept = master == kOldList;
    const bool complete =
        master == body && master.substr(0, master.find('\n')).find('\t') != std::string::npos;
    if (!kept && !complete) __builtin_trap();
    if (!kept && FileBytes(folder.path / "old_master.txt") != kOldList) __builtin_trap();
    if (std::filesystem::exists(folder.path / "master.tmp")) __builtin_trap();
    if (client.TimedOut) __builtin_trap();
    return 0;
}
