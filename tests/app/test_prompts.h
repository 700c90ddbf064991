#pragma once

#include <functional>

#include "app/user_prompts.h"

// The file dialogs answered by the test (cancelled unless it gives answers); the count too when the test
// answers it, otherwise the number questions go to the real number prompt, which tests fill in. Messages go
// to the recording sink.
struct TestPrompts : QtPrompts {
    TestPrompts() : QtPrompts(nullptr) {}

    std::function<QStringList(const FileChoice& choice, bool several)> open = [](const FileChoice&, bool) {
        return QStringList();
    };
    std::function<QString(const FileChoice& choice, QString& selectedFilter)> save =
        [](const FileChoice&, QString&) { return QString(); };
    std::function<QString(const FileChoice& choice)> folder = [](const FileChoice&) { return QString(); };
    std::function<int(const QString& prompt)> count;

    QStringList ChooseOpenFiles(const FileChoice& choice, bool several) override {
        return open(choice, several);
    }
    QString ChooseSaveFile(const FileChoice& choice, QString& selectedFilter) override {
        return save(choice, selectedFilter);
    }
    QString ChooseFolder(const FileChoice& choice) override { return folder(choice); }
    int AskCount(const QString& prompt) override {
        return count ? count(prompt) : QtPrompts::AskCount(prompt);
    }
};
