#include "app/user_prompts.h"

#include <QApplication>
#include <QFileDialog>

#include "app/number_prompt.h"
#include "platform/ui.h"

void UserPrompts::Show(const QString& text) {
    ShowMessage(text);
}

bool UserPrompts::AskYesNo(const QString& text) {
    return ::AskYesNo(text);
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

QWidget* QtPrompts::Parent() const {
    QWidget* active = QApplication::activeWindow();
    return active ? active : fallbackParent_;
}

QStringList QtPrompts::ChooseOpenFiles(const FileChoice& choice, bool several) {
    const QStringList paths = Run(Parent(), choice, QFileDialog::AcceptOpen,
                                  several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    return several || paths.isEmpty() ? paths : QStringList{paths.constFirst()};
}

QString QtPrompts::ChooseSaveFile(const FileChoice& choice, QString& selectedFilter) {
    return First(Run(Parent(), choice, QFileDialog::AcceptSave, QFileDialog::AnyFile, &selectedFilter));
}

QString QtPrompts::ChooseFolder(const FileChoice& choice) {
    return First(Run(Parent(), choice, QFileDialog::AcceptOpen, QFileDialog::Directory));
}

int QtPrompts::AskCount(const QString& prompt) {
    NumberPrompt* numbers = FindNumberPrompt();
    return numbers ? numbers->AskCount(prompt) : 0;
}

int QtPrompts::AskSetNumber(const QString& prompt, QString& suffix) {
    NumberPrompt* numbers = FindNumberPrompt();
    if (!numbers) return 0;
    const int number = numbers->AskSetNumber(prompt);
    suffix = numbers->SetSuffix();
    return number;
}
