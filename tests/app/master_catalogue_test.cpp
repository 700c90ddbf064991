#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "app/master_catalogue.h"
#include "platform/text.h"
#include "support/test_support.h"

namespace {

// master.txt bytes of rows parts p0.. with the given description.
std::string MasterBytes(int rows, const std::string& description) {
    std::string bytes = "Part Number\tDescription\r\n";
    for (int i = 0; i < rows; ++i)
        bytes += QStringLiteral("p%1\t%2\r\n").arg(i).arg(QString::fromStdString(description)).toStdString();
    return bytes;
}

// Loads file into catalogue; the progress counts it reported.
std::vector<int> LoadCounting(MasterCatalogue& catalogue, const std::filesystem::path& file) {
    std::vector<int> counts;
    EXPECT_TRUE(catalogue.Load(file, [&counts](int rows) { counts.push_back(rows); }));
    return counts;
}

} // namespace

TEST(MasterCatalogue, PrefetchedRowsLoadAsARead) {
    TempDir dir;
    WriteFileBytes(dir / "master.txt", MasterBytes(1200, "Brick"));
    MasterCatalogue read, prefetched;
    const std::vector<int> counts = LoadCounting(read, dir / "master.txt");
    prefetched.Prefetch(dir / "master.txt");
    EXPECT_EQ(LoadCounting(prefetched, dir / "master.txt"), counts)
        << "the splash gets its dots all the same";
    EXPECT_EQ(counts, (std::vector<int>{0, 500, 1000}));
    ASSERT_EQ(prefetched.Rows().size(), 1200u);
    EXPECT_EQ(prefetched.Rows()[1199], (QStringList{"p1199", "Brick"}));
    EXPECT_EQ(prefetched.Description("p7"), "Brick");
    ASSERT_EQ(prefetched.Categories().size(), 1u) << "the category tree comes with the prefetched rows";
    EXPECT_EQ(prefetched.Categories()[0].text, "Brick");
    ASSERT_EQ(read.Categories().size(), 1u);
    EXPECT_EQ(read.Categories()[0].text, "Brick");
    // A prefetch serves one load: a reload reads the file again.
    WriteFileBytes(dir / "master.txt", MasterBytes(3, "Plate"));
    EXPECT_EQ(LoadCounting(prefetched, dir / "master.txt"), (std::vector<int>{0}));
    EXPECT_EQ(prefetched.Description("p2"), "Plate");
    ASSERT_EQ(prefetched.Categories().size(), 1u) << "a reload replaces the tree";
    EXPECT_EQ(prefetched.Categories()[0].text, "Plate");
}

TEST(MasterCatalogue, APrefetchOfAnotherOrChangedFileIsNotUsed) {
    TempDir dir;
    WriteFileBytes(dir / "old.txt", MasterBytes(2, "Old"));
    WriteFileBytes(dir / "master.txt", MasterBytes(2, "Old"));
    MasterCatalogue other, changed, missing;
    other.Prefetch(dir / "old.txt");
    changed.Prefetch(dir / "master.txt");
    missing.Prefetch(dir / "new.txt");
    // Given time to read the old bytes, the prefetches still leave the loads to see the files as they are.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    WriteFileBytes(dir / "master.txt", MasterBytes(3, "New"));
    WriteFileBytes(dir / "new.txt", MasterBytes(1, "New"));
    LoadCounting(other, dir / "master.txt");
    EXPECT_EQ(other.Description("p2"), "New");
    LoadCounting(changed, dir / "master.txt");
    EXPECT_EQ(changed.Description("p2"), "New");
    LoadCounting(missing, dir / "new.txt");
    EXPECT_EQ(missing.Description("p0"), "New");
    // A file gone since its prefetch is not read from the prefetch either.
    MasterCatalogue gone;
    gone.Prefetch(dir / "old.txt");
    std::filesystem::remove(dir / "old.txt");
    EXPECT_FALSE(gone.Load(dir / "old.txt", {}));
    EXPECT_TRUE(gone.Rows().empty());
    EXPECT_TRUE(gone.Categories().empty());
}
