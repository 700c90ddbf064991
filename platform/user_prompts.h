#pragma once

#include <QString>
#include <QStringList>

// What a file or folder dialog is asked.
struct FileChoice {
    QString caption;
    QString filter; // Qt filter text, empty for folders
    QString start;  // folder or file the dialog opens at
    QString defaultSuffix;
};

// Every message, question and file choice the program puts to the user. The program hands its dialogs to
// whatever asks; tests hand in their own.
class UserPrompts {
  public:
    virtual ~UserPrompts() = default;

    virtual void Show(const QString& text) = 0;
    // True for Yes.
    virtual bool AskYesNo(const QString& text) = 0;
    // The chosen files (at most one unless several), empty when cancelled.
    virtual QStringList ChooseOpenFiles(const FileChoice& choice, bool several) = 0;
    // Asks before overwriting; selectedFilter receives the filter in use. Empty when cancelled.
    virtual QString ChooseSaveFile(const FileChoice& choice, QString& selectedFilter) = 0;
    virtual QString ChooseFolder(const FileChoice& choice) = 0;
    // How many files to open; 0 when cancelled or left empty.
    virtual int AskCount(const QString& prompt) = 0;
    // A set number (0 when cancelled) and the set suffix chosen beside it.
    virtual int AskSetNumber(const QString& prompt, QString& suffix) = 0;
};
