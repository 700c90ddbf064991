#pragma once

#include <QObject>
#include <QString>
#include <filesystem>

#include "app/lazy_form.h"
#include "web/web_service.h"

class InventoryHost;
class MasterPane;
class SettingsDialog;

// The web service and what it asks of the program: the account of the settings window, the progress text,
// the master list reload and the downloaded inventories, which are appended like an opened file.
class WebCommands : public QObject, public WebServiceHost {
    Q_OBJECT
  public:
    WebCommands(InventoryHost& inventory, MasterPane& master, LazyForm<SettingsDialog>& settings,
                QObject* parent);

    WebService& Service() { return service_; }

    QString LoginUser() override;
    QString LoginPassword() override;
    void ShowStatus(const QString& text) override;
    void HideStatus() override;
    void ReloadMasterList() override;
    void ReadInvFile(const std::filesystem::path& file) override;
    void ReadTsvFile(const std::filesystem::path& file) override;

  signals:
    // The progress text of a command shows in the status line, or is gone; Cancel goes with it.
    void ProgressShown(bool shown);

  private:
    InventoryHost& inventory_;
    MasterPane& master_;
    LazyForm<SettingsDialog>& settings_;
    WebService service_;
};
