#include <gtest/gtest.h>

#include "app/xls_inventory.h"
#include "formats/xls/xls_error.h"
#include "formats/xls/xls_read.h"
#include "platform/cfb.h"
#include "support/test_support.h"

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
        return r.ReadCell(0, col, row, v) ? v.toString() : QString("<none>");
    }
};

QStringList ReadBack(const std::filesystem::path& path) {
    QStringList rows;
    ReadXlsFile(QString::fromStdString(path.string()),
                [&](const QString& part, const QString& description, const QString& colour,
                    const QString& quantity, const QString& bag, const QString& notes) {
                    rows << QStringList{part, description, colour, quantity, bag, notes}.join("|");
                });
    return rows;
}

} // namespace

TEST(XlsInventory, LaysOutColoursByPartWithTotals) {
    TempDir dir;
    auto path = dir / "inv.xls";
    QStringList colours = Colours(10);
    std::vector<InventoryCells> rows = {Row("3001", "Colour5", "3"), Row("3001", "Colour0", "2"),
                                        Row("3003", "Colour0", "1"), Row("3003", "Colour0", "4"),
                                        Row("3004", "Mauve", "5"),   Row("3004", "Puce", "6")};
    ASSERT_TRUE(WriteXlsFile(QString::fromStdString(path.string()), rows, colours));
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
    ASSERT_TRUE(WriteXlsFile(
        QString::fromStdString(path.string()),
        {Row("3001", "Colour78", "1"), Row("3001", "Colour99", "2"), Row("3001", "Nope", "4")}, colours));
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
    ASSERT_TRUE(WriteXlsFile(QString::fromStdString(path.string()),
                             {Row("3001", "Red", "1"), Row("3001R", "Blue", "2"), Row("3001", "Black", "3")},
                             colours));
    Sheet s(path);
    EXPECT_EQ(s(0, 2), "3001");
    EXPECT_EQ(s(3, 2), "3");
    EXPECT_EQ(s(0, 3), "3001R");
    EXPECT_EQ(s(0, 4), "3001");
    EXPECT_EQ(s(4, 4), "1");
}

TEST(XlsInventory, FailuresWriteNothingAndSayWhy) {
    TempDir dir;
    TestMessages::Install();
    TestMessages::Clear();
    auto path = dir / "bad.xls";
    QString name = QString::fromStdString(path.string());
    EXPECT_FALSE(WriteXlsFile(name, {}, Colours(3)));
    EXPECT_THROW(WriteXlsFile(name, {Row("3001", "Colour0", "2"), Row("3002", "Colour0", "two")}, Colours(3)),
                 XLSError);
    EXPECT_FALSE(std::filesystem::exists(path));

    EXPECT_FALSE(WriteXlsFile(QString::fromStdString((dir / "no/such/folder.xls").string()),
                              {Row("1", "Colour0", "1")}, Colours(1)));
    EXPECT_FALSE(ReadXlsFile(name, [](auto&&...) {}));
    EXPECT_EQ(TestMessages::Shown(), (QStringList{"Please close Excel and try again.",
                                                  "I'm having trouble opening " + name +
                                                      "\n\rPlease close this file if it is open in Excel."}));

    // A workbook with a password is not blamed on another program: a FILEPASS record after the BOF.
    TestMessages::Clear();
    const std::string bof = std::string("\x09\x08\x10\x00\x00\x06\x10\x00", 8) + std::string(12, '\0');
    WriteFileBytes(
        path, WriteCompoundFile({{"Workbook", bof + std::string("\x2F\x00\x00\x00\x0A\x00\x00\x00", 8)}}));
    EXPECT_FALSE(ReadXlsFile(name, [](auto&&...) {}));
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{name + "\nThe workbook is protected by a password, so it can not be read."});
}
