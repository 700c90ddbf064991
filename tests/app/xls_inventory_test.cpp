#include <gtest/gtest.h>

#include "app/inventory_files.h"
#include "app/xls_inventory.h"
#include "formats/xls/cfb.h"
#include "formats/xls/xls_error.h"
#include "formats/xls/xls_read.h"
#include "formats/xls/xls_write.h"
#include "inventory_test_support.h"
#include "platform/text.h"

namespace {

InventoryCells Row(const QString& part, const QString& colour, const QString& quantity,
                   const QString& description = "Brick") {
    return {part + colour, quantity, part, "", colour, description, ""};
}

QStringList Colours(int n) {
    QStringList names;
    for (int k = 0; k < n; ++k)
        names << QString("Colour%1").arg(k);
    return names;
}

struct Sheet {
    XLSRead r;
    explicit Sheet(const std::filesystem::path& path) {
        r.FileName = QString::fromStdString(path.string());
        r.Open();
    }
    QString operator()(int col, int row) {
        QVariant v;
        if (!r.ReadCell(0, col, row, v)) return QString("<none>");
        return v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'f', 0) : v.toString();
    }
};

QStringList ReadBack(const std::filesystem::path& path) {
    TestInventory inv;
    inv.Read(ReadXlsInventory, QString::fromStdString(path.string()));
    QStringList rows;
    for (int r = 0; r < inv.rows.InventoryRowCount(); ++r) {
        QStringList cells;
        for (int c : {ColPartNumber, ColDescription, ColColor, ColQuantity, ColBag, ColNotes})
            cells << inv.rows.InventoryCell(c, r);
        rows << cells.join("|");
    }
    return rows;
}

// A workbook with a password: a FILEPASS record after the BOF.
std::string PasswordWorkbook() {
    const std::string bof = std::string("\x09\x08\x10\x00\x00\x06\x10\x00", 8) + std::string(12, '\0');
    return WriteCompoundFile({{"Workbook", bof + std::string("\x2F\x00\x00\x00\x0A\x00\x00\x00", 8)}});
}

} // namespace

TEST(XlsInventory, LaysOutColoursByPartWithTotals) {
    TempDir dir;
    auto path = dir / "inv.xls";
    QStringList colours = Colours(10);
    std::vector<InventoryCells> rows = {Row("3001", "Colour5", "3"), Row("3001", "Colour0", "2"),
                                        Row("3003", "Colour0", "1"), Row("3003", "Colour0", "4"),
                                        Row("3004", "Mauve", "5"),   Row("3004", "Puce", "6")};
    EXPECT_EQ(WriteXlsFile(QString::fromStdString(path.string()), rows, colours), 2);
    Sheet s(path);
    EXPECT_EQ(s(0, 0), "Ldraw#");
    EXPECT_EQ(s(3, 0), "Colour0");
    EXPECT_EQ(s(81, 0), "UNKNOWN");
    EXPECT_EQ(s(0, 1), "<none>");
    EXPECT_EQ(s(0, 2), "3001");
    EXPECT_EQ(s(3, 2), "2");
    EXPECT_EQ(s(8, 2), "3");
    EXPECT_EQ(s(2, 2), "5");   // SUM(D3:CD3), its cached result
    EXPECT_EQ(s(3, 3), "5");   // equal part and colour add up
    EXPECT_EQ(s(81, 4), "11"); // two unknown colours of one part share the unknown cell
    EXPECT_EQ(s(0, 5), "<none>");
    EXPECT_EQ(s(1, 6), "Grand Total");
    EXPECT_EQ(s(2, 6), "21");
    EXPECT_EQ(s(3, 7), "7");
    EXPECT_EQ(s(81, 7), "11");

    EXPECT_EQ(ReadBack(path), (QStringList{"3001|Brick|Colour0|2||", "3001|Brick|Colour5|3||",
                                           "3003|Brick|Colour0|5||", "3004|Brick|UNKNOWN|11||"}));
}

TEST(XlsInventory, ManyColoursPutTheUnknownColumnAfterTheLast) {
    TempDir dir;
    auto path = dir / "many.xls";
    QStringList colours = Colours(100);
    EXPECT_EQ(
        WriteXlsFile(QString::fromStdString(path.string()),
                     {Row("3001", "Colour78", "1"), Row("3001", "Colour99", "2"), Row("3001", "Nope", "4")},
                     colours),
        1);
    EXPECT_EQ(XlsUnknownColumn(100), 103);
    EXPECT_EQ(XlsColumnLetters(103), "CZ");
    Sheet s(path);
    EXPECT_EQ(s(81, 0), "Colour78");
    EXPECT_EQ(s(103, 0), "UNKNOWN");
    EXPECT_EQ(s(2, 2), "7");
    EXPECT_EQ(ReadBack(path),
              (QStringList{"3001|Brick|Colour78|1||", "3001|Brick|Colour99|2||", "3001|Brick|UNKNOWN|4||"}));
}

TEST(XlsInventory, PartsSortedApartGetTwoRows) {
    TempDir dir;
    auto path = dir / "apart.xls";
    // Keys sort as 3001Black, 3001RBlue, 3001Red: the other part splits the colours of 3001.
    QStringList colours = {"Black", "Red", "Blue"};
    WriteXlsFile(QString::fromStdString(path.string()),
                 {Row("3001", "Red", "1"), Row("3001R", "Blue", "2"), Row("3001", "Black", "3")}, colours);
    Sheet s(path);
    EXPECT_EQ(s(0, 2), "3001");
    EXPECT_EQ(s(3, 2), "3");
    EXPECT_EQ(s(0, 3), "3001R");
    EXPECT_EQ(s(0, 4), "3001");
    EXPECT_EQ(s(4, 4), "1");
}

TEST(XlsInventory, FailuresWriteNothingAndSayWhy) {
    TempDir dir;
    TestMessages::Clear();
    auto path = dir / "bad.xls";
    QString name = QString::fromStdString(path.string());
    EXPECT_THROW(WriteXlsFile(name, {}, Colours(3)), XLSError);
    EXPECT_THROW(WriteXlsFile(name, {Row("3001", "Colour0", "2"), Row("3002", "Colour0", "two")}, Colours(3)),
                 XLSError);
    EXPECT_FALSE(std::filesystem::exists(path));
    try {
        WriteXlsFile(QString::fromStdString((dir / "no/such/folder.xls").string()),
                     {Row("1", "Colour0", "1")}, Colours(1));
        ADD_FAILURE() << "a folder that does not exist was written";
    } catch (const XLSError& e) {
        EXPECT_TRUE(QString(e.what()).endsWith("Please close Excel and try again.")) << e.what();
    }

    // Opening a file that is no workbook it can read says so once, and only a file that cannot be opened
    // is blamed on another program holding it.
    TestInventory inv;
    InventoryFiles files(inv);
    auto shownFor = [&files](const QString& file) {
        TestMessages::Clear();
        files.OpenFiles({file});
        return TestMessages::Shown();
    };
    EXPECT_EQ(shownFor(name), QStringList{"I'm having trouble opening " + name +
                                          "\n\rPlease close this file if it is open in Excel."});
    for (const std::string& bytes : {std::string(), std::string("Quantity\tPart Number\n1\t3001\n")}) {
        WriteFileBytes(path, bytes);
        EXPECT_EQ(shownFor(name), QStringList{name + " is not a workbook: File is not a Excel file."})
            << bytes;
    }
    WriteFileBytes(path, PasswordWorkbook());
    EXPECT_EQ(shownFor(name),
              QStringList{name + "\nThe workbook is protected by a password, so it can not be read."});
    EXPECT_EQ(inv.rows.InventoryRowCount(), 0);
}

// A workbook that cannot be opened, is damaged or has a password is named, and the files around it in the
// same Open or Drop are read all the same, also when it comes first.
TEST(XlsInventory, AWorkbookThatCannotBeReadLeavesOutOnlyItself) {
    TempDir dir;
    const QString absent = PathIn(dir, "absent.xls");
    const QString damaged = PathIn(dir, "damaged.xls");
    const QString locked = PathIn(dir, "locked.xls");
    WriteFileBytes(dir / "damaged.xls", WriteCompoundFile({{"Workbook", std::string(64, '\x7F')}}));
    WriteFileBytes(dir / "locked.xls", PasswordWorkbook());
    // Each bad file with the start of what the user is told about it.
    const std::pair<QString, QString> cases[] = {
        {absent, XlsOpenTrouble(absent)},
        {damaged, damaged + " is not a workbook: "},
        {locked, locked + "\nThe workbook is protected by a password"}};
    for (const auto& [bad, told] : cases) {
        TestMessages::Clear();
        TestInventory inv;
        InventoryFiles files(inv);
        files.OpenFiles({Fixture("roundtrip.inv"), bad, Fixture("myparts.tsv")});
        ASSERT_EQ(inv.rows.InventoryRowCount(), 5) << bad.toStdString();
        EXPECT_EQ(inv.rows.InventoryCell(ColPartNumber, 4), u"3623");
        ASSERT_EQ(TestMessages::Shown().size(), 1);
        EXPECT_TRUE(TestMessages::Shown()[0].startsWith(told)) << TestMessages::Shown()[0].toStdString();
        EXPECT_EQ(files.ProposedSaveName(), Fixture("myparts.tsv").chopped(4));

        TestMessages::Clear();
        TestInventory dropped;
        InventoryFiles dropFiles(dropped);
        dropFiles.DropFiles({bad, Fixture("roundtrip.inv")});
        EXPECT_EQ(dropped.rows.InventoryRowCount(), 3) << bad.toStdString();
        ASSERT_EQ(TestMessages::Shown().size(), 1);
        EXPECT_TRUE(TestMessages::Shown()[0].startsWith(told)) << TestMessages::Shown()[0].toStdString();
    }
}

// A write that fails half-way must not finish the half-built workbook over the good file, nor leave a new
// one behind; the user hears of it once. It fails at more parts than a sheet has rows, or at a cell longer
// than a sheet's cells hold.
TEST(XlsInventory, FailedSaveLeavesTheOldFileByteIdentical) {
    TempDir dir;
    TestMessages::Clear();
    TestInventory inv;
    std::vector<InventoryCells> parts;
    for (int part = 0; part < 65535; ++part)
        parts.push_back(Row(QString::number(100000 + part), "Red", "1"));
    inv.rows.AppendInventoryRows(std::move(parts));
    WriteFileBytes(dir / "old.xls", "the good workbook");
    inv.rows.SetModified(true);
    EXPECT_FALSE(InventoryFiles(inv).Save(PathIn(dir, "old.xls"), {}));
    EXPECT_EQ(ReadFileBytes(dir / "old.xls").value_or(""), "the good workbook");
    EXPECT_TRUE(inv.rows.Modified());

    TestInventory longCell;
    longCell.rows.AppendInventoryRows(
        {Row("3001", "Red", "1"), Row("3002", "Red", "1", QString(40000, 'x'))});
    longCell.rows.SetModified(true);
    EXPECT_FALSE(InventoryFiles(longCell).Save(PathIn(dir, "new.xls"), {}));
    EXPECT_FALSE(std::filesystem::exists(dir / "new.xls"));
    EXPECT_TRUE(longCell.rows.Modified());
    ASSERT_EQ(TestMessages::Shown().size(), 2);
    EXPECT_TRUE(TestMessages::Shown()[0].contains("outside the sheet"))
        << TestMessages::Shown()[0].toStdString();
    EXPECT_TRUE(TestMessages::Shown()[1].contains("Cell R3,C1: String length more than 32767 bytes"))
        << TestMessages::Shown()[1].toStdString();

    // The writer itself: destroyed by an exception it abandons its file; destroyed normally it finishes it.
    XLSWrite writer;
    writer.FileName = PathIn(dir, "old.xls");
    EXPECT_THROW(
        {
            XLSWrite failing;
            failing.FileName = writer.FileName;
            failing.OpenFile();
            failing.WriteNumber(0, 0, -1, 1);
            failing.WriteNumber(0, 70000, -1, 1);
        },
        XLSError);
    EXPECT_EQ(ReadFileBytes(dir / "old.xls").value_or(""), "the good workbook");
    writer.OpenFile();
    writer.AbandonFile();
    EXPECT_EQ(ReadFileBytes(dir / "old.xls").value_or(""), "the good workbook");
}

// Empty quantities leave their cell empty instead of blocking the save; quantities are 64-bit.
TEST(XlsInventory, EmptyAndLargeQuantitiesSave) {
    TempDir dir;
    auto path = dir / "q.xls";
    EXPECT_EQ(WriteXlsFile(QString::fromStdString(path.string()),
                           {Row("3001", "Colour0", ""), Row("3001", "Colour1", "3000000000"),
                            Row("3001", "Colour1", ""), Row("3002", "Colour0", "")},
                           Colours(3)),
              0);
    Sheet s(path);
    EXPECT_EQ(s(3, 2), "<none>");
    EXPECT_EQ(s(4, 2), "3000000000");
    EXPECT_EQ(s(2, 2), "3000000000");
    EXPECT_EQ(s(0, 3), "3002");
    EXPECT_EQ(s(3, 3), "<none>");
    EXPECT_EQ(ReadBack(path), QStringList{"3001|Brick|Colour1|3000000000||"});
}

// Saving rows of a colour the table does not list writes the file and says once, through the prompts, that
// their quantities went under UNKNOWN.
TEST(XlsInventory, UnlistedColoursAreSavedUnderUnknownWithOneNotice) {
    TempDir dir;
    TestMessages::Clear();
    TestInventory inv;
    inv.rows.AddInventoryRow("3001", "Brick", "Red", "2", {}, {});
    inv.rows.AddInventoryRow("3001", "Brick", "Mauve", "3", {}, {});
    inv.rows.AddInventoryRow("3020", "Plate", "Puce", "1", {}, {});
    inv.rows.SetModified(true);
    const QString path = PathIn(dir, "set.xls");
    EXPECT_TRUE(InventoryFiles(inv).Save(path, {}));
    EXPECT_FALSE(inv.rows.Modified());
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{path + ": 2 rows have colours that colors.txt does not list; "
                                 "their quantities were saved under UNKNOWN, without "
                                 "their colour names."});
    EXPECT_EQ(ReadBack(dir / "set.xls").size(), 3);
}

// Rows below an empty row are parts too; reading ends at "Grand Total". Numbers that are no whole 64-bit
// quantity (a fraction, one too big) keep their text and are named in the one quantity warning.
TEST(XlsInventory, ReadsPastEmptyRowsDownToTheGrandTotal) {
    TempDir dir;
    TestMessages::Clear();
    const QString name = PathIn(dir, "gaps.xls");
    {
        XLSWrite w;
        w.SetXLSVersion(XLSVersion::xls97);
        w.FileName = name;
        w.OpenFile();
        w.WriteString(3, 0, -1, "Red");
        w.WriteString(4, 0, -1, "Blue");
        w.WriteString(0, 2, -1, "3001");
        w.WriteNumber(3, 2, -1, 2);
        w.WriteString(0, 4, -1, "3002");
        w.WriteString(1, 4, -1, "Plate");
        w.WriteNumber(4, 4, -1, 3000000000.0);
        w.WriteString(0, 5, -1, "3003");
        w.WriteNumber(3, 5, -1, 1.5);
        w.WriteNumber(4, 5, -1, 1.5e20);
        w.WriteString(1, 7, -1, "Grand Total");
        w.WriteString(0, 9, -1, "notapart");
        w.WriteNumber(3, 9, -1, 1);
        w.CloseFile();
    }
    TestInventory inv;
    inv.Read(ReadXlsInventory, name);
    ASSERT_EQ(inv.rows.InventoryRowCount(), 4);
    EXPECT_EQ(inv.Row(0), (QStringList{"2", "3001", "", "Red", "", ""}));
    EXPECT_EQ(inv.Row(1), (QStringList{"3000000000", "3002", "", "Blue", "Plate", ""}));
    EXPECT_EQ(inv.Row(2)[0], "1.5");
    EXPECT_EQ(inv.Row(3)[0], "1.5e+20");
    EXPECT_EQ(inv.rows.CountText(), "3000000002");
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{name + ", row 6: the quantity \"1.5\" is not a whole number; it counts as 0."});
}
