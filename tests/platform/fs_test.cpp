#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/fs.h"
#include "platform/text.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

TEST(Fs, ResolvesAnyCaseAndEitherSeparator) {
    TempDir dir;
    WriteFileBytes(dir / "Parts/S/3001s01.dat", "x");
    ClearPathCache();
    EXPECT_EQ(ResolvePath(dir.path(), "parts\\s\\3001S01.DAT"), dir / "Parts/S/3001s01.dat");
    EXPECT_EQ(ResolvePath(dir.path(), "PARTS/s/3001s01.dat"), dir / "Parts/S/3001s01.dat");
    EXPECT_EQ(ResolvePath(dir.path(), "parts"), dir / "Parts");
    EXPECT_FALSE(ResolvePath(dir.path(), "parts/s/missing.dat"));
}

TEST(Fs, RefusesNamesThatLeaveTheBase) {
    TempDir dir;
    WriteFileBytes(dir / "a/b.dat", "x");
    ClearPathCache();
    EXPECT_FALSE(ResolvePath(dir / "a", "../a/b.dat"));
    EXPECT_FALSE(ResolvePath(dir.path(), "/etc/passwd"));
    EXPECT_FALSE(ResolvePath(dir.path(), "C:\\x.dat"));
    EXPECT_FALSE(ResolvePath(dir.path(), ""));
}

// A folder last changed an hour ago: its time alone tells whether it changed since it was listed.
void Settle(const fs::path& folder) {
    fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

TEST(Fs, FoldersChangedOrCreatedBehindTheCacheAreListedAgain) {
    TempDir dir;
    WriteFileBytes(dir / "Parts/a.dat", "x");
    Settle(dir / "Parts");
    Settle(dir.path());
    ClearPathCache();
    EXPECT_TRUE(ResolvePath(dir.path(), "parts/a.dat"));
    EXPECT_FALSE(ResolvePath(dir.path(), "parts/b.dat"));
    EXPECT_FALSE(ResolvePath(dir.path(), "later/c.dat"));
    // Written by another program: nothing tells the cache.
    WriteFileBytes(dir / "Parts/B.dat", "x");
    EXPECT_EQ(ResolvePath(dir.path(), "PARTS\\b.DAT"), dir / "Parts/B.dat");
    WriteFileBytes(dir / "Later/c.dat", "x");
    Settle(dir / "Later");
    Settle(dir.path());
    EXPECT_EQ(ResolvePath(dir.path(), "later/c.dat"), dir / "Later/c.dat");
    Settle(dir / "Parts");
    EXPECT_TRUE(ResolvePath(dir.path(), "parts/a.dat"));
    fs::remove(dir / "Parts/a.dat");
    EXPECT_FALSE(ResolvePath(dir.path(), "parts/a.dat"));
}

// The hidden names in a folder: a temporary file left behind would be one.
std::vector<std::string> HiddenNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(".")) names.push_back(entry.path().filename());
    return names;
}

// Writes bytes over path in a child process that may write files of up to 1024 bytes. Whether the write
// failed there.
bool WriteFailsPastTheSizeLimit(const fs::path& path, const std::string& bytes) {
    const pid_t child = fork();
    if (child == 0) {
        const rlimit size{1024, 1024};
        std::signal(SIGXFSZ, SIG_IGN);
        _exit(setrlimit(RLIMIT_FSIZE, &size) == 0 && !AtomicWrite(path, bytes).empty() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A save changes a file's bytes and nothing else of it: its permissions and owner stay, and a link stays a
// link while the file at its end (made when missing) gets the bytes. A new file gets the mode asked for, else
// what the umask allows. A failed save leaves the old file as it was and no temporary behind.
TEST(Fs, AtomicWriteChangesOnlyTheBytesOfWhatItReplacesAndNothingOnFailure) {
    TempDir dir;
    const fs::path ini = dir / "Tessarin.ini";
    {
        const ScopedUmask mask(077);
        ASSERT_EQ(AtomicWrite(dir / "private", "p"), "");
    }
    {
        const ScopedUmask mask(022);
        ASSERT_EQ(AtomicWrite(dir / "public", "p"), "");
        ASSERT_EQ(AtomicWrite(ini, "one", 0600), "");
    }
    EXPECT_EQ(FileMode(dir / "private"), 0600);
    EXPECT_EQ(FileMode(dir / "public"), 0644);
    EXPECT_EQ(FileMode(ini), 0600);
    ASSERT_EQ(AtomicWrite(dir / "private", "again"), "");
    EXPECT_EQ(FileMode(dir / "private"), 0600);
    ASSERT_EQ(chmod(ini.c_str(), 0640), 0);
    ASSERT_EQ(AtomicWrite(ini, "two", 0600), "");
    EXPECT_EQ(FileMode(ini), 0640) << "the mode asked for is a new file's only";
    EXPECT_EQ(*ReadFileBytes(ini), "two");
    // Only root may give a file away.
    if (geteuid() == 0) {
        ASSERT_EQ(chown((dir / "public").c_str(), 4321, 4322), 0);
        ASSERT_EQ(AtomicWrite(dir / "public", "q"), "");
        struct stat info {};
        ASSERT_EQ(stat((dir / "public").c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 4322u);
    }

    // Links with targets relative to their own folders: link -> sub/target, sub/chain -> ../link.
    WriteFileBytes(dir / "sub/target", "old");
    ASSERT_EQ(chmod((dir / "sub/target").c_str(), 0600), 0);
    fs::create_symlink("sub/target", dir / "link");
    fs::create_symlink("../link", dir / "sub/chain");
    ASSERT_EQ(AtomicWrite(dir / "sub/chain", "through"), "");
    EXPECT_TRUE(fs::is_symlink(dir / "sub/chain"));
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(*ReadFileBytes(dir / "sub/target"), "through");
    EXPECT_EQ(FileMode(dir / "sub/target"), 0600);
    fs::create_symlink("made", dir / "sub/dangling");
    ASSERT_EQ(AtomicWrite(dir / "sub/dangling", "made"), "");
    EXPECT_TRUE(fs::is_symlink(dir / "sub/dangling"));
    EXPECT_EQ(ReadFileBytes(dir / "sub/made"), "made");
    fs::create_symlink("loop", dir / "loop");
    EXPECT_NE(AtomicWrite(dir / "loop", "x"), "");
    EXPECT_TRUE(fs::is_symlink(dir / "loop"));

    // A write cut short, through a link and straight.
    EXPECT_TRUE(WriteFailsPastTheSizeLimit(dir / "link", std::string(4096, 'x')));
    EXPECT_TRUE(WriteFailsPastTheSizeLimit(ini, std::string(4096, 'x')));
    EXPECT_EQ(*ReadFileBytes(dir / "sub/target"), "through");
    EXPECT_EQ(*ReadFileBytes(ini), "two");
    // A target that is a folder cannot be replaced.
    WriteFileBytes(dir / "folder/keep", "k");
    EXPECT_NE(AtomicWrite(dir / "folder", "three"), "");
    EXPECT_EQ(*ReadFileBytes(dir / "folder/keep"), "k");
    EXPECT_NE(AtomicWrite(dir / "no/such/folder/file", "x"), "");
    EXPECT_TRUE(HiddenNames(dir.path()).empty());
    EXPECT_TRUE(HiddenNames(dir / "sub").empty());
}

TEST(Fs, SeedingNeverOverwritesNorRemovesTheUsersFiles) {
    TempDir defaults, home;
    WriteFileBytes(defaults / "master.txt", "shipped");
    WriteFileBytes(defaults / "images/jpgs/3001.jpg", "jpg");
    WriteFileBytes(home / "master.txt", "mine");
    SeedDataDir(home.path(), defaults.path());
    EXPECT_EQ(*ReadFileBytes(home / "master.txt"), "mine");
    EXPECT_EQ(*ReadFileBytes(home / "images/jpgs/3001.jpg"), "jpg");
    // Seeding again after an update keeps the user's files, even those named as a temporary copy might be.
    fs::rename(home / "master.txt", home / ".master.txt.backup");
    WriteFileBytes(home / ".master.txt.x8Kq2Z", "kept");
    fs::last_write_time(defaults / "master.txt", fs::file_time_type::clock::now() + std::chrono::seconds(5));
    SeedDataDir(home.path(), defaults.path());
    EXPECT_EQ(ReadFileBytes(home / ".master.txt.backup"), "mine");
    EXPECT_EQ(ReadFileBytes(home / ".master.txt.x8Kq2Z"), "kept");
    EXPECT_EQ(ReadFileBytes(home / "master.txt"), "shipped");
}

TEST(Fs, SeedingHappensOnceAndAgainOnlyWhenTheShippedFilesAreNewer) {
    TempDir defaults, home;
    WriteFileBytes(defaults / "colors.txt", "shipped");
    WriteFileBytes(defaults / "images/jpgs/3001.jpg", "jpg");
    SeedDataDir(home.path(), defaults.path());
    ASSERT_TRUE(fs::exists(home / "colors.txt"));
    fs::remove(home / "colors.txt");
    SeedDataDir(home.path(), defaults.path());
    EXPECT_FALSE(fs::exists(home / "colors.txt"))
        << "nothing is copied while the shipped files are unchanged";
    WriteFileBytes(defaults / "images/jpgs/3002.jpg", "new");
    fs::last_write_time(defaults / "images/jpgs/3002.jpg",
                        fs::file_time_type::clock::now() + std::chrono::seconds(5));
    SeedDataDir(home.path(), defaults.path());
    EXPECT_TRUE(fs::exists(home / "images/jpgs/3002.jpg")) << "a newer shipped file is seeded";
    EXPECT_EQ(*ReadFileBytes(home / "colors.txt"), "shipped") << "and whatever is missing with it";
}

// Every file below home but the stamp is a whole copy of its shipped file, with its permissions; returns
// their number.
int ExpectWholeCopies(const TempDir& home, const TempDir& defaults) {
    int files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(home.path())) {
        if (!entry.is_regular_file() || entry.path().filename() == ".seeded") continue;
        const fs::path shipped = defaults.path() / entry.path().lexically_relative(home.path());
        EXPECT_EQ(ReadFileBytes(entry.path()), ReadFileBytes(shipped)) << entry.path();
        EXPECT_EQ(entry.status().permissions(), fs::status(shipped).permissions()) << entry.path();
        ++files;
    }
    return files;
}

// Seeds home in a child process that may write files of up to limit bytes: writing past it ends the child
// there, as a start killed while seeding. Whether it ended so.
bool SeedEndedWritingPast(const TempDir& home, const TempDir& defaults, rlim_t limit) {
    constexpr int kEnded = 77;
    const pid_t child = fork();
    if (child == 0) {
        const rlimit size{limit, limit};
        std::signal(SIGXFSZ, [](int) { _exit(kEnded); });
        if (setrlimit(RLIMIT_FSIZE, &size) == 0) SeedDataDir(home.path(), defaults.path());
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == kEnded;
}

TEST(Fs, SeedingCutShortLeavesOnlyWholeFilesAndTheNextStartCompletesIt) {
    TempDir defaults, home;
    WriteFileBytes(defaults / "master.txt", "shipped");
    WriteFileBytes(defaults / "ldraw/p/stug-2x2.dat", std::string(765, 's'));
    fs::permissions(defaults / "ldraw/p/stug-2x2.dat", fs::perms(0640));
    WriteFileBytes(defaults / "ldraw/p/box.dat", std::string(4096, 'b'));
    // A shipped file that cannot be read stops a seeding short of the whole seed.
    fs::create_directories(defaults / "images/jpgs");
    fs::create_symlink(defaults / "gone.jpg", defaults / "images/jpgs/3001.jpg");

    ASSERT_TRUE(SeedEndedWritingPast(home, defaults, 1024)) << "the start ends while writing box.dat";
    EXPECT_FALSE(fs::exists(home / "ldraw/p/box.dat")) << "a file cut short does not appear";
    EXPECT_FALSE(fs::exists(home / ".seeded"));

    SeedDataDir(home.path(), defaults.path());
    EXPECT_EQ(ExpectWholeCopies(home, defaults), 3) << "what the cut start left is cleared, each file whole";
    EXPECT_FALSE(fs::exists(home / ".seeded")) << "a folder short of a shipped file is not stamped";

    fs::remove(defaults / "images/jpgs/3001.jpg");
    WriteFileBytes(defaults / "images/jpgs/3001.jpg", "jpg");
    SeedDataDir(home.path(), defaults.path());
    EXPECT_EQ(ExpectWholeCopies(home, defaults), 4);
    EXPECT_TRUE(fs::exists(home / ".seeded"));
}
