#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

#include "app/inventory_fields.h"
#include "app/inventory_files.h"
#include "app/own_formats.h"
#include "app/xls_inventory.h"
#include "inventory_test_support.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace {

class InventoryFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { TestMessages::Clear(); }
    QString Write(const char* name, const std::string& bytes) {
        WriteFileBytes(dir / name, bytes);
        return PathIn(dir, name);
    }
    TestInventory inv;
    InventoryFiles files{inv};
    TempDir dir;
};

TEST_F(InventoryFilesTest, ReaderIsChosenByTheNamesOwnExtensionNotFolder) {
    // A folder named like an inventory type must not pick the reader.
    std::filesystem::create_directories(dir / "x.inv");
    WriteFileBytes(dir / "x.inv" / "set.prn", "#Set:\tfrom prn\r\n\r\n\r\n\r\n1\t3001\t\tRed\tB\t\r\n");
    ASSERT_TRUE(inv.ReadFile(QString::fromStdString((dir / "x.inv" / "set.prn").string())));
    EXPECT_EQ(inv.rows.SetName(), u"from prn");
    // The name's own extension decides, whatever known text comes before it, in any case.
    ASSERT_TRUE(inv.ReadFile(Write("lego.inventory.Csv", "\"Quantity\",\"Ldraw #\",\"Bag(if any)\",\"Color\","
                                                         "\"Part Name\",\"Notes\"\r\n"
                                                         "\"2\",\"3020\",\"\",\"Black\",\"Plate\",\"\"\r\n"
                                                         "\"5\",\"3001\",\"\",\"Red\",\"Brick\",\"\"\r\n")));
    EXPECT_EQ(inv.rows.InventoryCell(ColQuantity, 1), u"2");
    EXPECT_EQ(inv.rows.InventoryCell(ColPartNumber, 1), u"3020");
    EXPECT_EQ(inv.rows.InventoryCell(ColQuantity, 2), u"5");
    EXPECT_EQ(inv.rows.InventoryCell(ColColor, 2), u"Red");
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << TestMessages::Shown().join(u'\n').toStdString();
    // A name whose extension no reader has: the first known text found in it wins, anywhere in it.
    std::filesystem::copy_file(TestData("inventory/roundtrip.inv"), dir / "set.inv.bak");
    ASSERT_TRUE(inv.ReadFile(PathIn(dir, "set.inv.bak")));
    EXPECT_EQ(inv.rows.InventoryCell(ColQuantity, 3), u"3");
    EXPECT_EQ(inv.rows.InventoryCell(ColPartNumber, 5), u"3020");
    const int rowsBefore = inv.rows.InventoryRowCount();
    std::filesystem::copy_file(TestData("inventory/newer.htm"), dir / "page.html");
    ASSERT_TRUE(inv.ReadFile(PathIn(dir, "page.html")));
    EXPECT_GT(inv.rows.InventoryRowCount(), rowsBefore);
    EXPECT_FALSE(inv.ReadFile(Write("notes.txt", "1\t3001\n")));
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << TestMessages::Shown().join(u'\n').toStdString();
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

// The error that ends the command says which files of it were not read after it; none when it came last.
TEST_F(InventoryFilesTest, ReadErrorEndsCommandNamingTheFilesLeftUnread) {
    const QString absent = PathIn(dir, "absent.prn");
    files.OpenFiles({Fixture("roundtrip.inv"), absent, Fixture("myparts.tsv"), Fixture("legacy.csv")});
    EXPECT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_TRUE(inv.statusText.isEmpty());
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{"Cannot open file " + absent + "\nNot read after this error:\n" +
                          Fixture("myparts.tsv") + "\n" + Fixture("legacy.csv")});
    TestMessages::Clear();
    files.DropFiles({Fixture("myparts.tsv"), absent});
    EXPECT_EQ(inv.rows.InventoryRowCount(), 5);
    EXPECT_EQ(TestMessages::Shown(), QStringList{"Cannot open file " + absent});
}

// A file that is no text is left out alone, like an unreadable workbook: the files after it are read.
TEST_F(InventoryFilesTest, AFileThatIsNoTextLeavesOutOnlyItself) {
    const QString picture = PathIn(dir, "picture.prn");
    std::filesystem::copy_file(TestData("pngsuite/basn2c08.png"), dir / "picture.prn");
    files.OpenFiles({Fixture("roundtrip.prn"), picture, Fixture("legacy.csv")});
    EXPECT_EQ(inv.rows.InventoryRowCount(), 5);
    EXPECT_EQ(inv.rows.CountText(), u"14");
    EXPECT_EQ(inv.rows.InventoryCell(ColPartNumber, 4), u"3004");
    EXPECT_EQ(TestMessages::Shown(), QStringList{picture + " is not a text file."});
    EXPECT_EQ(files.ProposedSaveName(), Fixture("legacy.csv").chopped(4));

    // A model whose submodel is no text is left out, and the message names the model with it.
    TestMessages::Clear();
    const QString model = Write("house.ldr", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 roof.ldr\n");
    const QString roof = PathIn(dir, "roof.ldr");
    std::filesystem::copy_file(TestData("pngsuite/basn2c08.png"), dir / "roof.ldr");
    TestInventory opened;
    InventoryFiles openFiles(opened);
    openFiles.OpenFiles({model, Fixture("myparts.tsv")});
    EXPECT_EQ(opened.rows.InventoryRowCount(), 2);
    EXPECT_EQ(TestMessages::Shown(), QStringList{model + ": " + roof + " is not a text file."});

    TestMessages::Clear();
    TestInventory dropped;
    InventoryFiles dropFiles(dropped);
    dropFiles.DropFiles({picture, Fixture("legacy.csv")});
    EXPECT_EQ(dropped.rows.CountText(), u"5");
    EXPECT_EQ(TestMessages::Shown(), QStringList{picture + " is not a text file."});
}

// Silence reads as success: a name no reader knows, a file with no row in it and a file that is no text
// are each named, in one message. Rows that come from more than one file exist in no file yet.
TEST_F(InventoryFilesTest, FilesThatGiveNothingAreNamedAndCombinedRowsNeedSaving) {
    const QString unknown = Write("notes.txt", "1\t3001\n");
    const QString empty = Write("empty.tsv", "Quantity\tPart\tColor\tDescription\tNotes\r\n");
    const QString binary = Write("picture.prn", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    files.OpenFiles(
        {unknown, empty, Fixture("roundtrip.prn"), Write("nul.prn", std::string("1\t3001\0", 8))});
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

TEST_F(InventoryFilesTest, MultiOpenReadsTheSetOnceAndAddsItCountTimes) {
    int reads = 0;
    files.UseReader([&](const QString& path, const InventoryLookups& lookups) {
        ++reads;
        return ReadInventoryFile(path, lookups);
    });
    files.MultiOpen(Fixture("model.ldr"), 0);
    EXPECT_EQ(inv.rows.InventoryRowCount(), 0);
    EXPECT_EQ(reads, 0);
    files.MultiOpen(Fixture("model.ldr"), 3);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(inv.rows.InventoryRowCount(), 12);
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    // The same rows, in the same order, as reading the file three times.
    TestInventory thrice;
    for (int k = 0; k < 3; ++k)
        ASSERT_TRUE(thrice.ReadFile(Fixture("model.ldr")));
    EXPECT_EQ(inv.rows.InventoryRows(), thrice.rows.InventoryRows());
    EXPECT_EQ(inv.rows.CountText(), thrice.rows.CountText());
    EXPECT_TRUE(inv.rows.Modified()); // three sets together exist in no file

    // What the file has to say is said once, not once a copy.
    inv.rows.ClearInventory();
    files.MultiOpen(Write("odd.inv", "x\t3001\t\tRed\tBrick\t\n"), 4);
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(inv.rows.InventoryRowCount(), 4);
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_TRUE(TestMessages::Shown()[0].contains(u"not a whole number"))
        << TestMessages::Shown()[0].toStdString();
    TestMessages::Clear();
    // Types Multi-Open does not read.
    files.MultiOpen(Fixture("myparts.tsv"), 2);
    EXPECT_EQ(inv.rows.InventoryRowCount(), 4);
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
    EXPECT_EQ(files.ProposedSaveName(), Fixture("roundtrip.prn").chopped(4));

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

// The name's own extension decides what is written; a link stays a link and the file it leads to, made when
// missing, gets the rows and keeps its permissions.
TEST_F(InventoryFilesTest, SaveWritesWhatTheNamesOwnExtensionSaysThroughALinkKeepingTheMode) {
    files.OpenFiles({Fixture("roundtrip.prn")});
    WriteFileBytes(dir / "private.csv", "old");
    ASSERT_EQ(::chmod((dir / "private.csv").c_str(), 0600), 0);
    std::filesystem::create_symlink("private.csv", dir / "my.invoice.csv");
    ASSERT_TRUE(files.Save(PathIn(dir, "my.invoice.csv"), {}));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "my.invoice.csv"));
    EXPECT_EQ(FileMode(dir / "private.csv"), 0600);
    const std::string csv = ReadFileBytes(dir / "private.csv").value_or("");
    EXPECT_TRUE(csv.starts_with("\"Quantity\",\"Ldraw #\",")) << csv;
    EXPECT_NE(csv.find("\"3001\""), std::string::npos) << csv;

    // A link to no file yet: the file is made where it leads.
    std::filesystem::create_symlink("made", dir / "stock.prn.backup.xls");
    ASSERT_TRUE(files.Save(PathIn(dir, "stock.prn.backup.xls"), {}));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "stock.prn.backup.xls"));
    EXPECT_TRUE(ReadFileBytes(dir / "made").value_or("").starts_with("\xD0\xCF\x11\xE0"))
        << "a workbook in a compound file";
    TestInventory reread;
    reread.Read(ReadXlsInventory, PathIn(dir, "stock.prn.backup.xls"));
    EXPECT_EQ(reread.rows.InventoryRowCount(), 3);
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << TestMessages::Shown().join(u'\n').toStdString();
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

// A reader runs no window event while it parses (a handler could change what it reads from under it).
TEST_F(InventoryFilesTest, ReadersRunNoWindowEventWhileTheyParse) {
    std::string lines;
    for (int i = 0; i < 20000; ++i)
        lines += std::to_string(1 + i % 4) + "\t" + std::to_string(3000 + i % 50) + "\t\tRed\tBrick\t\n";
    const QString path = Write("big.inv", lines);
    bool delivered = false;
    QTimer::singleShot(0, [&] { delivered = true; });
    // Past the pump's throttle, so that any pump during the parse would deliver it.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::optional<ParsedInventory> parsed = ReadInventoryFile(path, LookupsOf(inv));
    EXPECT_FALSE(delivered);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->rows.size(), 20000u);
    EXPECT_EQ(parsed->rows[19999][ColKey], u"3049Red");
    QCoreApplication::processEvents();
    EXPECT_TRUE(delivered);
}

// While a file is parsed the window goes on answering, no other command starts, and the rows go in only
// once the parse is over.
TEST_F(InventoryFilesTest, TheWindowAnswersWhileAFileIsParsed) {
    std::promise<void> answered;
    std::future<void> answer = answered.get_future();
    bool busy = false;
    int rowsMeanwhile = -1;
    QTimer::singleShot(0, [&] {
        busy = BusyGuard::IsBusy();
        rowsMeanwhile = inv.rows.InventoryRowCount();
        files.OpenFiles({Fixture("myparts.tsv")});
        answered.set_value();
    });
    int reads = 0;
    bool answeredInTime = false;
    files.UseReader([&](const QString& path, const InventoryLookups& lookups) {
        ++reads;
        // The parse lasts until the window has answered (or gives up on it).
        answeredInTime = answer.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        return ReadInventoryFile(path, lookups);
    });
    files.OpenFiles({Fixture("roundtrip.prn")});
    EXPECT_TRUE(answeredInTime);
    EXPECT_TRUE(busy);
    EXPECT_EQ(rowsMeanwhile, 0);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_EQ(inv.selectedRow, 2);
    EXPECT_TRUE(inv.statusText.isEmpty());
}

TEST_F(InventoryFilesTest, BusyCommandsDoNotStart) {
    BusyGuard busy;
    files.OpenFiles({Fixture("roundtrip.prn")});
    files.MultiOpen(Fixture("model.ldr"), 2);
    EXPECT_EQ(inv.rows.InventoryRowCount(), 0);
}

} // namespace
