#include "support/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "platform/ui.h"

namespace fs = std::filesystem;

fs::path SharedData() {
    const char* env = std::getenv("TESSARIN_SHARED_DATA");
    if (!env || !*env) return {};
    fs::path path(env);
    std::error_code ec;
    return fs::is_directory(path / "ldraw", ec) ? path : fs::path();
}

fs::path TestData(const std::string& name) {
    const char* env = std::getenv("TESSARIN_SOURCE_DIR");
    return fs::path(env ? env : ".") / "tests" / "data" / name;
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string RunCommand(const std::string& command, int* status) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        out.append(buffer, n);
    int code = pclose(pipe.release());
    if (status) *status = code;
    return out;
}

bool HaveProgram(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

Pnm ParsePnm(const std::string& bytes) {
    Pnm pnm;
    std::istringstream in(bytes);
    std::string magic;
    in >> magic >> pnm.width >> pnm.height;
    const bool bits = magic == "P4";
    pnm.maxval = bits ? 1 : 0;
    if (!bits) in >> pnm.maxval;
    pnm.channels = magic == "P6" ? 3 : 1;
    in.get();
    const std::string raster = bytes.substr(static_cast<size_t>(in.tellg()));
    const size_t width = static_cast<size_t>(pnm.width);
    const size_t count = width * static_cast<size_t>(pnm.height) * static_cast<size_t>(pnm.channels);
    pnm.samples.resize(count);
    const auto* p = reinterpret_cast<const uint8_t*>(raster.data());
    const size_t rowBits = (width + 7) / 8;
    for (size_t i = 0; i < count; ++i) {
        if (bits) {
            const size_t x = i % width, y = i / width;
            pnm.samples[i] = (p[y * rowBits + x / 8] >> (7 - x % 8)) & 1 ? 0 : 1; // PBM: 1 is black
        } else {
            pnm.samples[i] = pnm.maxval > 255 ? p[2 * i] << 8 | p[2 * i + 1] : p[i];
        }
    }
    return pnm;
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

QStringList TestMessages::Shown() {
    return shown;
}

void TestMessages::QueueAnswers(std::initializer_list<bool> list) {
    answers.assign(list.begin(), list.end());
}
