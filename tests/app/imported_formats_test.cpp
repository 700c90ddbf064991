#include <gtest/gtest.h>

#include "app/imported_formats.h"
#include "app/inventory_fields.h"
#include "inventory_test_support.h"

namespace {

class ImportedFormatsTest : public ::testing::Test {
  protected:
    void SetUp() override { TestMessages::Clear(); }
    TestInventory inv;
    TempDir dir;
};

TEST_F(ImportedFormatsTest, LDrawModelGivesOneRowPerReference) {
    inv.Read(ReadLDrawFile, Fixture("model.ldr"));
    ASSERT_EQ(inv.rows.InventoryRowCount(), 4);
    EXPECT_EQ(inv.Row(0), QStringList({"1", "3001", "", "Red", "Brick 2 x 4", ""}));
    // Runs of blanks and TABs separate fields; the upper-case ending is cut as well.
    EXPECT_EQ(inv.Row(1), QStringList({"1", "3001", "", "Red", "Brick 2 x 4", ""}));
    // A colour that is not decimal is not found, and the read goes on.
    EXPECT_EQ(inv.Row(2), QStringList({"1", "3003", "", "NotFound", "Unknown Part", ""}));
    // The line without file name is passed over; an indented line is still a reference.
    EXPECT_EQ(inv.Row(3), QStringList({"1", "3020", "", "White", "Plate 2 x 4", ""}));
}

// A model's parts, by part number and colour name, in reading order.
QStringList PartsOf(const TestInventory& inv) {
    QStringList parts;
    for (int r = 0; r < inv.rows.InventoryRowCount(); ++r)
        parts << inv.rows.InventoryCell(ColPartNumber, r) + " " + inv.rows.InventoryCell(ColColor, r);
    return parts;
}

std::string Ref(int colour, const std::string& name) {
    return "1 " + std::to_string(colour) + " 0 0 0 1 0 0 0 1 0 0 0 1 " + name + "\r\n";
}

// A submodel is expanded, never made a row; a name with blanks still names the section.
TEST_F(ImportedFormatsTest, MultiPartModelExpandsSubmodelsNamedWithBlanks) {
    inv.Read(ReadLDrawFile, Fixture("model.mpd"));
    EXPECT_EQ(PartsOf(inv), (QStringList{"3020 Black", "3001 Red"}));
    EXPECT_EQ(inv.Row(0), QStringList({"1", "3020", "", "Black", "Plate 2 x 4", ""}));
}

// Each use of a submodel adds its parts again, in the colour of the line that uses it where the submodel
// says 16; sections are found without regard to case.
TEST_F(ImportedFormatsTest, SubmodelUsedThreeTimesTakesEachUsersColour) {
    WriteFileBytes(dir / "car.mpd",
                   "0 FILE Car.ldr\r\n" + Ref(4, "wheel.ldr") + Ref(1, "Wheel.LDR") + Ref(15, "WHEEL.ldr") +
                       Ref(16, "3001.dat") + "0 NOFILE\r\n0 FILE wheel.ldr\r\n0 a wheel\r\n" +
                       Ref(16, "3020.dat") + Ref(0, "3003.dat") + "0 GHOST " + Ref(16, "3002.dat"));
    inv.Read(ReadLDrawFile, PathIn(dir, "car.mpd"));
    EXPECT_EQ(PartsOf(inv), (QStringList{"3020 Red", "3003 Black", "3020 Blue", "3003 Black", "3020 White",
                                         "3003 Black", "3001 NotFound"}));
    EXPECT_EQ(inv.rows.CountText(), "7");
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << TestMessages::Shown().join('\n').toStdString();
}

// .ldr files beside the model are submodels too, found in any letter case; the same model as one .mpd
// gives the same inventory.
TEST_F(ImportedFormatsTest, FlatModelReadsTheLdrFilesBesideIt) {
    WriteFileBytes(dir / "model.ldr", Ref(4, "Left.ldr") + Ref(1, "right.LDR") + Ref(14, "3001.dat"));
    WriteFileBytes(dir / "left.ldr", Ref(16, "3020.dat"));
    WriteFileBytes(dir / "Right.ldr", Ref(16, "3003.dat") + Ref(0, "left.ldr"));
    inv.Read(ReadLDrawFile, PathIn(dir, "model.ldr"));
    const QStringList flat = PartsOf(inv);
    EXPECT_EQ(flat, (QStringList{"3020 Red", "3003 Blue", "3020 Black", "3001 Yellow"}));

    TestInventory packed;
    WriteFileBytes(dir / "packed.mpd", "0 FILE model.ldr\r\n" + Ref(4, "Left.ldr") + Ref(1, "right.LDR") +
                                           Ref(14, "3001.dat") + "0 FILE left.ldr\r\n" + Ref(16, "3020.dat") +
                                           "0 FILE Right.ldr\r\n" + Ref(16, "3003.dat") + Ref(0, "left.ldr"));
    packed.Read(ReadLDrawFile, PathIn(dir, "packed.mpd"));
    EXPECT_EQ(PartsOf(packed), flat);
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
}

// A submodel that is nowhere is named once and the read goes on.
TEST_F(ImportedFormatsTest, MissingSubmodelIsNamedOnceAndTheRestIsRead) {
    WriteFileBytes(dir / "model.ldr", Ref(4, "gone.ldr") + Ref(4, "3001.dat") + Ref(1, "GONE.ldr") +
                                          Ref(1, "sub/elsewhere.mpd"));
    inv.Read(ReadLDrawFile, PathIn(dir, "model.ldr"));
    EXPECT_EQ(PartsOf(inv), QStringList{"3001 Red"});
    const QString path = PathIn(dir, "model.ldr");
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{path + ": the submodel \"gone.ldr\" was not found; its parts are missing.\n" +
                          path +
                          ": the submodel \"sub/elsewhere.mpd\" was not found; its parts are missing."});
}

// A reference back into a submodel being expanded, the model's own file included, and nesting deeper than
// 64 levels are skipped, each with one note; the parts around them are read once.
TEST_F(ImportedFormatsTest, SelfReferencesAndDeepNestingAreSkippedWithOneNote) {
    WriteFileBytes(dir / "loop.mpd", "0 FILE main\r\n" + Ref(4, "a") + Ref(4, "LOOP.MPD") +
                                         Ref(1, "3001.dat") + "0 FILE a\r\n" + Ref(16, "3020.dat") +
                                         Ref(16, "a") + Ref(16, "main"));
    inv.Read(ReadLDrawFile, PathIn(dir, "loop.mpd"));
    EXPECT_EQ(PartsOf(inv), (QStringList{"3020 Red", "3001 Blue"}));
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_EQ(TestMessages::Shown()[0].count("refers back"), 1) << TestMessages::Shown()[0].toStdString();

    TestMessages::Clear();
    TestInventory deep;
    std::string chain = "0 FILE level0\r\n";
    for (int level = 0; level < 70; ++level)
        chain += Ref(16, "1.dat") + Ref(16, "level" + std::to_string(level + 1)) + "0 FILE level" +
                 std::to_string(level + 1) + "\r\n";
    WriteFileBytes(dir / "deep.mpd", chain);
    deep.Read(ReadLDrawFile, PathIn(dir, "deep.mpd"));
    EXPECT_EQ(deep.rows.InventoryRowCount(), 65);
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{PathIn(dir, "deep.mpd") +
                          ": submodels nest deeper than 64 levels; the deeper ones were skipped."});
}

// Submodels used eight times each, eight levels deep, would place 134 million parts: the read stops far
// above real models' tens of thousands with one note, also when the uses lead nowhere.
TEST_F(ImportedFormatsTest, FanningOutModelStopsAtTheBoundWithOneNote) {
    const auto fanOut = [&](const char* name, const std::string& leaf) {
        std::string model = "0 FILE level0\r\n";
        for (int level = 1; level <= 8; ++level) {
            for (int use = 0; use < 8; ++use)
                model += Ref(16, "level" + std::to_string(level));
            model += "0 FILE level" + std::to_string(level) + "\r\n";
        }
        WriteFileBytes(dir / name, model + leaf);
        return PathIn(dir, name);
    };
    const QString tooLarge = ": the model expands to more parts than can be read; the rest was not read.";

    std::string leaf;
    for (int pair = 0; pair < 4; ++pair)
        leaf += Ref(4, "3001.dat") + Ref(15, "3020.dat");
    const QString parts = fanOut("parts.mpd", leaf);
    inv.Read(ReadLDrawFile, parts);
    ASSERT_EQ(inv.rows.InventoryRowCount(), 1 << 18);
    EXPECT_EQ(inv.Row(0), QStringList({"1", "3001", "", "Red", "Brick 2 x 4", ""}));
    EXPECT_EQ(inv.Row((1 << 18) - 1), QStringList({"1", "3020", "", "White", "Plate 2 x 4", ""}));
    EXPECT_EQ(TestMessages::Shown(), QStringList{parts + tooLarge});

    TestMessages::Clear();
    TestInventory nowhere;
    const QString empty = fanOut("nowhere.mpd", Ref(4, "gone.ldr"));
    nowhere.Read(ReadLDrawFile, empty);
    EXPECT_EQ(nowhere.rows.InventoryRowCount(), 0);
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{empty + ": the submodel \"gone.ldr\" was not found; its parts are missing.\n" +
                          empty + tooLarge});
}

TEST_F(ImportedFormatsTest, BlkReadsSetInformationAndTranslatesMarketplaceColours) {
    inv.Read(ReadBlkFile, Fixture("wanted.blk"));
    EXPECT_EQ(inv.rows.SetName(), u"8880-1");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Theme), u"Technic");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Date), u"2005");
    ASSERT_EQ(inv.rows.InventoryRowCount(), 2);
    EXPECT_EQ(inv.Row(0), QStringList({"4", "3001", "", "Red", "Brick 2 x 4", ""}));
    EXPECT_EQ(inv.Row(1), QStringList({"2", "99999", "", "Black", "BLK DESC - Odd piece", ""}));
}

TEST_F(ImportedFormatsTest, PositionalXmlWithAndWithoutOptionalElements) {
    inv.Read(ReadBrickLinkXmlFile, Fixture("positional.xml"));
    ASSERT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_EQ(inv.Row(0), QStringList({"6", "", "", "Red", "BLK DESC - ", ""}));
    EXPECT_EQ(inv.Row(1), QStringList({"2", "99999", "", "Black", "BLK DESC - Odd piece & more", ""}));
    EXPECT_EQ(inv.Row(2), QStringList({"1", "3001", "", "Red", "Brick 2 x 4", ""}));
}

TEST_F(ImportedFormatsTest, MarketplaceXmlIsReadByTagNameOnOneLineBehindByteOrderMark) {
    inv.Read(ReadBrickLinkXmlFile, Fixture("wanted.xml"));
    // The item with neither id nor quantity adds nothing; nothing after </INVENTORY> is read.
    ASSERT_EQ(inv.rows.InventoryRowCount(), 3);
    EXPECT_EQ(inv.Row(0), QStringList({"12", "3001", "", "Red", "Brick 2 x 4", ""}));
    EXPECT_EQ(inv.Row(1), QStringList({"3", "3020", "", "NotFound", "Plate 2 x 4", ""}));
    EXPECT_EQ(inv.Row(2), QStringList({"1", "3002", "", "NotFound", "BLK DESC - ", ""}));
}

// The remarks of an item are its notes. A file cut short keeps the items read and says it ended early.
TEST_F(ImportedFormatsTest, MarketplaceRemarksBecomeNotesAndAnEarlyEndIsSaid) {
    WriteFileBytes(
        dir / "cut.xml",
        "<INVENTORY>\r\n<ITEM><ITEMTYPE>P</ITEMTYPE><ITEMID>3001</ITEMID><COLOR>5</COLOR><MINQTY>2</MINQTY>"
        "<REMARKS>for the\r\nroof &amp; door</REMARKS></ITEM>\r\n"
        "<ITEM><ITEMID>3020</ITEMID><QTY>1</QTY><REMARKS></REMARKS></ITEM>\r\n"
        "<ITEM><ITEMID>3003</ITEMID><QT");
    inv.Read(ReadBrickLinkXmlFile, PathIn(dir, "cut.xml"));
    ASSERT_EQ(inv.rows.InventoryRowCount(), 2);
    EXPECT_EQ(inv.Row(0), QStringList({"2", "3001", "", "Red", "Brick 2 x 4", "for the roof & door"}));
    EXPECT_EQ(inv.Row(1)[5], "");
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{PathIn(dir, "cut.xml") +
                          " ended before </INVENTORY>: the 2 items read before that are kept."});
}

TEST_F(ImportedFormatsTest, OlderSavedPage) {
    inv.rows.SetSetName(QStringLiteral("replaced"));
    inv.Read(ReadPeeronHtmlFile, Fixture("older.htm"));
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
    inv.Read(ReadPeeronHtmlFile, Fixture("newer.htm"));
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
    inv.Read(ReadPeeronHtmlFile, PathIn(dir, "full.htm"));
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
    using Reader = TestInventory::Reader;
    for (Reader reader : {ReadLDrawFile, ReadBlkFile, ReadBrickLinkXmlFile, ReadPeeronHtmlFile})
        for (const std::string& bytes : inputs) {
            WriteFileBytes(dir / "in.txt", bytes);
            TestInventory fresh;
            fresh.Read(reader, PathIn(dir, "in.txt"));
            for (int r = 0; r < fresh.rows.InventoryRowCount(); ++r)
                EXPECT_FALSE(fresh.rows.InventoryCell(ColPartNumber, r).contains(u'\n'));
        }
}

} // namespace
