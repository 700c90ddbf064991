#pragma once

#include "web/web_service.h"

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

// A main window for the web commands that asks nothing and shows nothing, for runs where only the
// downloads matter.
struct QuietWebHost : WebServiceHost {
    QString LoginUser() override { return "ann"; }
    QString LoginPassword() override { return "secret"; }
    void ShowStatus(const QString&) override {}
    void HideStatus() override {}
    void ReloadMasterList() override {}
    void ReadInvFile(const std::filesystem::path&) override {}
    void ReadTsvFile(const std::filesystem::path&) override {}
};
