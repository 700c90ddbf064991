#pragma once

#include "platform/user_prompts.h"
#include "web/http_client.h"

#include <QString>
#include <filesystem>
#include <functional>

// What the web commands need from the main window.
class WebServiceHost {
  public:
    virtual ~WebServiceHost() = default;
    // User name and password of the settings window's "More" page.
    virtual QString LoginUser() = 0;
    virtual QString LoginPassword() = 0;
    // The progress label: shown with a text, or hidden.
    virtual void ShowStatus(const QString& text) = 0;
    virtual void HideStatus() = 0;
    // Empties the master list view and loads master.txt again without the splash.
    virtual void ReloadMasterList() = 0;
    virtual void ReadInvFile(const std::filesystem::path& file) = 0;
    virtual void ReadTsvFile(const std::filesystem::path& file) = 0;
};

// Service host names, each "host[:port]"; the environment can point them at another server.
std::string ServiceHost();
std::string ServiceWwwHost();

// The most a download may bring, in bytes; a reply past it is refused and nothing of it is kept.
struct DownloadLimits {
    int64_t masterList = int64_t{64} << 20;
    int64_t inventory = int64_t{16} << 20; // set inventories, the My Parts list and the login page
};

// The commands that talk to the inventory web service: login, master list update, set inventory and
// My Parts downloads. Files go to the data folder; names of saved files never come from the server.
class WebService {
  public:
    // Messages and the set number question go to prompts.
    WebService(WebServiceHost& host, UserPrompts& prompts);

    // The client the commands use; its header identification is set at start-up.
    HTTPClient HTTPClient1;
    DownloadLimits Limits;

    bool PeeronLogin();
    void DownloadPeeronFile(const QString& name);
    void UpdateMasterList();
    void DownloadSetInventory();
    void DownloadMyParts();
    // The upload command is not offered by the service.
    void UploadInventory();

    // Ends the download under way; its command then reports the failure.
    void Cancel() { HTTPClient1.Cancel(); }
    bool IsRunning() const { return running_; }

  private:
    // Runs one command unless another is under way; the program counts as busy meanwhile.
    template <typename Command> void RunCommand(Command command);
    // GETs path from host into file, taking at most limit bytes. False (and the file removed) unless the
    // reply is a complete 2xx.
    bool Download(const std::string& host, const std::string& path, const std::filesystem::path& file,
                  int64_t limit);
    // Downloads an inventory into file and checks its first line; on any failure the file is removed
    // and the user told.
    bool FetchInventory(const std::string& path, const QString& name, const std::filesystem::path& file,
                        const std::function<bool(const std::string&)>& acceptFirstLine);
    void LoadDownloaded(const QString& name, const std::function<void()>& read);
    bool LoginOrComplain();
    std::filesystem::path InventoryFolder();

    WebServiceHost& host_;
    UserPrompts& prompts_;
    bool running_ = false;
};
