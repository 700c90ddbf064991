#pragma once

#include <QString>
#include <cstdint>

// Facts about the operating system, worked out once. The flags keep the meaning controls were written
// against: the old consumer family, its later releases, the full 32-bit family, and whether the system
// offers the extended (visual-style aware) interface.
struct SystemFlags {
    bool Win9x = false;
    bool Win98 = false;
    bool WinNT = false;
    bool Extended = false;
};
// The flags for a platform identifier (1 the consumer family, 2 the full family), its minor version and,
// on the consumer family, the answer to the extension query.
SystemFlags ComputeSystemFlags(int platformId, int minorVersion, bool extensionInstalled);
// This system's flags: a full multi-user system with the extended interface.
const SystemFlags& CurrentSystemFlags();

// The logged-on user's name; "(Unknown)" when it cannot be found or does not fit 63 characters.
QString GetUserName();
// The minor number of the running kernel's release (5 for 6.5.0).
uint16_t WindowsMinorVersion();

// True for an empty text or one of spaces only.
bool IsBlank(const QString& text);
// text followed by "\" unless it is non-blank and already ends with one; a blank text becomes "\".
QString AddBackslash(const QString& text);
// text without its last character when it is non-blank and ends with "\".
QString RemoveBackslash(const QString& text);

// Where a kind of folder lives: the system-wide and the per-system settings folders and the program's own.
constexpr int kWindowsDirectory = 0;
constexpr int kSystemDirectory = 1;
constexpr int kProgramDirectory = 2;
// The folder of a kind, with or without its trailing separator ("/" on this system); "" for another kind.
QString GetSpecialDirectory(int kind, bool withBackslash);
