#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

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

// A peer program's standard output; status receives its exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);
bool HaveProgram(const char* name);

// A raw PBM, PGM or PPM as a peer decoder writes it.
struct Pnm {
    int width = 0, height = 0, channels = 0, maxval = 0;
    std::vector<int> samples;

    int Sample(int x, int y, int c) const {
        return samples[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) *
                           static_cast<size_t>(channels) +
                       static_cast<size_t>(c)];
    }
};
Pnm ParsePnm(const std::string& bytes);

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
