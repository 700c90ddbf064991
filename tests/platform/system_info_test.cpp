#include <QCoreApplication>
#include <QDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "platform/sys/named_mutex.h"
#include "platform/sys/system_info.h"

TEST(SystemInfo, BackslashHelpersKeepBlankTextsAndExistingSeparators) {
    EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
    EXPECT_EQ(AddBackslash("C:\\dir"), "C:\\dir\\");
    EXPECT_EQ(AddBackslash(""), "\\");
    EXPECT_EQ(AddBackslash("  "), "  \\");
    EXPECT_EQ(RemoveBackslash("   "), "   ");
    EXPECT_EQ(RemoveBackslash("C:\\dir\\"), "C:\\dir");
    EXPECT_EQ(RemoveBackslash("C:\\dir"), "C:\\dir");
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank("   "));
    EXPECT_FALSE(IsBlank(" x "));
}

TEST(SystemInfo, SpecialDirectoriesAreTheXdgAndProgramFolders) {
    const QByteArray config = qgetenv("XDG_CONFIG_HOME"), dirs = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_HOME", "/tmp/tessarin-config");
    qputenv("XDG_CONFIG_DIRS", "/etc/site-xdg:/etc/xdg");
    EXPECT_EQ(GetSpecialDirectory(kWindowsDirectory, true), "/tmp/tessarin-config/");
    EXPECT_EQ(GetSpecialDirectory(kWindowsDirectory, false), "/tmp/tessarin-config");
    EXPECT_EQ(GetSpecialDirectory(kSystemDirectory, false), "/etc/site-xdg");
    qunsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(GetSpecialDirectory(kSystemDirectory, true), "/etc/xdg/");
    EXPECT_EQ(GetSpecialDirectory(kProgramDirectory, true), QCoreApplication::applicationDirPath() + "/");
    EXPECT_EQ(GetSpecialDirectory(5, true), "");
    EXPECT_EQ(GetSpecialDirectory(-1, false), "");
    qputenv("XDG_CONFIG_HOME", config);
    if (dirs.isEmpty())
        qunsetenv("XDG_CONFIG_DIRS");
    else
        qputenv("XDG_CONFIG_DIRS", dirs);
    if (config.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
}

TEST(SystemInfo, FlagsFollowThePlatformFamilyAndRelease) {
    SystemFlags old = ComputeSystemFlags(1, 0, false);
    EXPECT_TRUE(old.Win9x);
    EXPECT_FALSE(old.Win98);
    EXPECT_FALSE(old.WinNT);
    EXPECT_FALSE(old.Extended);
    SystemFlags later = ComputeSystemFlags(1, 10, true);
    EXPECT_TRUE(later.Win98);
    EXPECT_TRUE(later.Extended);
    SystemFlags full = ComputeSystemFlags(2, 0, false);
    EXPECT_FALSE(full.Win9x);
    EXPECT_TRUE(full.WinNT);
    EXPECT_TRUE(full.Extended); // the query is asked only on the old family
    EXPECT_TRUE(CurrentSystemFlags().WinNT);
}

TEST(SystemInfo, UserNameIsTheLoggedOnUser) {
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(GetUserName(), QString::fromLocal8Bit(entry->pw_name));
}

TEST(NamedMutex, ASecondHolderSeesTheFirstUntilItIsGone) {
    const QString name = QString("tessarin-test-%1").arg(getpid());
    {
        NamedMutex first(name);
        EXPECT_FALSE(first.AlreadyExisted());
        {
            NamedMutex second(name);
            EXPECT_TRUE(second.AlreadyExisted());
        }
        // The second holder leaving does not release the first one's lock.
        NamedMutex third(name);
        EXPECT_TRUE(third.AlreadyExisted());
    }
    NamedMutex again(name);
    EXPECT_FALSE(again.AlreadyExisted());
    NamedMutex odd("a/b c");
    EXPECT_FALSE(QDir(odd.FileName()).dirName().contains('/'));
}
