#pragma once

#include <QString>
#include <functional>

class QWidget;

// What a file or folder dialog is asked.
struct FileChoice {
    QString caption;
    QString filter; // Qt filter text, empty for folders
    QString start;  // folder or file the dialog opens at
    QString defaultSuffix;
};

// Answers with the chosen path, empty when cancelled. Windows hold one per dialog so tests can answer.
using FileChooser = std::function<QString(QWidget* parent, const FileChoice& choice)>;

QString ChooseOpenFile(QWidget* parent, const FileChoice& choice);
// Asks before overwriting; a name typed without extension gets the default suffix.
QString ChooseSaveFile(QWidget* parent, const FileChoice& choice);
QString ChooseFolder(QWidget* parent, const FileChoice& choice);
