#pragma once

#include <QString>
#include <QStringList>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>

#include "platform/user_prompts.h"

// Fixtures of the source tree: under tests/data, and the program's shipped data folder data/. A missing one
// fails the calling test, which then reads nothing.
std::filesystem::path TestData(const std::string& name);
std::filesystem::path ShippedData(const std::string& name);

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// The text of what call throws; empty when it throws nothing.
template <typename F> std::string ErrorText(F&& call) {
    try {
        call();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

// Runs a peer program to its end; its standard output, with the exit code in exitCode (-1 when it could
// not run). Tests skip when PeerAvailable() says the program is missing.
std::string RunProgram(const QString& program, const QStringList& arguments, int* exitCode = nullptr);
bool PeerAvailable(const QString& program);
// The system's python3, which has the packaged peer modules; one earlier on PATH may lack them or be slow
// to start.
QString Python3();

// A fresh temporary folder removed when the object dies.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// The permission bits of a file, links followed; -1 when nothing is there.
int FileMode(const std::filesystem::path& path);

// The process's umask is mask while this lives, then what it was before.
class ScopedUmask {
  public:
    explicit ScopedUmask(mode_t mask);
    ~ScopedUmask();
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

  private:
    mode_t before_;
};

// Prompts that record every message and Yes/No question into TestMessages and answer the questions from
// its queue; file and number questions get what the test puts in, and are cancelled otherwise.
class RecordingPrompts : public UserPrompts {
  public:
    std::function<QStringList(const FileChoice& choice, bool several)> open;
    std::function<QString(const FileChoice& choice, QString& selectedFilter)> save;
    std::function<QString(const FileChoice& choice)> folder;
    std::function<int(const QString& prompt)> count;
    std::function<int(const QString& prompt, QString& suffix)> setNumber;
    // Runs while a Yes/No question is open, before it is answered.
    std::function<void(const QString& question)> whileAsked;

    void Show(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    QStringList ChooseOpenFiles(const FileChoice& choice, bool several) override;
    QString ChooseSaveFile(const FileChoice& choice, QString& selectedFilter) override;
    QString ChooseFolder(const FileChoice& choice) override;
    int AskCount(const QString& prompt) override;
    int AskSetNumber(const QString& prompt, QString& suffix) override;
};

// What the program would have shown in message boxes, and the answers its questions get.
class TestMessages {
  public:
    // Shared prompts that answer no file or number question, for objects that only show messages.
    static UserPrompts& Prompts();
    static void Clear();
    static QStringList Shown();
    // Answers for the next AskYesNo calls; when empty, questions are answered No.
    static void QueueAnswers(std::initializer_list<bool> answers);
};
