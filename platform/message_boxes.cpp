#include "platform/message_boxes.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

void MessageBoxes::Show(const QString& text) {
    QMessageBox::information(Parent(), QApplication::applicationName(), text);
}

bool MessageBoxes::AskYesNo(const QString& text) {
    return QMessageBox::question(Parent(), QApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

namespace {

// The chosen paths and the filter in use; no paths when cancelled.
QStringList Run(QWidget* parent, const FileChoice& choice, QFileDialog::AcceptMode mode,
                QFileDialog::FileMode fileMode, QString* selectedFilter = nullptr) {
    QFileDialog dialog(parent, choice.caption, choice.start, choice.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    if (fileMode == QFileDialog::Directory) dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDefaultSuffix(choice.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted) return {};
    if (selectedFilter) *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles();
}

QString First(const QStringList& paths) {
    return paths.isEmpty() ? QString() : paths.constFirst();
}

} // namespace

QWidget* MessageBoxes::Parent() const {
    // The modal window that has the input first: just after a message box closes no window may be active
    // yet, and a dialog over the fallback would bring that in front of the modal one.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    QWidget* active = QApplication::activeWindow();
    return active ? active : fallbackParent_;
}

QStringList MessageBoxes::ChooseOpenFiles(const FileChoice& choice, bool several) {
    const QStringList paths = Run(Parent(), choice, QFileDialog::AcceptOpen,
                                  several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    return several || paths.isEmpty() ? paths : QStringList{paths.constFirst()};
}

QString MessageBoxes::ChooseSaveFile(const FileChoice& choice, QString& selectedFilter) {
    return First(Run(Parent(), choice, QFileDialog::AcceptSave, QFileDialog::AnyFile, &selectedFilter));
}

QString MessageBoxes::ChooseFolder(const FileChoice& choice) {
    return First(Run(Parent(), choice, QFileDialog::AcceptOpen, QFileDialog::Directory));
}
