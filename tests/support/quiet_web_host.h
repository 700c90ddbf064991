#pragma once

#include "tests/support/quiet_prompts.h"
#include "web/web_service.h"

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
