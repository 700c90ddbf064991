#include <QApplication>
#include <QByteArray>
#include <cstdlib>
#include <gtest/gtest.h>
#include <utility>

namespace {

// The tests and the programs they start keep their settings, caches and data in a folder of the build, never
// in the user's home, whose print settings they do not see either, and reach no print system but a test's
// own: the one named in TESSARIN_TEST_PRINT_SERVER (scripts/test starts one), else a socket that does not
// exist, so that a stray ask ends at once. A test with a server of its own points the print system there
// itself.
void KeepToTheTestsOwnFolders() {
    const QByteArray folder = TESSARIN_TEST_FOLDERS;
    for (const auto& [name, sub] : {std::pair{"HOME", "/home"},
                                    {"XDG_CONFIG_HOME", "/config"},
                                    {"XDG_DATA_HOME", "/data"},
                                    {"XDG_CACHE_HOME", "/cache"},
                                    {"XDG_STATE_HOME", "/state"}})
        qputenv(name, folder + sub);
    const QByteArray server = qgetenv("TESSARIN_TEST_PRINT_SERVER");
    qputenv("CUPS_SERVER", server.isEmpty() ? folder + "/no-print-server" : server);
}

} // namespace

int main(int argc, char** argv) {
    setenv("TESSARIN_SOURCE_DIR", TESSARIN_SOURCE_DIR_DEFAULT, 0);
    setenv("TESSARIN_BINARY", TESSARIN_BINARY_DEFAULT, 0);
    KeepToTheTestsOwnFolders();
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
