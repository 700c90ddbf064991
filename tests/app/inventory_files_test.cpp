#include <gtest/gtest.h>

#include "app/inventory_fields.h"
#include "app/inventory_files.h"
#include "app/own_formats.h"
#include "inventory_test_support.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace {

class InventoryFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestMessages::Install();
        TestMessages::Clear();
    }
    QString Write(const char* name, const std::string& bytes) {
        WriteFileBytes(dir / name, bytes);
        return PathIn(dir, name);
    }
    TestInventory inv;
    InventoryFiles files{inv};
    TempDir dir;
};

TEST_F(InventoryFilesTest, ReaderIsChosenByFileNameNotFolder) {
    // A folder named like an inventory type must not pick the reader.
    std::filesystem::create_directories(dir / "x.inv");
    WriteFileBytes(dir / "x.inv" / "set.prn", "#Set:\tfrom prn\r\n\r\n\r\n\r\n1\t3001\t\tRed\tB\t\r\n");
    ASSERT_TRUE(inv.ReadFile(QString::fromStdString((dir / "x.inv" / "set.prn").string())));
    EXPECT_EQ(inv.rows.SetName(), u"from prn");
    // The first text found in the name wins, anywhere in it.
    const QString both = Write("parts.inv.csv", "2\t3020\t\tBlack\tPlate\t\n");
    ASSERT_TRUE(inv.ReadFile(both));
    EXPECT_EQ(inv.rows.InventoryCell(ColPartNumber, 1), u"3020");
    EXPECT_FALSE(inv.ReadFile(Write("notes.txt", "1\t3001\n")));
    EXPECT_EQ(inv.rows.InventoryRowCount(), 2);
}

// The dialogs list the formats in their own order, not the order names are searched in.
TEST(InventoryFileFilters, ComeFromTheFormatTablesInListedOrder) {
    EXPECT_EQ(
        InventoryFiles::kOpenFilter,
        "prn (*.prn *.PRN);;tsv (*.tsv *.TSV);;inv (*.inv *.INV);;dat (*.dat *.DAT);;ldr (*.ldr *.LDR);;"
        "mpd (*.mpd *.MPD);;htm (*.htm *.HTM);;blk (*.blk *.BLK);;xml (*.xml *.XML);;csv (*.csv *.CSV);;"
        "xls (*.xls *.XLS);;all (*)");
    EXPECT_EQ(
        InventoryFiles::kMultiOpenFilter,
        "prn (*.prn *.PRN);;inv (*.inv *.INV);;dat (*.dat *.DAT);;ldr (*.ldr *.LDR);;mpd (*.mpd *.MPD);;"
        "htm (*.htm *.HTM);;blk (*.blk *.BLK);;xml (*.xml *.XML);;all (*)");
    EXPECT_EQ(InventoryFiles::kSaveFilter, "prn (*.prn);;inv (*.inv);;csv(*.csv);;xls(*.xls)");
}

TEST_F(InventoryFilesTest, OpenAppendsInOrderSelectsLastAndProposesLastName) {
    inv.rows.SetModified(true);
    files.OpenFiles({Fixture("roundtrip.inv"), Fixture("myparts.tsv")});
    ASSERT_EQ(inv.rows.InventoryRowCount(), 5);
    EXPECT_EQ(inv.rows.InventoryCell(ColPartNumber, 4), u"3623");
    EXPECT_EQ(inv.selectedRow, 4);
    EXPECT_EQ(inv.rows.CountText(), u"17");
    EXPECT_TRUE(inv.statusText.isEmpty());
    EXPECT_TRUE(inv.rows.Modified());
    EXPECT_EQ(files.ProposedSaveName(), Fixture("myparts.tsv").chopped(4));
}

TEST_F(InventoryFilesTest, ReadErrorEndsCommandButFinishesTheBatch) {
    files.OpenFiles({Fixture("roundtrip.inv"), PathIn(dir, "absent.prn"), Fixture("myparts.tsv")});
    EXPECT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_TRUE(inv.statusText.isEmpty());
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_TRUE(TestMessages::Shown()[0].contains(u"absent.prn"));
}

// Silence reads as success: a name no reader knows, a file with no row in it and a file that is no text
// are each named, in one message. Rows that come from more than one file exist in no file yet.
TEST_F(InventoryFilesTest, FilesThatGiveNothingAreNamedAndCombinedRowsNeedSaving) {
    const QString unknown = Write("notes.txt", "1\t3001\n");
    const QString empty = Write("empty.tsv", "Quantity\tPart\tColor\tDescription\tNotes\r\n");
    const QString binary = Write("picture.prn", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    files.OpenFiles({unknown, empty, Fixture("roundtrip.prn"), Write("nul.prn", std::string("1\t3001\0", 8)),
                     Fixture("myparts.tsv")});
    EXPECT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_FALSE(inv.rows.Modified()); // the rows of one file, as that file holds them
    EXPECT_EQ(
        TestMessages::Shown(),
        QStringList{unknown +
                    " was not read: the program reads only .inv, .prn, .tsv, .htm, .dat, .ldr, .mpd, .xml, "
                    ".blk, .csv and .xls files.\nNo row could be read from " +
                    empty + ".\n" + PathIn(dir, "nul.prn") + " is not a text file."});
    TestMessages::Clear();
    // A picture cut at its Ctrl-Z byte is still no text.
    files.DropFiles({binary});
    EXPECT_EQ(TestMessages::Shown(), QStringList{binary + " is not a text file."});
    EXPECT_FALSE(inv.rows.Modified());

    files.OpenFiles({Fixture("myparts.tsv")});
    EXPECT_TRUE(inv.rows.Modified()); // added to rows already there
    inv.rows.ClearInventory();
    inv.rows.SetModified(false);
    files.OpenFiles({Fixture("roundtrip.prn"), Fixture("myparts.tsv")});
    EXPECT_TRUE(inv.rows.Modified());
}

TEST_F(InventoryFilesTest, DropAsksBeforeLoadingAndReadsThreeFilesInOrder) {
    inv.rows.SetModified(true);
    TestMessages::QueueAnswers({true});
    files.DropFiles({Fixture("model.ldr"), Fixture("wanted.blk"), Fixture("myparts.tsv")});
    EXPECT_EQ(inv.rows.InventoryRowCount(), 0);
    EXPECT_EQ(TestMessages::Shown(),
              QStringList({"Do you want to save your changes before loading a new inventory?"}));

    TestMessages::QueueAnswers({false});
    files.DropFiles({Fixture("model.ldr"), Fixture("wanted.blk"), Fixture("myparts.tsv")});
    ASSERT_EQ(inv.rows.InventoryRowCount(), 8);
    EXPECT_EQ(inv.rows.InventoryCell(ColPartNumber, 0), u"3001");
    EXPECT_EQ(inv.rows.InventoryCell(ColPartNumber, 5), u"99999");
    EXPECT_EQ(inv.rows.InventoryCell(ColPartNumber, 7), u"3623");
}

TEST_F(InventoryFilesTest, MultiOpenReadsTheSetCountTimes) {
    files.MultiOpen(Fixture("model.ldr"), 0);
    EXPECT_EQ(inv.rows.InventoryRowCount(), 0);
    files.MultiOpen(Fixture("model.ldr"), 3);
    EXPECT_EQ(inv.rows.InventoryRowCount(), 12);
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    // Types Multi-Open does not read.
    files.MultiOpen(Fixture("myparts.tsv"), 2);
    EXPECT_EQ(inv.rows.InventoryRowCount(), 12);
    EXPECT_EQ(InventoryFiles::MultiOpenPrompt(QStringLiteral("/a/b.ldr")),
              u"How many of set /a/b.ldr should be added?");
}

TEST_F(InventoryFilesTest, NewAsksAndClearsEverything) {
    files.OpenFiles({Fixture("roundtrip.prn")});
    inv.rows.SetModified(true);
    TestMessages::QueueAnswers({true});
    EXPECT_FALSE(files.NewInventory());
    EXPECT_EQ(inv.rows.InventoryRowCount(), 3);
    TestMessages::QueueAnswers({false});
    EXPECT_TRUE(files.NewInventory());
    EXPECT_EQ(inv.rows.InventoryRowCount(), 0);
    EXPECT_EQ(inv.rows.SetName(), QString());
    EXPECT_EQ(inv.rows.SetInformation(SetField::Date), QString());
    EXPECT_EQ(inv.rows.CountText(), u"0");
    EXPECT_FALSE(inv.rows.Modified());
}

TEST_F(InventoryFilesTest, SaveAddsFilterExtensionAndClearsModifiedOnlyOnSuccess) {
    EXPECT_FALSE(files.Save(PathIn(dir, "empty.prn"), {})); // nothing to save
    files.OpenFiles({Fixture("roundtrip.prn")});
    inv.rows.SetModified(true);
    EXPECT_EQ(files.ProposedSaveName(), Fixture("roundtrip"));

    ASSERT_TRUE(files.Save(PathIn(dir, "set"), QStringLiteral("inv (*.inv)")));
    EXPECT_FALSE(inv.rows.Modified());
    EXPECT_TRUE(std::filesystem::exists(dir / "set.inv"));
    EXPECT_EQ(files.ProposedSaveName(), PathIn(dir, "set"));

    inv.rows.SetModified(true);
    EXPECT_FALSE(files.Save(PathIn(dir, "set.txt"), QStringLiteral("prn (*.prn)")));
    EXPECT_FALSE(std::filesystem::exists(dir / "set.txt"));
    EXPECT_TRUE(inv.rows.Modified());
    EXPECT_EQ(TestMessages::Shown().size(), 1);
}

TEST_F(InventoryFilesTest, FailedWriteKeepsWhatWasThereAndModified) {
    files.OpenFiles({Fixture("roundtrip.prn")});
    inv.rows.SetModified(true);
    // A folder in the way makes the final rename fail.
    WriteFileBytes(dir / "taken.prn" / "inside.txt", "old contents");
    EXPECT_FALSE(files.Save(PathIn(dir, "taken.prn"), {}));
    EXPECT_TRUE(inv.rows.Modified());
    EXPECT_EQ(ReadFileBytes(dir / "taken.prn" / "inside.txt").value_or(""), "old contents");
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_TRUE(TestMessages::Shown()[0].contains(u"could not be saved"));
}

TEST_F(InventoryFilesTest, BusyCommandsDoNotStart) {
    BusyGuard busy;
    files.OpenFiles({Fixture("roundtrip.prn")});
    files.MultiOpen(Fixture("model.ldr"), 2);
    EXPECT_EQ(inv.rows.InventoryRowCount(), 0);
}

} // namespace
