// The main window's web service commands and what they ask of the window.
#include <QComboBox>
#include <QPushButton>

#include "app/file_paths.h"
#include "app/inventory_fields.h"
#include "app/main_window.h"
#include "app/number_prompt.h"
#include "app/own_formats.h"
#include "app/program_version.h"
#include "app/settings_dialog.h"
#include "platform/ui.h"
#include "ui/controls/fading_label.h"

void MainWindow::CreateWebService() {
    web_ = std::make_unique<WebService>(*this, Prompts());
    const std::string identification = std::string("Tessarin version ") + ProgramVersion;
    web_->HTTPClient1.HeaderInfo.LocalMailAddress = identification;
    web_->HTTPClient1.HeaderInfo.UserId = identification;

    // Reached while the commands wait, so it bypasses the busy check of the other controls; Esc works too.
    CancelDownload = new QPushButton(QStringLiteral("Cancel"), centralWidget());
    CancelDownload->setObjectName(QStringLiteral("CancelDownload"));
    CancelDownload->setShortcut(Qt::Key_Escape);
    CancelDownload->setFocusPolicy(Qt::NoFocus);
    CancelDownload->hide();
    connect(CancelDownload, &QPushButton::clicked, this, Guarded(Prompts(), [this] { web_->Cancel(); }));
}

void MainWindow::UploadClick() {
    web_->UploadInventory();
}

void MainWindow::DownloadMyPartsClick() {
    web_->DownloadMyParts();
}

void MainWindow::DownloadSetClick() {
    web_->DownloadSetInventory();
}

void MainWindow::UpdateMasterClick() {
    web_->UpdateMasterList();
}

QString MainWindow::LoginUser() {
    SettingsDialog* settings = forms_.settings.Get();
    return settings ? settings->UserName() : QString();
}

QString MainWindow::LoginPassword() {
    SettingsDialog* settings = forms_.settings.Get();
    return settings ? settings->Password() : QString();
}

void MainWindow::ShowStatus(const QString& text) {
    SetStatusText(text);
    CancelDownload->adjustSize();
    CancelDownload->move(FadingLabel1->x(), FadingLabel1->geometry().bottom() + 4);
    CancelDownload->show();
    CancelDownload->raise();
}

void MainWindow::HideStatus() {
    SetStatusText(QString());
    CancelDownload->hide();
}

void MainWindow::ReadInvFile(const std::filesystem::path& file) {
    ReadDownloaded(::ReadInvFile, file);
}

void MainWindow::ReadTsvFile(const std::filesystem::path& file) {
    ReadDownloaded(::ReadTsvFile, file);
}

// A download is appended like an opened file: one batch, then the last row selected and the count shown.
void MainWindow::ReadDownloaded(ParsedInventory (*reader)(const InventorySource&, const InventoryLookups&),
                                const std::filesystem::path& file) {
    ApplyInventory(*this, reader(ReadInventorySource(FromFsPath(file)), LookupsOf(*this)));
    SelectLastRow();
}
