#include "app/web_commands.h"

#include "app/file_paths.h"
#include "app/inventory_fields.h"
#include "app/inventory_files.h"
#include "app/master_pane.h"
#include "app/own_formats.h"
#include "app/program_version.h"
#include "app/settings_dialog.h"

namespace {

// A download is appended like an opened file: one batch, then the last row selected and the count shown.
void ReadDownloaded(InventoryHost& host,
                    ParsedInventory (*reader)(const InventorySource&, const InventoryLookups&),
                    const std::filesystem::path& file) {
    ApplyInventory(host, reader(ReadInventorySource(FromFsPath(file)), LookupsOf(host)));
    host.SelectLastRow();
}

} // namespace

WebCommands::WebCommands(InventoryHost& inventory, MasterPane& master, LazyForm<SettingsDialog>& settings,
                         QObject* parent)
    : QObject(parent), inventory_(inventory), master_(master), settings_(settings),
      service_(*this, inventory.Prompts()) {
    const std::string identification = std::string("Tessarin version ") + ProgramVersion;
    service_.HTTPClient1.HeaderInfo.LocalMailAddress = identification;
    service_.HTTPClient1.HeaderInfo.UserId = identification;
}

void WebCommands::ShowStatus(const QString& text) {
    inventory_.SetStatusText(text);
    emit ProgressShown(true);
}

void WebCommands::HideStatus() {
    inventory_.SetStatusText(QString());
    emit ProgressShown(false);
}

QString WebCommands::LoginUser() {
    SettingsDialog* settings = settings_.Get();
    return settings ? settings->UserName() : QString();
}

QString WebCommands::LoginPassword() {
    SettingsDialog* settings = settings_.Get();
    return settings ? settings->Password() : QString();
}

// Called inside the update command, so that a failing load reaches its caller rather than a signal.
void WebCommands::ReloadMasterList() {
    master_.Load(nullptr);
}

void WebCommands::ReadInvFile(const std::filesystem::path& file) {
    ReadDownloaded(inventory_, ::ReadInvFile, file);
}

void WebCommands::ReadTsvFile(const std::filesystem::path& file) {
    ReadDownloaded(inventory_, ::ReadTsvFile, file);
}
