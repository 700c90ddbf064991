#include <QApplication>
#include <QByteArray>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// A new folder of this process's own, removed when the process ends normally; by this process alone, for a
// forked child (a death test's) may end with a copy of it.
class OwnFolder {
  public:
    OwnFolder() {
        std::filesystem::create_directories(TESSARIN_TEST_FOLDERS);
        std::string name = TESSARIN_TEST_FOLDERS "/process-XXXXXX";
        if (!mkdtemp(name.data())) {
            std::perror("the tests' own folder");
            std::exit(1);
        }
        path_ = QByteArray::fromStdString(name);
    }
    ~OwnFolder() {
        std::error_code ignored;
        if (getpid() == maker_) std::filesystem::remove_all(path_.toStdString(), ignored);
    }
    OwnFolder(const OwnFolder&) = delete;
    OwnFolder& operator=(const OwnFolder&) = delete;
    const QByteArray& path() const { return path_; }

  private:
    pid_t maker_ = getpid();
    QByteArray path_;
};

// The tests and the programs they start keep their settings, caches and data in a new folder of the process,
// never in the user's home, whose print settings they do not see either, nor in another test process's, and
// reach no print system but a test's own: the one named in TESSARIN_TEST_PRINT_SERVER (scripts/test starts
// one), else a socket that does not exist, so that a stray ask ends at once. A test with a server of its own
// points the print system there itself.
void KeepToAFolderOfItsOwn() {
    static const OwnFolder folder;
    for (const auto& [name, sub] : {std::pair{"HOME", "/home"},
                                    {"XDG_CONFIG_HOME", "/config"},
                                    {"XDG_DATA_HOME", "/data"},
                                    {"XDG_CACHE_HOME", "/cache"},
                                    {"XDG_STATE_HOME", "/state"},
                                    {"XDG_RUNTIME_DIR", "/runtime"}}) {
        // Nobody else may enter: Qt takes a runtime folder only then.
        ::mkdir((folder.path() + sub).constData(), 0700);
        qputenv(name, folder.path() + sub);
    }
    const QByteArray server = qgetenv("TESSARIN_TEST_PRINT_SERVER");
    qputenv("CUPS_SERVER", server.isEmpty() ? folder.path() + "/no-print-server" : server);
}

// A death test's child, started again for its one statement, keeps to its test's folder.
bool RunsADeathTest(int argc, char** argv) {
    return std::any_of(argv + 1, argv + argc, [](std::string_view argument) {
        return argument.starts_with("--gtest_internal_run_death_test");
    });
}

} // namespace

int main(int argc, char** argv) {
    setenv("TESSARIN_SOURCE_DIR", TESSARIN_SOURCE_DIR_DEFAULT, 0);
    setenv("TESSARIN_BINARY", TESSARIN_BINARY_DEFAULT, 0);
    if (!RunsADeathTest(argc, argv)) KeepToAFolderOfItsOwn();
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
