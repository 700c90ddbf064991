#include "web/web_service.h"

#include "platform/fs.h"
#include "platform/text.h"
#include "platform/ui.h"

#include <QRegularExpression>
#include <cstdlib>
#include <fstream>
#include <optional>

namespace fs = std::filesystem;

namespace {

std::string HostSetting(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    return value && *value ? value : fallback;
}

// "host[:port]" as the lower-cased host and the port, 80 when none is given.
std::pair<std::string, int> SplitHost(const std::string& setting) {
    const size_t colon = setting.find(':');
    std::string host = setting.substr(0, colon);
    for (char& c : host)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return {host, colon == std::string::npos ? 80 : std::atoi(setting.c_str() + colon + 1)};
}

// The first line of a downloaded file, read no further than a bounded prefix.
std::string FirstLine(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string head(65536, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return head.substr(0, head.find_first_of("\r\n"));
}

// Everything of a complete master list: it starts with a tab-separated column header (an error page does
// not), and a reply without a length must end with a line end, or it was cut off.
bool IsCompleteMasterList(const fs::path& file, bool lengthKnown) {
    const std::string line = FirstLine(file);
    if (line.find('\t') == std::string::npos || line.find('<') != std::string::npos) return false;
    if (lengthKnown) return true;
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    char last = 0;
    return in.seekg(-1, std::ios::end) && in.get(last) && (last == '\n' || last == '\r');
}

void RemoveQuietly(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
}

constexpr const char* kPartialSuffix = ".tmp";

// What a download in progress writes before it is complete: the master list's "master.tmp" and the
// partial inventories. Those an earlier run left behind when it ended during a download are removed.
void RemoveLeftoverDownloads(const fs::path& folder, const fs::path& inventoryFolder) {
    RemoveQuietly(folder / "master.tmp");
    std::error_code ec;
    for (fs::directory_iterator entry(inventoryFolder, ec), end; !ec && entry != end; entry.increment(ec)) {
        const std::string name = entry->path().filename().string();
        if (name.ends_with(std::string(".inv") + kPartialSuffix) ||
            name.ends_with(std::string(".tsv") + kPartialSuffix))
            RemoveQuietly(entry->path());
    }
}

const QString kMasterNotUpdated =
    QStringLiteral("There was a problem downloading master.txt.\r\nmaster.txt was not updated.  ");
const QString kCheckConnection = QStringLiteral("Please check your internet conection.");

// The user's own Cancel ended the client's request.
bool Cancelled(const HTTPClient& client, const std::exception& error) {
    const bool fromClient =
        dynamic_cast<const ESockError*>(&error) || dynamic_cast<const EAbortError*>(&error);
    return fromClient && client.Canceled;
}

QString Unreached(const HTTPClient& client, const EConnectError& error) {
    return QStringLiteral("Unable to connect to %1: %2")
        .arg(QString::fromStdString(client.Host), QString::fromStdString(error.Reason()));
}

// What a failed download tells the user beyond the command's own message: nothing at all after their
// Cancel, why no connection came about when no server answered, why a reply could not be kept; empty when
// the server answered and the command's own message says it.
std::optional<QString> FailureReason(const HTTPClient& client, const std::exception& error) {
    if (Cancelled(client, error)) return std::nullopt;
    if (const auto* unreached = dynamic_cast<const EConnectError*>(&error))
        return Unreached(client, *unreached);
    if (dynamic_cast<const ECaptureError*>(&error)) return QString::fromUtf8(error.what());
    return QString();
}

} // namespace

std::string ServiceHost() {
    return HostSetting("TESSARIN_SERVICE_HOST", "peeron.com");
}
std::string ServiceWwwHost() {
    return HostSetting("TESSARIN_SERVICE_WWW_HOST", "www.peeron.com");
}

WebService::WebService(WebServiceHost& host, UserPrompts& prompts) : host_(host), prompts_(prompts) {
    HTTPClient1.ReportLevel = 0;
    HTTPClient1.InputFileMode = true;
    HTTPClient1.HeaderInfo.LocalMailAddress = "Tessarin";
    HTTPClient1.HeaderInfo.UserId = "Tessarin";
    // The login cookie belongs to the service and goes nowhere else, redirects included.
    HTTPClient1.CookieAllowed = [](const std::string& targetHost, int port) {
        const std::pair<std::string, int> target = SplitHost(targetHost + ":" + std::to_string(port));
        return target == SplitHost(ServiceHost()) || target == SplitHost(ServiceWwwHost());
    };
}

template <typename Command> void WebService::RunCommand(Command command) {
    if (running_) return;
    running_ = true;
    BusyGuard busy;
    try {
        command();
    } catch (const SocketClientDestroyed&) {
        return; // the window and this object are gone: nothing left to report to
    } catch (...) {
        running_ = false;
        throw;
    }
    running_ = false;
}

fs::path WebService::InventoryFolder() {
    return DataDir() / "inventory";
}

bool WebService::Download(const std::string& host, const std::string& path, const fs::path& file,
                          int64_t limit) {
    HTTPClient1.Header = (DataDir() / "Head.txt").string();
    HTTPClient1.Body = file.string();
    HTTPClient1.CaptureLimit = limit;
    try {
        HTTPClient1.Get("http://" + host + path);
    } catch (...) {
        // Also when the window went away meanwhile: nothing of this object is touched then.
        RemoveQuietly(file);
        throw;
    }
    const HTTPClient& reply = HTTPClient1;
    const bool complete = reply.ReplyNumber >= 200 && reply.ReplyNumber <= 299 && reply.BytesRecvd > 0 &&
                          (reply.ContentLength < 0 || reply.ContentLength == reply.BytesRecvd);
    if (!complete) RemoveQuietly(file);
    return complete;
}

bool WebService::PeeronLogin() {
    if (!HTTPClient1.HeaderInfo.Cookie.empty()) return true;
    HTTPClient1.Header = (DataDir() / "Head.txt").string();
    HTTPClient1.Body = (DataDir() / "Default.htm").string();
    HTTPClient1.CaptureLimit = Limits.inventory;
    HTTPClient1.Get("http://" + ServiceWwwHost() +
                    "/cgi-bin/invcgis/login?user=" + URLEncode(EncodeText(host_.LoginUser())) +
                    "&pass=" + URLEncode(EncodeText(host_.LoginPassword())) + "&login=Login");
    // Only a login that ends in success counts, whatever cookie an error page or a redirect to it set.
    if (HTTPClient1.ReplyNumber < 200 || HTTPClient1.ReplyNumber > 299) {
        HTTPClient1.HeaderInfo.Cookie.clear();
        return false;
    }
    // A cookie set on a redirect was taken on the way; one on the final reply is taken here.
    if (!HTTPClient1.CookieIn.empty() && HTTPClient1.CookieAllowed(HTTPClient1.Host, HTTPClient1.Port))
        HTTPClient1.HeaderInfo.Cookie = HTTPClient1.CookieIn;
    return !HTTPClient1.HeaderInfo.Cookie.empty();
}

bool WebService::LoginOrComplain() {
    const QString host = QString::fromStdString(SplitHost(ServiceWwwHost()).first);
    bool loggedIn = false;
    QString failure = QStringLiteral("Unable to login to %1.  Please check your username and password on the "
                                     "More page and try again.")
                          .arg(host);
    try {
        // The progress label (and with it Cancel) shows while the login request runs.
        if (HTTPClient1.HeaderInfo.Cookie.empty()) host_.ShowStatus("Connecting to " + host);
        loggedIn = PeeronLogin();
    } catch (const EConnectError& error) {
        failure = Unreached(HTTPClient1, error);
    } catch (const std::exception& error) {
        if (Cancelled(HTTPClient1, error)) failure.clear();
    }
    host_.HideStatus();
    // The user name and password are to blame only when the server answered; a Cancel needs no word.
    if (!loggedIn && !failure.isEmpty()) prompts_.Show(failure);
    return loggedIn;
}

void WebService::UpdateMasterList() {
    RunCommand([this] {
        const fs::path folder = DataDir();
        const fs::path temporary = folder / "master.tmp";
        RemoveLeftoverDownloads(folder, InventoryFolder());
        host_.ShowStatus("Connecting to " + QString::fromStdString(SplitHost(ServiceHost()).first));
        std::optional<QString> reason = QString();
        bool installed = false;
        try {
            host_.ShowStatus("Downloading master.txt");
            if (Download(ServiceHost(), "/inv/master/", temporary, Limits.masterList) &&
                IsCompleteMasterList(temporary, HTTPClient1.ContentLength >= 0)) {
                host_.ShowStatus("Saving master.txt");
                if (fs::exists(folder / "master.txt"))
                    fs::copy_file(folder / "master.txt", folder / "old_master.txt",
                                  fs::copy_options::overwrite_existing);
                fs::rename(temporary, folder / "master.txt");
                installed = true;
            }
        } catch (const std::exception& error) {
            reason = FailureReason(HTTPClient1, error);
        }
        if (!installed) {
            RemoveQuietly(temporary);
            host_.HideStatus();
            if (reason) prompts_.Show(kMasterNotUpdated + (reason->isEmpty() ? kCheckConnection : *reason));
            return;
        }
        host_.ShowStatus("Loading new master.txt");
        host_.ReloadMasterList();
        host_.HideStatus();
        prompts_.Show("master.txt has been updated!");
    });
}

bool WebService::FetchInventory(const std::string& path, const QString& name, const fs::path& file,
                                const std::function<bool(const std::string&)>& acceptFirstLine) {
    // A failed download must not destroy an earlier good copy of the same file.
    const fs::path partial = fs::path(file).concat(kPartialSuffix);
    std::optional<QString> reason = QString();
    try {
        fs::create_directories(file.parent_path());
        RemoveLeftoverDownloads(DataDir(), file.parent_path());
        host_.ShowStatus("Connecting to " + QString::fromStdString(SplitHost(ServiceWwwHost()).first));
        host_.ShowStatus("Downloading " + name);
        if (Download(ServiceWwwHost(), path, partial, Limits.inventory)) {
            host_.ShowStatus("Saving " + name);
            if (acceptFirstLine(FirstLine(partial))) {
                fs::rename(partial, file);
                return true;
            }
        }
    } catch (const std::exception& error) {
        reason = FailureReason(HTTPClient1, error);
    }
    RemoveQuietly(partial);
    host_.HideStatus();
    if (reason)
        prompts_.Show("There was a problem downloading " + name +
                      (reason->isEmpty() ? QString() : "\r\n" + *reason));
    return false;
}

void WebService::LoadDownloaded(const QString& name, const std::function<void()>& read) {
    host_.ShowStatus("Loading " + name);
    try {
        read();
    } catch (...) {
        host_.HideStatus();
        throw;
    }
    host_.HideStatus();
}

void WebService::DownloadSetInventory() {
    RunCommand([this] {
        if (!LoginOrComplain()) return;
        QString suffix;
        const int number = prompts_.AskSetNumber("Enter the set number you would like to download", suffix);
        if (number == 0) return;
        const QString id = QString::number(number) + suffix;
        const QString name = id + ".inv";
        // The suffix becomes part of a file name and a path: only plain set suffixes pass.
        static const QRegularExpression plainSuffix(QStringLiteral("^[A-Za-z0-9-]*$"));
        if (!plainSuffix.match(suffix).hasMatch()) {
            prompts_.Show("There was a problem downloading " + name);
            return;
        }
        const fs::path file = InventoryFolder() / name.toStdString();
        auto known = [](const std::string& line) {
            return line.find("cannot be found") == std::string::npos;
        };
        if (FetchInventory("/inv/raw/" + id.toStdString() + "/", name, file, known))
            LoadDownloaded(name, [&] { host_.ReadInvFile(file); });
    });
}

void WebService::DownloadMyParts() {
    RunCommand([this] {
        if (LoginOrComplain()) DownloadPeeronFile("PeeronMyParts.tsv");
    });
}

void WebService::DownloadPeeronFile(const QString& name) {
    const fs::path file = InventoryFolder() / name.toStdString();
    auto partList = [](const std::string& line) {
        return line.find("Quantity\tPart Number\tColor\tDescription\tNotes") != std::string::npos;
    };
    if (FetchInventory("/cgi-bin/invcgis/mypartsexport?format=026", name, file, partList))
        LoadDownloaded(name, [&] { host_.ReadTsvFile(file); });
}

void WebService::UploadInventory() {
    prompts_.Show("Sorry this is feature unavailable right now.");
}
