#include "support/test_support.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string RunProgram(const QString& program, const QStringList& arguments, int* exitCode) {
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    if (exitCode)
        *exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput().toStdString();
}

int FileMode(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

ScopedUmask::ScopedUmask(mode_t mask) : before_(::umask(mask)) {}

ScopedUmask::~ScopedUmask() {
    ::umask(before_);
}

bool PeerAvailable(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QString Python3() {
    return QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
}

namespace {

// The tests create and drop thousands of small files: in memory when the system offers it with room to
// spare (containers often give it 64 MB), unless TMPDIR names another place.
fs::path TempRoot() {
    constexpr std::uintmax_t kRoomNeeded = std::uintmax_t(2) << 30;
    const char* chosen = std::getenv("TMPDIR");
    std::error_code error;
    if ((!chosen || !*chosen) && ::access("/dev/shm", W_OK | X_OK) == 0 &&
        fs::space("/dev/shm", error).available >= kRoomNeeded && !error)
        return "/dev/shm";
    return fs::temp_directory_path();
}

} // namespace

TempDir::TempDir() {
    static const fs::path root = TempRoot();
    std::random_device rd;
    for (;;) {
        path_ = root / ("tessarin-test-" + std::to_string(rd()));
        if (fs::create_directory(path_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

namespace {
QStringList shown;
std::deque<bool> answers;

} // namespace

void RecordingPrompts::Show(const QString& text) {
    shown << text;
}

bool RecordingPrompts::AskYesNo(const QString& text) {
    shown << text;
    if (whileAsked) whileAsked(text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QStringList RecordingPrompts::ChooseOpenFiles(const FileChoice& choice, bool several) {
    return open ? open(choice, several) : QStringList();
}

QString RecordingPrompts::ChooseSaveFile(const FileChoice& choice, QString& selectedFilter) {
    return save ? save(choice, selectedFilter) : QString();
}

QString RecordingPrompts::ChooseFolder(const FileChoice& choice) {
    return folder ? folder(choice) : QString();
}

int RecordingPrompts::AskCount(const QString& prompt) {
    return count ? count(prompt) : 0;
}

int RecordingPrompts::AskSetNumber(const QString& prompt, QString& suffix) {
    return setNumber ? setNumber(prompt, suffix) : 0;
}

UserPrompts& TestMessages::Prompts() {
    static RecordingPrompts prompts;
    return prompts;
}

void TestMessages::Clear() {
    shown.clear();
    answers.clear();
}

QStringList TestMessages::Shown() {
    return shown;
}

void TestMessages::QueueAnswers(std::initializer_list<bool> list) {
    answers.assign(list.begin(), list.end());
}
