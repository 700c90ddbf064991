#pragma once

#include <QString>

// What a file or folder dialog is asked.
struct FileChoice {
    QString caption;
    QString filter; // Qt filter text, empty for folders
    QString start;  // folder or file the dialog opens at
    QString defaultSuffix;
};
