// The main window's file commands: New, Open, Multi-Open and Save, with their dialogs.
#include <QFileDialog>
#include <QFileInfo>

#include "app/main_window.h"
#include "app/number_prompt.h"

void MainWindow::CreateFileDialogs() {
    ChooseOpenFiles = [this](const QString& filter, const QString& folder, bool several) {
        if (several) return QFileDialog::getOpenFileNames(this, QString(), folder, filter);
        const QString path = QFileDialog::getOpenFileName(this, QString(), folder, filter);
        return path.isEmpty() ? QStringList() : QStringList{path};
    };
    ChooseSaveFile = [this](const QString& proposed, const QString& filter, QString& selectedFilter) {
        return QFileDialog::getSaveFileName(this, QString(), proposed, filter, &selectedFilter);
    };
    AskCount = [this](const QString& prompt) {
        return forms_.numberPrompt ? forms_.numberPrompt->AskCount(prompt) : 0;
    };
}

namespace {

QString FolderOf(const QString& path) {
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

} // namespace

void MainWindow::BitBtn1Click() {
    files_.NewInventory();
}

void MainWindow::BitBtn2Click() {
    if (!files_.ConfirmLoad()) return;
    const QStringList paths =
        ChooseOpenFiles(InventoryFiles::kOpenFilter, FolderOf(OpenDialog1.FileName), true);
    if (paths.isEmpty()) return;
    OpenDialog1.FileName = paths.first();
    files_.OpenFiles(paths);
}

void MainWindow::MultiOpenClick() {
    const QStringList paths =
        ChooseOpenFiles(InventoryFiles::kMultiOpenFilter, FolderOf(OpenDialog1.FileName), false);
    if (paths.isEmpty()) return;
    const QString path = paths.first();
    OpenDialog1.FileName = path;
    files_.MultiOpen(path, AskCount(InventoryFiles::MultiOpenPrompt(path)));
}

void MainWindow::BitBtn3Click() {
    if (inventory_.InventoryRowCount() == 0) return;
    QString filter;
    const QString path = ChooseSaveFile(files_.ProposedSaveName(), InventoryFiles::kSaveFilter, filter);
    if (!path.isEmpty()) files_.Save(path, filter);
}
