#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path PathIn(const char* variable) {
    return qgetenv(variable).toStdString();
}

} // namespace

// A test process keeps its home and XDG folders in a new folder of its own, neither the user's home nor
// another test process's, which goes when the process ends; a death test's child keeps to its test's folder.
// It reaches no print server but a test's.
TEST(TestProcess, KeepsToAFreshFolderOfItsOwnAndToNoPrintServerButATests) {
    const fs::path folder = PathIn("HOME").parent_path();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                             "XDG_RUNTIME_DIR"}) {
        EXPECT_EQ(PathIn(name).parent_path(), folder) << name;
        EXPECT_TRUE(fs::is_directory(PathIn(name))) << name;
    }
    struct stat runtime {};
    ASSERT_EQ(stat(PathIn("XDG_RUNTIME_DIR").c_str(), &runtime), 0);
    EXPECT_EQ(runtime.st_mode & 0777, 0700u);
    EXPECT_EQ(runtime.st_uid, geteuid());
    const passwd* user = getpwuid(getuid());
    ASSERT_NE(user, nullptr);
    for (const fs::path& own : {folder, PathIn("HOME")})
        EXPECT_NE(fs::weakly_canonical(own), fs::weakly_canonical(user->pw_dir));
    const QByteArray server = qgetenv("TESSARIN_TEST_PRINT_SERVER");
    if (server.isEmpty()) {
        EXPECT_EQ(PathIn("CUPS_SERVER").parent_path(), folder);
        EXPECT_FALSE(fs::exists(PathIn("CUPS_SERVER")));
    } else {
        EXPECT_EQ(qgetenv("CUPS_SERVER"), server);
    }
    // Run again as a process of its own, it says where it kept.
    if (qEnvironmentVariableIsSet("TESSARIN_TEST_SAY_FOLDER")) {
        std::printf("folder=%s\n", folder.c_str());
        return;
    }

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TESSARIN_TEST_SAY_FOLDER", "yes");
    child.setProcessEnvironment(environment);
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    const fs::path childFolder = QRegularExpression("^folder=(.+)$", QRegularExpression::MultilineOption)
                                     .match(output)
                                     .captured(1)
                                     .toStdString();
    ASSERT_FALSE(childFolder.empty()) << output.toStdString();
    EXPECT_NE(childFolder, folder);
    EXPECT_FALSE(fs::exists(childFolder)) << "a process that ended normally leaves no folder";

    // A death test's child runs the test again up to its statement: it marks the folder it keeps to.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const fs::path mark = PathIn("HOME") / "death-test";
    EXPECT_EXIT(std::exit(std::ofstream(mark) ? 0 : 1), testing::ExitedWithCode(0), "");
    EXPECT_TRUE(fs::exists(mark)) << "a death test's child keeps to its test's folder and leaves it there";
}
