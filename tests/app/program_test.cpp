#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

QByteArray ProcFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program hooks SIGTERM only once its window and forms are built.
bool CatchesTerminate(qint64 pid) {
    for (const QByteArray& line : ProcFile(pid, "status").split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

// The main thread sleeps in poll when its event loop has nothing left to do. Kernels that hide where a
// thread sleeps give "0" or nothing: the hook alone tells then.
bool WaitsForEvents(qint64 pid) {
    const QByteArray where = ProcFile(pid, "wchan").trimmed();
    return where.isEmpty() || where == "0" || where.contains("poll");
}

} // namespace

// The real program on a fresh data folder: it seeds the folder, settles in its event loop with the window
// up, and a close request ends it cleanly.
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
    const qint64 pid = program.processId();
    const auto settled = [&] { return CatchesTerminate(pid) && WaitsForEvents(pid); };
    for (int wait = 0; wait < 2000 && !settled(); ++wait)
        ASSERT_FALSE(program.waitForFinished(5)) << "the program ended on its own";
    EXPECT_TRUE(settled()) << "the program never came to wait for events";
    EXPECT_TRUE(std::filesystem::exists(home / "master.txt"));
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}
