// The main window's file commands: New, Open, Multi-Open and Save, with their dialogs.
#include <QFileInfo>

#include "app/main_window.h"

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
    const QStringList paths = context_.Prompts().ChooseOpenFiles(
        {{}, InventoryFiles::kOpenFilter, FolderOf(OpenDialog1.FileName), {}}, true);
    if (paths.isEmpty()) return;
    OpenDialog1.FileName = paths.first();
    files_.OpenFiles(paths);
}

void MainWindow::MultiOpenClick() {
    const QStringList paths = context_.Prompts().ChooseOpenFiles(
        {{}, InventoryFiles::kMultiOpenFilter, FolderOf(OpenDialog1.FileName), {}}, false);
    if (paths.isEmpty()) return;
    const QString path = paths.first();
    OpenDialog1.FileName = path;
    files_.MultiOpen(path, context_.Prompts().AskCount(InventoryFiles::MultiOpenPrompt(path)));
}

void MainWindow::BitBtn3Click() {
    if (context_.inventory.InventoryRowCount() == 0) return;
    QString filter;
    const QString path = context_.Prompts().ChooseSaveFile(
        {{}, InventoryFiles::kSaveFilter, files_.ProposedSaveName(), {}}, filter);
    if (!path.isEmpty()) files_.Save(path, filter);
}
