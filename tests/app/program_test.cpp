#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

#include "support/test_support.h"

// The real program on a fresh data folder: it seeds the folder, stays up, and a close request ends it
// cleanly.
TEST(Program, StartsOnAFreshDataFolderAndExitsCleanlyWhenClosed) {
    // The program is built beside the tests folder when the environment does not name it.
    QString binary = qEnvironmentVariable("TESSARIN_BINARY");
    if (binary.isEmpty()) binary = QCoreApplication::applicationDirPath() + "/../tessarin";
    if (!QFileInfo(binary).isExecutable()) GTEST_SKIP() << "program binary not found";
    TempDir home;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TESSARIN_HOME", QString::fromStdString(home.path().string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(binary, {});
    ASSERT_TRUE(program.waitForStarted(5000));
    // Seeding the folder comes first; the window then starts within a fraction of a second.
    for (int wait = 0; wait < 100 && !std::filesystem::exists(home / "master.txt"); ++wait)
        ASSERT_FALSE(program.waitForFinished(50)) << "the program ended on its own";
    EXPECT_TRUE(std::filesystem::exists(home / "master.txt"));
    EXPECT_FALSE(program.waitForFinished(500)) << "the program ended on its own";
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}
