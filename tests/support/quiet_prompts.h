#pragma once

#include "platform/user_prompts.h"

// Prompts that show nothing, answer No and cancel every choice.
struct QuietPrompts : UserPrompts {
    void Show(const QString&) override {}
    bool AskYesNo(const QString&) override { return false; }
    QStringList ChooseOpenFiles(const FileChoice&, bool) override { return {}; }
    QString ChooseSaveFile(const FileChoice&, QString&) override { return {}; }
    QString ChooseFolder(const FileChoice&) override { return {}; }
    int AskCount(const QString&) override { return 0; }
    int AskSetNumber(const QString&, QString&) override { return 0; }
};
