#include <gtest/gtest.h>

#include <QProcess>

#include "app/file_paths.h"
#include "app/inventory_fields.h"
#include "app/own_formats.h"
#include "inventory_test_support.h"
#include "platform/text.h"

namespace {

class OwnFormatsTest : public ::testing::Test {
  protected:
    void SetUp() override { TestMessages::Clear(); }

    // The inventory whose .prn is the golden file.
    void FillSample(TestInventory& inv) {
        inv.rows.SetSetName(QStringLiteral("6399-1 Airport Shuttle"));
        const QStringList info{"Town", "1990", "750", "6", "$115", "Jane Doe", "instructions", "2004-03-12"};
        for (int k = 0; k < kSetFieldCount; ++k)
            inv.rows.SetSetInformation(static_cast<SetField>(k), info[k]);
        inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Red", "3", "1", "box 7");
        inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Blue", "2", "", "");
        // A TAB and a line end typed into cells must not split the saved line.
        inv.rows.AddInventoryRow("3020", "Plate 2 x 4 & more", "Black", "4", "2", "two lines\r\njoined");
    }

    TempDir dir;
};

std::string Bytes(const QString& path) {
    return ReadFileBytes(ToFsPath(path)).value_or("<missing>");
}

TEST_F(OwnFormatsTest, PrnWritesGoldenBytesAndReadsBackEverything) {
    TestInventory inv;
    FillSample(inv);
    const QString path = PathIn(dir, "out.prn");
    ASSERT_EQ(WritePrnFile(inv.Contents(), path).error, QString());
    std::string expected = Bytes(Fixture("roundtrip.prn"));
    // The golden file holds the line end of the notes cell as two blanks.
    EXPECT_EQ(Bytes(path), expected);

    TestInventory back;
    back.Read(ReadPrnFile, path);
    EXPECT_EQ(back.rows.SetName(), inv.rows.SetName());
    for (int k = 0; k < kSetFieldCount; ++k)
        EXPECT_EQ(back.rows.SetInformation(static_cast<SetField>(k)),
                  inv.rows.SetInformation(static_cast<SetField>(k)));
    ASSERT_EQ(back.rows.InventoryRowCount(), 3);
    EXPECT_EQ(back.Row(0), QStringList({"3", "3001", "1", "Red", "Brick 2 x 4", "box 7"}));
    EXPECT_EQ(back.Row(2),
              QStringList({"4", "3020", "2", "Black", "Plate 2 x 4 & more", "two lines  joined"}));
    // Writing the read inventory again gives the same bytes.
    ASSERT_EQ(WritePrnFile(back.Contents(), path).error, QString());
    EXPECT_EQ(Bytes(path), expected);
}

TEST_F(OwnFormatsTest, PrnKeepsSetNameAndInfoRulesOnAppend) {
    TestInventory inv;
    inv.rows.SetSetName(QStringLiteral("mine"));
    inv.rows.SetSetInformation(SetField::Theme, QStringLiteral("Space"));
    WriteFileBytes(
        dir / "noinfo.prn",
        "#Set:\tother\t\t\r\nno information here\r\n\t\t\t\r\nhead\r\n\r\n1\t3001\t\tRed\tB\t\r\n");
    inv.Read(ReadPrnFile, PathIn(dir, "noinfo.prn"));
    EXPECT_EQ(inv.rows.SetName(), u"mine");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Theme), u"Space");
    ASSERT_EQ(inv.rows.InventoryRowCount(), 1);
    EXPECT_EQ(inv.Row(0), QStringList({"1", "3001", "", "Red", "B", ""}));
}

TEST_F(OwnFormatsTest, OwnInvWritesGoldenAndLosesBagAndNotes) {
    TestInventory inv;
    FillSample(inv);
    const QString path = PathIn(dir, "out.inv");
    ASSERT_EQ(WriteInvFile(inv.Contents(), path).error, QString());
    EXPECT_EQ(Bytes(path), Bytes(Fixture("roundtrip.inv")));

    TestInventory back;
    back.Read(ReadInvFile, path);
    EXPECT_EQ(back.rows.SetName(), u"6399-1 Airport Shuttle");
    ASSERT_EQ(back.rows.InventoryRowCount(), 3);
    EXPECT_EQ(back.Row(0), QStringList({"3", "3001", "", "Red", "Brick 2 x 4", ""}));
    EXPECT_EQ(back.Row(2), QStringList({"4", "3020", "", "Black", "Plate 2 x 4 & more", ""}));
}

TEST_F(OwnFormatsTest, RawInvReadsRowsAndFillsOnlyEmptyInformation) {
    TestInventory inv;
    inv.rows.SetSetInformation(SetField::Source, QStringLiteral("kept"));
    // "Set:" further down the file must not make it look like the own layout.
    inv.Read(ReadInvFile, Fixture("6399-1.inv"));
    EXPECT_EQ(inv.rows.SetName(), u"6399-1");
    EXPECT_EQ(inv.rows.SetInformation(SetField::InvBy), u"Jane Doe");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Source), u"kept");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Date), u"2004-03-12");
    ASSERT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_EQ(inv.Row(0), QStringList({"2", "3001", "A", "Red", "Brick 2 x 4", "box 7"}));
    EXPECT_EQ(inv.Row(1), QStringList({"1", "3020", "", "OldGray", "Plate 2 x 4", "Set: not a header here"}));
    EXPECT_EQ(inv.Row(2), QStringList({"5", "3622", "B", "Black", "Brick 1 x 3", "spare"}));

    // A second file appends its rows; its information lines no longer change filled fields.
    WriteFileBytes(dir / "second.inv", "1\t3001\t\tBlue\tBrick\t\n Inventoried by Someone Else\n");
    inv.Read(ReadInvFile, PathIn(dir, "second.inv"));
    EXPECT_EQ(inv.rows.InventoryRowCount(), 4);
    EXPECT_EQ(inv.rows.SetInformation(SetField::InvBy), u"Jane Doe");
    EXPECT_EQ(inv.rows.SetName(), u"6399-1");
}

TEST_F(OwnFormatsTest, TsvSkipsHeaderAndHasNoBag) {
    TestInventory inv;
    inv.Read(ReadTsvFile, Fixture("myparts.tsv"));
    ASSERT_EQ(inv.rows.InventoryRowCount(), 2);
    EXPECT_EQ(inv.Row(0), QStringList({"7", "3001", "", "Red", "Brick 2 x 4", "in drawer 2"}));
    EXPECT_EQ(inv.Row(1), QStringList({"1", "3623", "", "Blue", "Plate 1 x 3", ""}));
}

TEST_F(OwnFormatsTest, CsvReadsOldUnescapedFiles) {
    TestInventory inv;
    inv.Read(ReadCsvFile, Fixture("legacy.csv"));
    ASSERT_EQ(inv.rows.InventoryRowCount(), 2);
    EXPECT_EQ(inv.Row(0), QStringList({"3", "3001", "1", "Red", "Brick 2 x 4", "box 7"}));
    EXPECT_EQ(inv.Row(1), QStringList({"2", "3004", "", "Blue", "Brick 1 x 2 \"special\" one", ""}));
}

TEST_F(OwnFormatsTest, CsvQuotesOnlyWhatNeedsItAndReadsItBack) {
    TestInventory inv;
    inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Red", "3", "1", "plain");
    inv.rows.AddInventoryRow("3004", "Brick \"1 x 2\", with comma", "Blue", "2", "", "line one\r\nline two");
    const QString path = PathIn(dir, "out.csv");
    ASSERT_EQ(WriteCsvFile(inv.Contents(), path).error, QString());
    const std::string bytes = Bytes(path);
    EXPECT_EQ(bytes.substr(0, bytes.find("\r\n", bytes.find("\r\n") + 2) + 2),
              "\"Quantity\",\"Ldraw #\",\"Bag(if any)\",\"Color\",\"Part Name\",\"Notes\"\r\n"
              "\"3\",\"3001\",\"1\",\"Red\",\"Brick 2 x 4\",\"plain\"\r\n");

    TestInventory back;
    back.Read(ReadCsvFile, path);
    ASSERT_EQ(back.rows.InventoryRowCount(), 2);
    EXPECT_EQ(back.Row(1), inv.Row(1));

    // An independent reader sees the same cells.
    QProcess python;
    python.start(Python3(), {"-c",
                             "import csv,sys,json\n"
                             "rows=list(csv.reader(open(sys.argv[1],newline='',encoding='cp1252')))\n"
                             "print(json.dumps(rows))",
                             path});
    ASSERT_TRUE(python.waitForFinished(10000));
    const QString out = QString::fromUtf8(python.readAllStandardOutput()).trimmed();
    EXPECT_EQ(out, QStringLiteral(
                       "[[\"Quantity\", \"Ldraw #\", \"Bag(if any)\", \"Color\", \"Part Name\", \"Notes\"], "
                       "[\"3\", \"3001\", \"1\", \"Red\", \"Brick 2 x 4\", \"plain\"], "
                       "[\"2\", \"3004\", \"\", \"Blue\", \"Brick \\\"1 x 2\\\", with comma\", "
                       "\"line one\\r\\nline two\"]]"));
}

TEST_F(OwnFormatsTest, NonIntegerQuantityKeepsRowAndWarnsOnceWithFileAndLine) {
    TestInventory inv;
    WriteFileBytes(dir / "bad.prn",
                   "#Set:\tx\r\n\r\n\r\n\r\n2\t3001\r\nabc\t3020\r\n1.5\t3003\r\n4\t3004\r\n");
    inv.Read(ReadPrnFile, PathIn(dir, "bad.prn"));
    EXPECT_EQ(inv.rows.InventoryRowCount(), 4);
    EXPECT_EQ(inv.rows.CountText(), u"6");
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_TRUE(TestMessages::Shown()[0].contains(u"bad.prn, line 6"));
}

TEST_F(OwnFormatsTest, LineEndsOfEveryKindAndCtrlZ) {
    TestInventory inv;
    WriteFileBytes(dir / "mixed.prn", "#Set:\tx\r\r\n\n\n1\t3001\r2\t3002\n3\t3003\r\n\x1a"
                                      "9\t9999\r\n");
    inv.Read(ReadPrnFile, PathIn(dir, "mixed.prn"));
    ASSERT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_EQ(inv.rows.InventoryCell(ColPartNumber, 2), u"3003");
}

TEST_F(OwnFormatsTest, MissingFileThrowsAndFailedWriteKeepsOldFile) {
    TestInventory inv;
    EXPECT_THROW(inv.Read(ReadPrnFile, PathIn(dir, "absent.prn")), InventoryReadError);
    inv.rows.AddInventoryRow("3001", "B", "Red", "1", "", "");
    EXPECT_NE(WritePrnFile(inv.Contents(), PathIn(dir, "no/such/folder/x.prn")).error, QString());
}

TEST_F(OwnFormatsTest, MalformedInputsNeverCrash) {
    const std::string huge(3 << 20, 'x');
    const std::vector<std::string> inputs = {"",
                                             "\t",
                                             "Set:",
                                             "#Set:",
                                             "\"",
                                             "\"\"\"",
                                             "\"a\",\"",
                                             "\x00\x01\xff\xfe",
                                             huge,
                                             "1\t" + huge + "\n",
                                             std::string(100000, '\t'),
                                             std::string(50000, '"') + "\n" + std::string(50000, ','),
                                             "\n\n\n\n\n\n"};
    using Reader = TestInventory::Reader;
    for (Reader reader : {ReadInvFile, ReadPrnFile, ReadTsvFile, ReadCsvFile})
        for (const std::string& bytes : inputs) {
            WriteFileBytes(dir / "in.txt", bytes);
            TestInventory inv;
            inv.Read(reader, PathIn(dir, "in.txt"));
            EXPECT_LE(inv.rows.InventoryRowCount(), 100000);
        }
}

} // namespace
