#pragma once

#include <QString>
#include <QStringList>
#include <exception>
#include <filesystem>
#include <string>

// Root of the shared fixtures, or empty when they are not present.
std::filesystem::path SharedData();
// Skips the calling test when the shared fixtures are absent.
#define REQUIRE_SHARED_DATA()                                                                                \
    do {                                                                                                     \
        if (SharedData().empty()) GTEST_SKIP() << "shared data not found (set TESSARIN_SHARED_DATA)";        \
    } while (0)

// Small fixtures written by us under tests/data.
std::filesystem::path TestData(const std::string& name);

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

// Records what the program would have shown in message boxes and answers questions from a queue.
class TestMessages {
  public:
    static void Install();
    static void Clear();
    static QStringList Shown();
    // Answers for the next AskYesNo calls; when empty, questions are answered No.
    static void QueueAnswers(std::initializer_list<bool> answers);
};
