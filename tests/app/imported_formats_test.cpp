#include <gtest/gtest.h>

#include "app/imported_formats.h"
#include "app/inventory_fields.h"
#include "inventory_test_support.h"

namespace {

class ImportedFormatsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestMessages::Install();
        TestMessages::Clear();
    }
    TestInventory inv;
    TempDir dir;
};

TEST_F(ImportedFormatsTest, LDrawModelGivesOneRowPerReference) {
    ReadLDrawFile(inv.rows, Fixture("model.ldr"));
    ASSERT_EQ(inv.rows.InventoryRowCount(), 4);
    EXPECT_EQ(inv.Row(0), QStringList({"1", "3001", "", "Red", "Brick 2 x 4", ""}));
    // Runs of blanks and TABs separate fields; the upper-case ending is cut as well.
    EXPECT_EQ(inv.Row(1), QStringList({"1", "3001", "", "Red", "Brick 2 x 4", ""}));
    // A colour that is not decimal is not found, and the read goes on.
    EXPECT_EQ(inv.Row(2), QStringList({"1", "3003", "", "NotFound", "Unknown Part", ""}));
    // The line without file name is passed over; an indented line is still a reference.
    EXPECT_EQ(inv.Row(3), QStringList({"1", "3020", "", "White", "Plate 2 x 4", ""}));
}

TEST_F(ImportedFormatsTest, MultiPartModelKeepsBlanksInSubmodelNames) {
    ReadLDrawFile(inv.rows, Fixture("model.mpd"));
    ASSERT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_EQ(inv.Row(0), QStringList({"1", "rear wing", "", "Yellow", "Unknown Part", ""}));
    EXPECT_EQ(inv.Row(1)[1], u"3001");
    EXPECT_EQ(inv.Row(2), QStringList({"1", "3020", "", "Black", "Plate 2 x 4", ""}));
}

TEST_F(ImportedFormatsTest, BlkReadsSetInformationAndTranslatesMarketplaceColours) {
    ReadBlkFile(inv.rows, Fixture("wanted.blk"));
    EXPECT_EQ(inv.rows.SetName(), u"8880-1");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Theme), u"Technic");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Date), u"2005");
    ASSERT_EQ(inv.rows.InventoryRowCount(), 2);
    EXPECT_EQ(inv.Row(0), QStringList({"4", "3001", "", "Red", "Brick 2 x 4", ""}));
    EXPECT_EQ(inv.Row(1), QStringList({"2", "99999", "", "Black", "BLK DESC - Odd piece", ""}));
}

TEST_F(ImportedFormatsTest, PositionalXmlWithAndWithoutOptionalElements) {
    ReadBrickLinkXmlFile(inv.rows, Fixture("positional.xml"));
    ASSERT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_EQ(inv.Row(0), QStringList({"6", "", "", "Red", "BLK DESC - ", ""}));
    EXPECT_EQ(inv.Row(1), QStringList({"2", "99999", "", "Black", "BLK DESC - Odd piece & more", ""}));
    EXPECT_EQ(inv.Row(2), QStringList({"1", "3001", "", "Red", "Brick 2 x 4", ""}));
}

TEST_F(ImportedFormatsTest, MarketplaceXmlIsReadByTagNameOnOneLineBehindByteOrderMark) {
    ReadBrickLinkXmlFile(inv.rows, Fixture("wanted.xml"));
    // The item with neither id nor quantity adds nothing; nothing after </INVENTORY> is read.
    ASSERT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_EQ(inv.Row(0), QStringList({"12", "3001", "", "Red", "Brick 2 x 4", ""}));
    EXPECT_EQ(inv.Row(1), QStringList({"3", "3020", "", "NotFound", "Plate 2 x 4", ""}));
    EXPECT_EQ(inv.Row(2), QStringList({"1", "3002", "", "NotFound", "BLK DESC - ", ""}));
}

TEST_F(ImportedFormatsTest, OlderSavedPage) {
    inv.rows.SetSetName(QStringLiteral("replaced"));
    ReadPeeronHtmlFile(inv.rows, Fixture("older.htm"));
    EXPECT_EQ(inv.rows.SetName(), u"6399-1 Airport Shuttle");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Theme), u"Town");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Year), u"1990");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Pcs), u"750");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Figs), u"6");
    EXPECT_EQ(inv.rows.SetInformation(SetField::MSRP), u"$115");
    EXPECT_EQ(inv.rows.SetInformation(SetField::InvBy), u"Jane Doe");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Source), u"instructions");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Date), u"2004-03-12");
    ASSERT_EQ(inv.rows.InventoryRowCount(), 2);
    EXPECT_EQ(inv.Row(0), QStringList({"3", "3001", "1", "Red", "Brick 2 x 4 & more", "box 7"}));
    EXPECT_EQ(inv.Row(1), QStringList({"2", "3020", "", "Black", "Plate 2 x 4", ""}));
}

TEST_F(ImportedFormatsTest, NewerSavedPage) {
    ReadPeeronHtmlFile(inv.rows, Fixture("newer.htm"));
    EXPECT_EQ(inv.rows.SetName(), u"8880-1 Super Car");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Theme), u"Technic");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Year), u"1994");
    EXPECT_EQ(inv.rows.SetInformation(SetField::MSRP), u"$130");
    EXPECT_EQ(inv.rows.SetInformation(SetField::InvBy), u"Joe Smith");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Source), u"instructions");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Date), u"2005-06-01");
    ASSERT_EQ(inv.rows.InventoryRowCount(), 2);
    EXPECT_EQ(inv.Row(0), QStringList({"4", "3001", "", "Red", "Brick 2 x 4", "spare"}));
    EXPECT_EQ(inv.Row(1), QStringList({"2", "3020", "", "Black", "Plate 2 x 4", ""}));
}

TEST_F(ImportedFormatsTest, CompleteWebPageIsRefused) {
    WriteFileBytes(dir / "full.htm",
                   "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<html>Qty\n</html>\n");
    ReadPeeronHtmlFile(inv.rows, PathIn(dir, "full.htm"));
    EXPECT_EQ(inv.rows.InventoryRowCount(), 0);
    EXPECT_EQ(
        TestMessages::Shown(),
        QStringList({"This html file was not saved properly!\r\nWhen saving web pages use\r\nSave As... (Web "
                     "Page, HTML Only)"}));
}

TEST_F(ImportedFormatsTest, StripHtmlTagsEndsOnUnclosedAndStrayBrackets) {
    EXPECT_EQ(StripHtmlTags(QStringLiteral("<b>bold</b> text")), u"bold text");
    EXPECT_EQ(StripHtmlTags(QStringLiteral("a > b <i>c</i>")), u"a > b c");
    EXPECT_EQ(StripHtmlTags(QStringLiteral("x<y")), u"x<y");
    EXPECT_EQ(StripHtmlTags(QStringLiteral("<a<b>c>d")), u"c>d");
}

TEST_F(ImportedFormatsTest, MalformedInputsNeverCrashOrHang) {
    const std::string huge(2 << 20, 'a');
    const std::vector<std::string> inputs = {
        "",
        "1",
        "1 4",
        "1 4 0 0 0 1 0 0 0 1 0 0 0 1",
        "1 99999999999999999999 0 0 0 1 0 0 0 1 0 0 0 1 x.dat",
        "<INVENTORY><ITEM><COLOR>5",
        "<ITEM><!-- never closed",
        "<<<<>>>><ITEM></ITEM></ITEM>",
        "<ITEM><QTY>1</ITEM>",
        "title\n<!-- Meta Info -->\n<font size=\"+1\">Inventory for set <b>\nQty\n<tr bgcolor=\"\n<td>",
        "title\n<FONT SIZE=+1>Inventory for set <B>\nQty Bag\n<TR>\n  <TD>",
        "\x00\xff\xfe<\x01>",
        huge,
        "Set:\t" + huge,
        std::string(200000, '<'),
        std::string(200000, '\n')};
    using Reader = void (*)(InventoryHost&, const QString&);
    for (Reader reader : {ReadLDrawFile, ReadBlkFile, ReadBrickLinkXmlFile, ReadPeeronHtmlFile})
        for (const std::string& bytes : inputs) {
            WriteFileBytes(dir / "in.txt", bytes);
            TestInventory fresh;
            reader(fresh.rows, PathIn(dir, "in.txt"));
            for (int r = 0; r < fresh.rows.InventoryRowCount(); ++r)
                EXPECT_FALSE(fresh.rows.InventoryCell(ColPartNumber, r).contains(u'\n'));
        }
}

} // namespace
