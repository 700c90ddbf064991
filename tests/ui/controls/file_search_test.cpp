#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <filesystem>

#include "support/test_support.h"
#include "ui/controls/file_search.h"

namespace fs = std::filesystem;

namespace {

QStringList Search(FindFile& find) {
    QStringList hits;
    find.OnFound = [&](FindFile&, const QString& folder, const FoundFile& file) {
        hits << folder + "/" + file.Name;
    };
    find.StartSearch();
    return hits;
}

QStringList FindINames(const fs::path& root, const QString& pattern) {
    QProcess find;
    find.start("find", {QString::fromStdString(root.string()), "-type", "f", "-iname", pattern});
    find.waitForFinished();
    QStringList lines = QString::fromLocal8Bit(find.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

struct PictureTree {
    TempDir dir;
    PictureTree() {
        for (const char* name :
             {"3001.jpg", "3001.b.jpg", "3001B.JPG", "30010.jpg", "3002.jpg", "x3001.jpg", "3001.png",
              "readme", "readme.txt", "sub/3001c.jpg", "sub/deeper/3001.Jpg", "other/3001.jpg"})
            WriteFileBytes(dir / name, "x");
        fs::create_directory_symlink("..", dir / "sub" / "loop"); // leads back up the tree
    }
    QString Root() const { return QString::fromStdString(dir.path().string()); }
};

} // namespace

TEST(FileSearch, MasksMatchLikeFindIgnoringCaseAndSymlinkLoopsEndOnce) {
    PictureTree tree;
    FindFile find;
    find.SetLocation(tree.Root());
    find.Filename = "3001*.jpg";
    QStringList hits = Search(find);
    hits.sort();
    EXPECT_EQ(hits, FindINames(tree.dir.path(), "3001*.jpg"));
    EXPECT_TRUE(hits.contains(tree.Root() + "/3001.b.jpg"));
    EXPECT_TRUE(hits.contains(tree.Root() + "/3001B.JPG"));
    EXPECT_TRUE(hits.contains(tree.Root() + "/sub/deeper/3001.Jpg"));
    EXPECT_FALSE(find.Busy());

    find.Subfolders = false;
    find.Filename = "readme";
    hits = Search(find);
    hits.sort();
    EXPECT_EQ(hits, QStringList({tree.Root() + "/readme", tree.Root() + "/readme.txt"}));
}

TEST(FileSearch, LocationsInOrderExclusionsAndWildcardLocations) {
    PictureTree tree;
    FindFile find;
    find.SetLocation(tree.Root() + "/other ; " + tree.Root() + "/sub");
    find.Filename = "*.jpg";
    find.Subfolders = false;
    EXPECT_EQ(Search(find), QStringList({tree.Root() + "/other/3001.jpg", tree.Root() + "/sub/3001c.jpg"}));

    find.SetLocation(tree.Root());
    find.Subfolders = true;
    find.Filename = "3001*.jpg";
    find.ExcludeFiles = QStringList{"sub\\*.jpg", "*.B.JPG"};
    QStringList hits = Search(find);
    EXPECT_FALSE(hits.contains(tree.Root() + "/sub/3001c.jpg"));
    EXPECT_FALSE(hits.contains(tree.Root() + "/3001.b.jpg"));
    EXPECT_TRUE(hits.contains(tree.Root() + "/sub/deeper/3001.Jpg")); // its folder does not end in "sub"
    EXPECT_TRUE(hits.contains(tree.Root() + "/3001B.JPG"));

    try {
        find.SetLocation("/tmp/a*");
        FAIL();
    } catch (const EFindFileError& e) {
        EXPECT_EQ(std::string(e.what()), "/tmp/a*\n\rlocation cannot to be contained wildcards");
    }
}

TEST(FileSearch, SecondStartWhileBusyAndSkippedFoldersDoNothing) {
    PictureTree tree;
    FindFile find;
    find.SetLocation(tree.Root());
    find.Filename = "3001*.jpg";
    int completions = 0;
    find.OnComplete = [&](FindFile&) { ++completions; };
    find.OnNewFolder = [](FindFile&, const QString& folder, bool& skip) { skip = folder.endsWith("/sub"); };
    QStringList hits;
    find.OnFound = [&](FindFile& f, const QString& folder, const FoundFile& file) {
        hits << folder + "/" + file.Name;
        f.StartSearch(); // ignored: a search runs
    };
    find.StartSearch();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(hits.size(),
              5); // 3001.jpg, 3001.b.jpg, 3001B.JPG, 30010.jpg, other/3001.jpg; nothing under sub
}

TEST(FileSearch, TextAcrossBlockEdgesSizesAndFolders) {
    TempDir dir;
    std::string big(65534, 'a');
    WriteFileBytes(dir / "edge.txt", big + "NeedLE" + std::string(100, 'b'));
    WriteFileBytes(dir / "none.txt", big + "needl");
    fs::create_directory(dir / "folder.txt");
    FindFile find;
    find.SetLocation(QString::fromStdString(dir.path().string()));
    find.Filename = "*.txt";
    find.Containing = "needle";
    QStringList hits = Search(find);
    ASSERT_EQ(hits.size(), 1);
    EXPECT_TRUE(hits[0].endsWith("/edge.txt"));
    find.IgnoreCase = false;
    EXPECT_TRUE(Search(find).isEmpty());

    find.Containing.clear();
    find.SizeMin = 65540;
    hits = Search(find);
    ASSERT_EQ(hits.size(), 1);
    EXPECT_TRUE(hits[0].endsWith("/edge.txt"));
    find.SizeMin = 0;
    find.Attributes = faDirectory;
    find.ExactAttribute = true;
    EXPECT_EQ(Search(find), QStringList{QString::fromStdString((dir / "folder.txt").string())});
}

TEST(FileSearch, CachedListingsSeeNewFilesAndThreadedSearchesReportOnTheGuiThread) {
    PictureTree tree;
    FindFile find;
    find.SetLocation(tree.Root());
    find.Filename = "3001*.jpg";
    const qsizetype first = Search(find).size();
    WriteFileBytes(tree.dir / "3001new.jpg", "x");
    EXPECT_EQ(Search(find).size(), first + 1);

    find.Threaded = true;
    bool done = false, onGuiThread = true;
    int hits = 0;
    find.OnFound = [&](FindFile&, const QString&, const FoundFile&) {
        ++hits;
        onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
    };
    find.OnComplete = [&](FindFile&) { done = true; };
    find.StartSearch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    EXPECT_EQ(hits, first + 1);
    EXPECT_TRUE(onGuiThread);
}

TEST(FileSearch, MaskMatcherCases) {
    EXPECT_TRUE(MatchesMask("3001.b.jpg", "3001*.jpg"));
    EXPECT_TRUE(MatchesMask("README", "readme.*"));
    EXPECT_TRUE(MatchesMask("noext", "*.*"));
    EXPECT_FALSE(MatchesMask("3001.jpg.bak", "3001*.jpg"));
    EXPECT_TRUE(MatchesMask("a1c.gif", "a?c.GIF"));
    EXPECT_FALSE(MatchesMask("ac.gif", "a?c.gif"));
}

// Each mask walks every folder, also those an earlier mask walked; hits come in name order without regard
// to case, so the first picture found is the same on every file system.
TEST(FileSearch, EveryMaskSearchesEveryFolderInNameOrder) {
    PictureTree tree;
    WriteFileBytes(tree.dir / "sub/3001.png", "x");
    FindFile find;
    find.SetLocation(tree.Root());
    find.Filename = "3001*.jpg; 3001*.png";
    const QString root = tree.Root();
    EXPECT_EQ(Search(find),
              (QStringList{root + "/3001.b.jpg", root + "/3001.jpg", root + "/30010.jpg", root + "/3001B.JPG",
                           root + "/other/3001.jpg", root + "/sub/3001c.jpg", root + "/sub/deeper/3001.Jpg",
                           root + "/3001.png", root + "/sub/3001.png"}));
}

// Exclusions use the matcher of exclusion masks, whose "*" stops at the name's first dot; text is looked for
// with case folded beyond ASCII, in UTF-8 and Windows-1252 files alike.
TEST(FileSearch, ExclusionMasksAndTextBeyondAscii) {
    PictureTree tree;
    FindFile find;
    find.SetLocation(tree.Root());
    find.Filename = "3001*.jpg";
    find.ExcludeFiles = QStringList{"*.JPG"};
    EXPECT_EQ(Search(find), QStringList{tree.Root() + "/3001.b.jpg"});

    TempDir dir;
    WriteFileBytes(dir / "utf8.txt", std::string(65535, 'a') + "\xC3\xA9"
                                                               "clat");
    WriteFileBytes(dir / "cp1252.txt", "\xE9"
                                       "CLAT \xE0 la");
    WriteFileBytes(dir / "other.txt", "eclat");
    FindFile text;
    text.SetLocation(QString::fromStdString(dir.path().string()));
    text.Filename = "*.txt";
    text.Containing = QString::fromUtf8("ÉCLAT");
    QStringList hits = Search(text);
    hits.sort();
    EXPECT_EQ(hits, (QStringList{QString::fromStdString((dir / "cp1252.txt").string()),
                                 QString::fromStdString((dir / "utf8.txt").string())}));
    text.IgnoreCase = false;
    text.Containing = QString::fromUtf8("éclat");
    EXPECT_EQ(Search(text), QStringList{QString::fromStdString((dir / "utf8.txt").string())});
}
