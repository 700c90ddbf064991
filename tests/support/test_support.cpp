#include "support/test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <random>

#include "platform/ui.h"

namespace fs = std::filesystem;

fs::path SharedData() {
    const char* env = std::getenv("TESSARIN_SHARED_DATA");
    fs::path path = env && *env ? fs::path(env) : fs::path(TESSARIN_SHARED_DATA_FALLBACK);
    std::error_code ec;
    return fs::is_directory(path / "ldraw", ec) ? path : fs::path();
}

fs::path TestData(const std::string& name) {
    const char* env = std::getenv("TESSARIN_SOURCE_DIR");
    fs::path root = env && *env ? fs::path(env) : fs::path(TESSARIN_SOURCE_DIR_FALLBACK);
    return root / "tests" / "data" / name;
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TempDir::TempDir() {
    std::random_device rd;
    for (;;) {
        path_ = fs::temp_directory_path() / ("tessarin-test-" + std::to_string(rd()));
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

class RecordingSink : public MessageSink {
public:
    void Show(const QString& text) override { shown << text; }
    bool AskYesNo(const QString& text) override {
        shown << text;
        if (answers.empty()) return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
} // namespace

void TestMessages::Install() {
    static RecordingSink sink;
    SetMessageSink(&sink);
}

void TestMessages::Clear() {
    shown.clear();
    answers.clear();
}

QStringList TestMessages::Shown() { return shown; }

void TestMessages::QueueAnswers(std::initializer_list<bool> list) { answers.assign(list.begin(), list.end()); }
