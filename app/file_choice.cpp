#include "app/file_choice.h"

#include <QFileDialog>

namespace {

QString Run(QWidget* parent, const FileChoice& choice, QFileDialog::AcceptMode mode,
            QFileDialog::FileMode fileMode) {
    QFileDialog dialog(parent, choice.caption, choice.start, choice.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    if (fileMode == QFileDialog::Directory) dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDefaultSuffix(choice.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString ChooseOpenFile(QWidget* parent, const FileChoice& choice) {
    return Run(parent, choice, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
}

QString ChooseSaveFile(QWidget* parent, const FileChoice& choice) {
    return Run(parent, choice, QFileDialog::AcceptSave, QFileDialog::AnyFile);
}

QString ChooseFolder(QWidget* parent, const FileChoice& choice) {
    return Run(parent, choice, QFileDialog::AcceptOpen, QFileDialog::Directory);
}
