#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

#include "support/loopback_server.h"
#include "support/test_support.h"

namespace {

QByteArray ProcFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program hooks SIGTERM only once its window is built and shown.
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

// The program built beside the tests folder, unless the environment names it; empty when missing.
QString ProgramBinary() {
    QString binary = qEnvironmentVariable("TESSARIN_BINARY");
    if (binary.isEmpty()) binary = QCoreApplication::applicationDirPath() + "/../tessarin";
    return QFileInfo(binary).isExecutable() ? binary : QString();
}

// Starts the program on a data folder with extra environment settings.
void StartProgram(QProcess& program, const QString& binary, const TempDir& home,
                  const QList<std::pair<QString, QString>>& settings = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TESSARIN_HOME", QString::fromStdString(home.path().string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const auto& [name, value] : settings)
        env.insert(name, value);
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(binary, {});
}

// The main thread's voluntary context switches: each is a sleep of the event loop, so each wake-up counts.
long long MainThreadSleeps(qint64 pid) {
    const QByteArray status = ProcFile(pid, QStringLiteral("task/%1/status").arg(pid).toLatin1().constData());
    for (const QByteArray& line : status.split('\n'))
        if (line.startsWith("voluntary_ctxt_switches:")) return line.mid(24).trimmed().toLongLong();
    return -1;
}

} // namespace

// The real program on a fresh data folder: it seeds the folder, settles in its event loop with the window
// up, and a close request ends it cleanly.
TEST(Program, StartsOnAFreshDataFolderAndExitsCleanlyWhenClosed) {
    const QString binary = ProgramBinary();
    if (binary.isEmpty()) GTEST_SKIP() << "program binary not found";
    TempDir home;
    QProcess program;
    StartProgram(program, binary, home);
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

// A print server that takes connections and never answers holds up neither the start nor the first show.
TEST(Program, ShowsItsWindowBesideAPrintServerThatNeverAnswers) {
    const QString binary = ProgramBinary();
    if (binary.isEmpty()) GTEST_SKIP() << "program binary not found";
    LoopbackServer silent([](int fd, const std::string&) { WaitForClientClose(fd); });
    TempDir home;
    QProcess program;
    QElapsedTimer clock;
    clock.start();
    StartProgram(program, binary, home, {{"CUPS_SERVER", QString::fromStdString(silent.authority())}});
    ASSERT_TRUE(program.waitForStarted(5000));
    const qint64 pid = program.processId();
    while (!CatchesTerminate(pid) && clock.elapsed() < 10000)
        ASSERT_FALSE(program.waitForFinished(5)) << "the program ended on its own";
    EXPECT_LT(clock.elapsed(), 2000) << "the window showed only after " << clock.elapsed() << " ms";
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
}

// Left alone, the program sleeps: no timer wakes it while nothing it animates can be seen.
TEST(Program, AnIdleProgramWakesLessThanOnceASecond) {
    const QString binary = ProgramBinary();
    if (binary.isEmpty()) GTEST_SKIP() << "program binary not found";
    TempDir home;
    QProcess program;
    StartProgram(program, binary, home);
    ASSERT_TRUE(program.waitForStarted(5000));
    const qint64 pid = program.processId();
    const auto settled = [&] { return CatchesTerminate(pid) && WaitsForEvents(pid); };
    for (int wait = 0; wait < 2000 && !settled(); ++wait)
        ASSERT_FALSE(program.waitForFinished(5)) << "the program ended on its own";
    // What the start left queued (the master list's hash, first paints) is done within a moment.
    QThread::msleep(1000);
    const long long before = MainThreadSleeps(pid);
    ASSERT_GE(before, 0) << "the kernel shows no switch count";
    constexpr int kSeconds = 4;
    QThread::sleep(kSeconds);
    const long long wakeUps = MainThreadSleeps(pid) - before;
    EXPECT_LT(wakeUps, kSeconds) << wakeUps << " wake-ups in " << kSeconds << " s";
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
}
