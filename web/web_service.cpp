#include "web/web_service.h"

#include "platform/fs.h"
#include "platform/text.h"
#include "platform/ui.h"

#include <QRegularExpression>
#include <cstdlib>
#include <fstream>

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

// The master list starts with a tab-separated column header; an error page does not.
bool LooksLikeMasterList(const fs::path& file) {
    const std::string line = FirstLine(file);
    return line.find('\t') != std::string::npos && line.find('<') == std::string::npos;
}

void RemoveQuietly(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
}

const QString kMasterFailure = QStringLiteral(
    "There was a problem downloading master.txt.\r\nmaster.txt was not updated.  Please check your internet "
    "conection.");

} // namespace

std::string ServiceHost() {
    return HostSetting("TESSARIN_SERVICE_HOST", "peeron.com");
}
std::string ServiceWwwHost() {
    return HostSetting("TESSARIN_SERVICE_WWW_HOST", "www.peeron.com");
}

WebService::WebService(WebServiceHost& host) : host_(host) {
    HTTPClient1.ReportLevel = 0;
    HTTPClient1.InputFileMode = true;
    HTTPClient1.HeaderInfo.LocalMailAddress = "Tessarin";
    HTTPClient1.HeaderInfo.UserId = "Tessarin";
    // The login cookie belongs to the service and goes nowhere else, redirects included.
    HTTPClient1.CookieAllowed = [](const std::string& name, int port) {
        const std::pair<std::string, int> target = SplitHost(name + ":" + std::to_string(port));
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

bool WebService::Download(const std::string& host, const std::string& path, const fs::path& file) {
    HTTPClient1.Header = (DataDir() / "Head.txt").string();
    HTTPClient1.Body = file.string();
    try {
        HTTPClient1.Get("http://" + host + path);
    } catch (const std::exception&) {
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
    HTTPClient1.Get("http://" + ServiceWwwHost() +
                    "/cgi-bin/invcgis/login?user=" + URLEncode(EncodeText(host_.LoginUser())) +
                    "&pass=" + URLEncode(EncodeText(host_.LoginPassword())) + "&login=Login");
    // A cookie set on a redirect was taken on the way; one on the final reply is taken here.
    if (!HTTPClient1.CookieIn.empty() && HTTPClient1.CookieAllowed(HTTPClient1.Host, HTTPClient1.Port))
        HTTPClient1.HeaderInfo.Cookie = HTTPClient1.CookieIn;
    return !HTTPClient1.HeaderInfo.Cookie.empty();
}

bool WebService::LoginOrComplain() {
    bool loggedIn = false;
    try {
        loggedIn = PeeronLogin();
    } catch (const std::exception&) {
        loggedIn = false;
    }
    if (!loggedIn)
        ShowMessage(
            QStringLiteral("Unable to login to %1.  Please check your username and password on the More "
                           "page and try again.")
                .arg(QString::fromStdString(SplitHost(ServiceWwwHost()).first)));
    return loggedIn;
}

void WebService::UpdateMasterList() {
    RunCommand([this] {
        const fs::path folder = DataDir();
        const fs::path temporary = folder / "master.tmp";
        host_.ShowStatus("Connecting to " + QString::fromStdString(SplitHost(ServiceHost()).first));
        try {
            host_.ShowStatus("Downloading master.txt");
            if (!Download(ServiceHost(), "/inv/master/", temporary) || !LooksLikeMasterList(temporary)) {
                RemoveQuietly(temporary);
                host_.HideStatus();
                ShowMessage(kMasterFailure);
                return;
            }
            host_.ShowStatus("Saving master.txt");
            if (fs::exists(folder / "master.txt"))
                fs::copy_file(folder / "master.txt", folder / "old_master.txt",
                              fs::copy_options::overwrite_existing);
            fs::rename(temporary, folder / "master.txt");
        } catch (const std::exception&) {
            RemoveQuietly(temporary);
            host_.HideStatus();
            ShowMessage(kMasterFailure);
            return;
        }
        host_.ShowStatus("Loading new master.txt");
        host_.ReloadMasterList();
        host_.HideStatus();
        ShowMessage("master.txt has been updated!");
    });
}

bool WebService::FetchInventory(const std::string& path, const QString& name, const fs::path& file,
                                const std::function<bool(const std::string&)>& acceptFirstLine) {
    // A failed download must not destroy an earlier good copy of the same file.
    const fs::path partial = fs::path(file).concat(".tmp");
    try {
        fs::create_directories(file.parent_path());
        host_.ShowStatus("Connecting to " + QString::fromStdString(SplitHost(ServiceWwwHost()).first));
        host_.ShowStatus("Downloading " + name);
        if (Download(ServiceWwwHost(), path, partial)) {
            host_.ShowStatus("Saving " + name);
            if (acceptFirstLine(FirstLine(partial))) {
                fs::rename(partial, file);
                return true;
            }
        }
    } catch (const std::exception&) {
    }
    RemoveQuietly(partial);
    host_.HideStatus();
    ShowMessage("There was a problem downloading " + name);
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
        const int number = host_.AskSetNumber("Enter the set number you would like to download", suffix);
        if (number == 0) return;
        const QString id = QString::number(number) + suffix;
        const QString name = id + ".inv";
        // The suffix becomes part of a file name and a path: only plain set suffixes pass.
        static const QRegularExpression plainSuffix(QStringLiteral("^[A-Za-z0-9-]*$"));
        if (!plainSuffix.match(suffix).hasMatch()) {
            ShowMessage("There was a problem downloading " + name);
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
    ShowMessage("Sorry this is feature unavailable right now.");
}
