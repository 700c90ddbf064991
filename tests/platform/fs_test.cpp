#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(Fs, AtomicWriteKeepsTheOldFileOnFailureAndSetsTheMode) {
    TempDir dir;
    auto path = dir / "Tessarin.ini";
    ASSERT_EQ(AtomicWrite(path, "one", 0600), "");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(AtomicWrite(path, "two"), "");
    EXPECT_EQ(*ReadFileBytes(path), "two");
    // A target that is a folder cannot be replaced: an error, and nothing left behind.
    fs::create_directory(dir / "folder");
    WriteFileBytes(dir / "folder/keep", "k");
    EXPECT_NE(AtomicWrite(dir / "folder", "three"), "");
    EXPECT_EQ(*ReadFileBytes(dir / "folder/keep"), "k");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
    EXPECT_NE(AtomicWrite(dir / "no/such/folder/file", "x"), "");
}

TEST(Fs, SeedingNeverOverwrites) {
    TempDir defaults, home;
    WriteFileBytes(defaults / "master.txt", "shipped");
    WriteFileBytes(defaults / "images/jpgs/3001.jpg", "jpg");
    WriteFileBytes(home / "master.txt", "mine");
    SeedDataDir(home.path(), defaults.path());
    EXPECT_EQ(*ReadFileBytes(home / "master.txt"), "mine");
    EXPECT_EQ(*ReadFileBytes(home / "images/jpgs/3001.jpg"), "jpg");
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

TEST(Fs, SeedingCutShortLeavesOnlyWholeFilesAndTheNextStartCompletesIt) {
    TempDir defaults, home;
    WriteFileBytes(defaults / "master.txt", "shipped");
    WriteFileBytes(defaults / "ldraw/p/stug-2x2.dat", std::string(765, 's'));
    fs::permissions(defaults / "ldraw/p/stug-2x2.dat", fs::perms(0640));
    WriteFileBytes(defaults / "ldraw/p/box.dat", "box");
    // A shipped file that cannot be read stops this seeding short of the whole seed.
    fs::create_directories(defaults / "images/jpgs");
    fs::create_symlink(defaults / "gone.jpg", defaults / "images/jpgs/3001.jpg");
    // What a start killed while seeding left: one file whole, the next half written beside its place.
    WriteFileBytes(home / "master.txt", "shipped");
    WriteFileBytes(home / "ldraw/p/.stug-2x2.dat.x8Kq2Z", "half");
    fs::permissions(home / "ldraw/p/.stug-2x2.dat.x8Kq2Z", fs::perms::owner_write);

    SeedDataDir(home.path(), defaults.path());
    EXPECT_EQ(ExpectWholeCopies(home, defaults), 3) << "the half-written file is cleared and written whole";
    EXPECT_FALSE(fs::exists(home / ".seeded")) << "a folder short of a shipped file is not stamped";

    fs::remove(defaults / "images/jpgs/3001.jpg");
    WriteFileBytes(defaults / "images/jpgs/3001.jpg", "jpg");
    SeedDataDir(home.path(), defaults.path());
    EXPECT_EQ(ExpectWholeCopies(home, defaults), 4);
    EXPECT_TRUE(fs::exists(home / ".seeded"));
}
