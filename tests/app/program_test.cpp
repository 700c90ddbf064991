#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/syscall.h>

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

// The main thread sleeps in poll when its event loop has nothing left to do. /proc names the system call a
// sleeping thread waits in and says "running" while it runs; where it shows nothing, the hook alone tells.
bool WaitsForEvents(qint64 pid) {
    const QByteArray call = ProcFile(pid, "syscall").split(' ').first().trimmed();
    if (call.isEmpty()) return true;
    bool isNumber = false;
    const long number = call.toLong(&isNumber);
#ifdef SYS_poll
    if (isNumber && number == SYS_poll) return true;
#endif
    return isNumber && number == SYS_ppoll;
}

// The program built beside the tests folder when the environment does not name it; empty when there is none.
QString ProgramBinary() {
    QString binary = qEnvironmentVariable("TESSARIN_BINARY");
    if (binary.isEmpty()) binary = QCoreApplication::applicationDirPath() + "/../tessarin";
    return QFileInfo(binary).isExecutable() ? QFileInfo(binary).absoluteFilePath() : QString();
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

// Starts the program offscreen on the data folder home, waits until it has settled in its event loop with
// the window up, runs check on its process and ends it as a close request would, expecting a clean exit.
void RunUntilSettled(const QString& binary, const TempDir& home,
                     const std::function<void(qint64 pid)>& check) {
    QProcess program;
    StartProgram(program, binary, home);
    ASSERT_TRUE(program.waitForStarted(5000));
    const qint64 pid = program.processId();
    // One look decides: a second one could find the thread awake again, busy with the rest of the start.
    bool settled = false;
    for (int wait = 0; wait < 2000 && !(settled = CatchesTerminate(pid) && WaitsForEvents(pid)); ++wait)
        ASSERT_FALSE(program.waitForFinished(5)) << "the program ended on its own";
    EXPECT_TRUE(settled) << "the program never came to wait for events";
    check(pid);
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

// Runs a tool to its end; its exit code, or -1 when it could not run. Its output goes into output.
int RunTool(const QString& tool, const QStringList& arguments, const QProcessEnvironment& env,
            QByteArray* output = nullptr) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) return -1;
    if (output) *output = process.readAll();
    return process.exitCode();
}

} // namespace

// The real program on a fresh data folder: it seeds the folder, settles in its event loop with the window
// up, and a close request ends it cleanly.
TEST(Program, StartsOnAFreshDataFolderAndExitsCleanlyWhenClosed) {
    const QString binary = ProgramBinary();
    if (binary.isEmpty()) GTEST_SKIP() << "program binary not found";
    TempDir home;
    RunUntilSettled(binary, home, [&](qint64) { EXPECT_TRUE(std::filesystem::exists(home / "master.txt")); });
}

// Without a display the program says what it needs and ends before it seeds, so no half-made file stays.
TEST(Program, WithoutADisplaySaysSoAndLeavesTheDataFolderAlone) {
    const QString binary = ProgramBinary();
    if (binary.isEmpty()) GTEST_SKIP() << "program binary not found";
    TempDir home;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TESSARIN_HOME", QString::fromStdString(home.path().string()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("DISPLAY");
    program.setProcessEnvironment(env);
    program.start(binary, {});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "Qt's abort was not caught";
    EXPECT_NE(program.exitCode(), 0);
    const QByteArray errors = program.readAllStandardError();
    EXPECT_TRUE(errors.contains("Tessarin needs a display")) << errors.constData();
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));
}

// Installed into a staging folder, the program, its default data, its menu entry and its icon land where a
// desktop looks for them, and the installed program seeds a new data folder from its own share folder (a
// file only the installed copy holds shows it was not the source tree's).
TEST(Program, InstallsAsADesktopProgramThatSeedsFromItsShareFolder) {
    const QString binary = ProgramBinary();
    const QString build = QFileInfo(binary).absolutePath();
    const QString cmake = QStandardPaths::findExecutable("cmake");
    if (binary.isEmpty() || cmake.isEmpty() || !QFileInfo::exists(build + "/cmake_install.cmake"))
        GTEST_SKIP() << "no build folder to install from";
    TempDir stage;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DESTDIR", QString::fromStdString(stage.path().string()));
    QByteArray output;
    ASSERT_EQ(RunTool(cmake, {"--install", build, "--prefix", "/usr"}, env, &output), 0)
        << output.constData();

    const std::filesystem::path usr = stage / "usr";
    const std::filesystem::path share = usr / "share" / "tessarin";
    EXPECT_TRUE(QFileInfo(QString::fromStdString((usr / "bin" / "tessarin").string())).isExecutable());
    for (const char* shipped : {"master.txt", "colors.txt", "ldconfig.ldr", "ldraw/LDConfig.ldr"})
        EXPECT_TRUE(std::filesystem::is_regular_file(share / shipped)) << shipped;
    const std::filesystem::path entry = usr / "share" / "applications" / "tessarin.desktop";
    ASSERT_TRUE(std::filesystem::is_regular_file(entry));
    EXPECT_TRUE(std::filesystem::is_regular_file(usr / "share/icons/hicolor/scalable/apps/tessarin.svg"));

    std::ofstream(share / "installed-only.txt") << "from the share folder\n";
    TempDir home;
    RunUntilSettled(QString::fromStdString((usr / "bin" / "tessarin").string()), home, [&](qint64) {
        EXPECT_TRUE(std::filesystem::exists(home / "master.txt"));
        EXPECT_TRUE(std::filesystem::exists(home / "installed-only.txt"));
    });

    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty()) GTEST_SKIP() << "desktop-file-validate not installed (scripts/setup --tests)";
    EXPECT_EQ(RunTool(validator, {QString::fromStdString(entry.string())}, env, &output), 0)
        << output.constData();
    EXPECT_TRUE(output.trimmed().isEmpty()) << output.constData();
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

// Left alone, the program sleeps: no timer wakes it while nothing it animates can be seen. Nor has it loaded
// the print system's library, or those that library brings: they load when printing first needs them.
TEST(Program, AnIdleProgramWakesLessThanOnceASecondAndHasLoadedNoPrintSystem) {
    const QString binary = ProgramBinary();
    if (binary.isEmpty()) GTEST_SKIP() << "program binary not found";
    TempDir home;
    RunUntilSettled(binary, home, [](qint64 pid) {
        // What the start left queued (the master list's hash, first paints) is done within a moment.
        QThread::msleep(1000);
        const long long before = MainThreadSleeps(pid);
        ASSERT_GE(before, 0) << "the kernel shows no switch count";
        constexpr int kSeconds = 4;
        QThread::sleep(kSeconds);
        const long long wakeUps = MainThreadSleeps(pid) - before;
        EXPECT_LT(wakeUps, kSeconds) << wakeUps << " wake-ups in " << kSeconds << " s";
        const QByteArray maps = ProcFile(pid, "maps");
        ASSERT_TRUE(maps.contains("libQt6Core")) << "the kernel shows no loaded libraries";
        for (const char* library : {"libcups.", "libgnutls.", "libavahi-", "libkrb5.", "libp11-kit."})
            EXPECT_FALSE(maps.contains(library)) << library << " is loaded";
    });
}
