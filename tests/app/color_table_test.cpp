#include <gtest/gtest.h>

#include "app/color_table.h"
#include "support/test_support.h"

namespace {

TEST(ColorTableTest, SharedTableLookupsAndDefaults) {
    ColorTable table;
    const QStringList messages = table.Load(ShippedData("colors.txt"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    ASSERT_EQ(table.RowCount(), 112);
    // Comment lines are not rows: the first row is the first colour line.
    EXPECT_EQ(table.Field(0, 1), u"Black");

    EXPECT_EQ(table.ColourFieldByKey(QStringLiteral("4"), 2, 1), u"Red");
    EXPECT_EQ(table.ColourFieldByKey(QStringLiteral("5"), 4, 1), u"Red");
    EXPECT_EQ(table.ColourFieldByKey(QStringLiteral("Red"), 1, 5), u"#B40000");
    EXPECT_EQ(table.ColourFieldByKey(QStringLiteral("123456"), 4, 1), u"NotFound");
    EXPECT_EQ(table.ColourFieldByKey(QString(), 3, 1), u"NotFound");

    EXPECT_EQ(table.ColourIndexByName(QStringLiteral("White")), 1);
    EXPECT_EQ(table.ColourIndexByName(QStringLiteral("red")), -1);
    EXPECT_EQ(table.LDrawColourByName(QStringLiteral("Blue")), 1);
    EXPECT_EQ(table.LDrawColourByName(QStringLiteral("NoSuchColour")), 7);
    EXPECT_EQ(table.HtmlColourByName(QStringLiteral("Yellow")), u"#FAC80A");
    EXPECT_EQ(table.HtmlColourByName(QStringLiteral("NoSuchColour")), u"#ffffff");
    EXPECT_EQ(table.DisplayColour(2), QColor(0xB4, 0, 0));
}

TEST(ColorTableTest, FirstMatchWinsAndEmptyFieldsGiveDefaults) {
    ColorTable table;
    (void)table.LoadText(QStringLiteral("\tindented line is skipped\n;comment\n\n"
                                        "Odd\t\t\t\t\tYes\n"
                                        "Letters\tabc\t\t12\t#00ff00\n"
                                        "Red\t4\t\t5\t#FF0000\tNo\n"
                                        "Red\t40\t\t55\t#00FF00\tNo\n"),
                         QStringLiteral("colors.txt"));
    ASSERT_EQ(table.RowCount(), 4);
    EXPECT_EQ(table.LDrawColourByName(QStringLiteral("Red")), 4);
    EXPECT_EQ(table.ColourFieldByKey(QStringLiteral("55"), 4, 2), u"40");
    // Empty fields never match an empty key, and empty or non-numeric numbers give the defaults.
    EXPECT_EQ(table.ColourFieldByKey(QString(), 2, 1), u"NotFound");
    EXPECT_EQ(table.LDrawColourByName(QStringLiteral("Odd")), 7);
    EXPECT_EQ(table.LDrawColourByName(QStringLiteral("Letters")), 7);
    EXPECT_EQ(table.HtmlColourByName(QStringLiteral("Odd")), u"#ffffff");
    EXPECT_TRUE(table.IsTransparent(0));
    EXPECT_FALSE(table.IsTransparent(2));
    // Out-of-range rows read as empty.
    EXPECT_EQ(table.Field(99, 1), QString());
    EXPECT_EQ(table.Field(0, 7), QString());
}

TEST(ColorTableTest, BadDisplayColourWarnsOnceAndKeepsReading) {
    ColorTable table;
    const QStringList messages =
        table.LoadText(QStringLiteral("A\t1\t\t1\tred\nB\t2\t\t2\t#12345\nC\t3\t\t3\t#123456\n"),
                       QStringLiteral("colors.txt"));
    EXPECT_EQ(table.RowCount(), 3);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(u"line 1"));
    EXPECT_EQ(table.HtmlColourByName(QStringLiteral("A")), u"#ffffff");
    EXPECT_EQ(table.DisplayColour(1), QColor(Qt::white));
    EXPECT_EQ(table.HtmlColourByName(QStringLiteral("C")), u"#123456");
}

TEST(ColorTableTest, MoreThanTheSlotsKeepsTheFirstWithOneWarning) {
    QString text;
    for (int i = 0; i < 130; ++i)
        text += QStringLiteral("C%1\t%1\t\t%1\t#000000\n").arg(i);
    ColorTable table;
    EXPECT_EQ(table.LoadText(text, QStringLiteral("colors.txt")).size(), 1);
    EXPECT_EQ(table.RowCount(), ColorTable::kSlots);
    EXPECT_EQ(table.ColourIndexByName(QStringLiteral("C111")), 111);
    EXPECT_EQ(table.ColourIndexByName(QStringLiteral("C112")), -1);
}

TEST(ColorTableTest, MissingFileShowsMessageAndLeavesEmptyTable) {
    TempDir dir;
    ColorTable table;
    EXPECT_TRUE(table.LoadText(QStringLiteral("Red\t4\t\t5\t#FF0000\n"), QStringLiteral("old")).isEmpty());
    EXPECT_EQ(table.Load(dir / "colors.txt").size(), 1);
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(table.ColourFieldByKey(QStringLiteral("4"), 2, 1), u"NotFound");
}

} // namespace
