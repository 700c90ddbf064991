#include "platform/sys/system_info.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxUserName = 63;

bool BlankText(const QString& text) {
    for (QChar c : text)
        if (c != ' ') return false;
    return true;
}

QString WithTrailing(const QString& text, QChar separator) {
    if (!BlankText(text) && text.endsWith(separator)) return text;
    return text + separator;
}

QString WithoutTrailing(const QString& text, QChar separator) {
    if (!BlankText(text) && text.endsWith(separator)) return text.chopped(1);
    return text;
}

QString LoginName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    for (const char* variable : {"USER", "LOGNAME"})
        if (const char* value = std::getenv(variable); value && *value) return QString::fromLocal8Bit(value);
    return QString();
}

QString ProgramDirectory() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? QString() : QString::fromStdString(self.parent_path().string());
}

// The first folder of an XDG list variable, or its documented default.
QString FirstOf(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    QString list = value && *value ? QString::fromLocal8Bit(value) : QString::fromLatin1(fallback);
    return list.section(':', 0, 0);
}

} // namespace

SystemFlags ComputeSystemFlags(int platformId, int minorVersion, bool extensionInstalled) {
    SystemFlags flags;
    flags.Win9x = platformId == 1;
    flags.Win98 = flags.Win9x && minorVersion >= 10;
    flags.WinNT = !flags.Win9x && platformId == 2;
    flags.Extended = flags.Win9x ? extensionInstalled : true;
    return flags;
}

const SystemFlags& CurrentSystemFlags() {
    static const SystemFlags flags = ComputeSystemFlags(2, WindowsMinorVersion(), true);
    return flags;
}

QString GetUserName() {
    const QString name = LoginName();
    if (name.isEmpty() || name.size() > kMaxUserName) return QStringLiteral("(Unknown)");
    return name;
}

uint16_t WindowsMinorVersion() {
    utsname info{};
    if (uname(&info) != 0) return 0;
    return static_cast<uint16_t>(QString::fromLatin1(info.release).section('.', 1, 1).toUInt());
}

bool IsBlank(const QString& text) {
    return BlankText(text);
}

QString AddBackslash(const QString& text) {
    return WithTrailing(text, '\\');
}

QString RemoveBackslash(const QString& text) {
    return WithoutTrailing(text, '\\');
}

QString GetSpecialDirectory(int kind, bool withBackslash) {
    QString folder;
    switch (kind) {
    case kWindowsDirectory:
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        break;
    case kSystemDirectory:
        folder = FirstOf("XDG_CONFIG_DIRS", "/etc/xdg");
        break;
    case kProgramDirectory:
        folder = ProgramDirectory();
        break;
    default:
        return QString();
    }
    return withBackslash ? WithTrailing(folder, '/') : WithoutTrailing(folder, '/');
}
