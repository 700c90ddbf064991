#include <gtest/gtest.h>

#include "app/compare.h"
#include "app/inventory_fields.h"
#include "app/own_formats.h"
#include "inventory_test_support.h"

namespace {

class CompareTest : public ::testing::Test {
  protected:
    void SetUp() override { TestMessages::Clear(); }
    QString SetFile(const std::string& rows) {
        WriteFileBytes(dir / "set.prn", "#Set:\tx\t\t\r\n#Theme:\r\n\t\t\t\r\nhead\r\n" + rows);
        return PathIn(dir, "set.prn");
    }
    TestInventory inv;
    TempDir dir;
};

TEST_F(CompareTest, HaveAndNeedPerPartAndColour) {
    inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Red", "3", "", "");
    inv.rows.AddInventoryRow("3020", "Plate 2 x 4", "Black", "9", "", "");
    const QString set = SetFile("5\t3001\t\tRed\tBrick 2 x 4\t\r\n1\t3020\t\tBlack\tPlate\t\r\n"
                                "2\t3001\t\tBlue\tBrick 2 x 4\t\r\n1\t3020\t\tBlack\tPlate\t\r\n");
    EXPECT_EQ(CompareWithSetFile(inv, set, CompareMode::Have, false),
              QStringList({"3\t3001\t\tRed\tBrick 2 x 4\t", "2\t3020\t\tBlack\tPlate\t"}));
    EXPECT_EQ(CompareWithSetFile(inv, set, CompareMode::Need, false),
              QStringList({"2\t3001\t\tRed\tBrick 2 x 4\t", "2\t3001\t\tBlue\tBrick 2 x 4\t"}));
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
}

TEST_F(CompareTest, ColourDoesNotMatterSumsAllColours) {
    inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Red", "2", "", "");
    inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Blue", "2", "", "");
    const QString set = SetFile("4\t3001\t\tYellow\tBrick 2 x 4\t\r\n");
    EXPECT_EQ(CompareWithSetFile(inv, set, CompareMode::Have, true),
              QStringList({"4\t3001\t\tYellow\tBrick 2 x 4\t"}));
    EXPECT_TRUE(CompareWithSetFile(inv, set, CompareMode::Need, true).isEmpty());
    EXPECT_EQ(TestMessages::Shown(), QStringList({"You have all the parts needed.  Start Building!"}));
    TestMessages::Clear();
    EXPECT_EQ(CompareWithSetFile(inv, set, CompareMode::Need, false),
              QStringList({"4\t3001\t\tYellow\tBrick 2 x 4\t"}));
}

TEST_F(CompareTest, EmptyInventoryAndNoSharedPart) {
    EXPECT_TRUE(
        CompareWithSetFile(inv, SetFile("1\t3001\t\tRed\tB\t\r\n"), CompareMode::Need, false).isEmpty());
    EXPECT_EQ(TestMessages::Shown(), QStringList({"You need to import your inventory of parts first"}));
    TestMessages::Clear();
    inv.rows.AddInventoryRow("9999", "Other", "Red", "1", "", "");
    EXPECT_TRUE(
        CompareWithSetFile(inv, SetFile("1\t3001\t\tRed\tB\t\r\n"), CompareMode::Have, false).isEmpty());
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
}

TEST_F(CompareTest, RawInvSetFileWithRenamedColours) {
    inv.rows.AddInventoryRow("3020", "Plate 2 x 4", "OldGray", "1", "", "");
    // The raw file says "Gray"; reading it through the readers renames it like the inventory's rows.
    const QStringList need = CompareWithSetFile(inv, Fixture("6399-1.inv"), CompareMode::Need, false);
    EXPECT_EQ(need, QStringList({"2\t3001\t\tRed\tBrick 2 x 4\t", "5\t3622\t\tBlack\tBrick 1 x 3\t"}));
}

TEST_F(CompareTest, BadQuantitiesCountAsZeroWithOneWarning) {
    inv.rows.AddInventoryRow("3001", "B", "Red", "x", "", "");
    const QStringList need = CompareWithSetFile(
        inv, SetFile("2\t3001\t\tRed\tB\t\r\n1.5\t3001\t\tRed\tB\t\r\n"), CompareMode::Need, false);
    EXPECT_EQ(need, QStringList({"2\t3001\t\tRed\tB\t"}));
    // One from the inventory, one from the reader and none twice for the same file line.
    EXPECT_EQ(TestMessages::Shown().size(), 3);
    const QString set = PathIn(dir, "set.prn");
    const QString tail = QStringLiteral(": the quantity \"%1\" is not a whole number; it counts as 0.");
    EXPECT_EQ(TestMessages::Shown(),
              QStringList({"Inventory, row 1" + tail.arg("x"), set + ", line 6" + tail.arg("1.5"),
                           set + ", row 2" + tail.arg("1.5")}));
}

TEST_F(CompareTest, SavedResultReopensAsPrn) {
    inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Red", "1", "", "");
    const QStringList need =
        CompareWithSetFile(inv, SetFile("5\t3001\t\tRed\tBrick 2 x 4\t\r\n"), CompareMode::Need, false);
    const QString path = CompareResultPath(PathIn(dir, "missing"));
    EXPECT_TRUE(path.endsWith(u"missing.prn"));
    ASSERT_EQ(WriteCompareResult(path, need.join(QStringLiteral("\r\n"))), QString());
    TestInventory back;
    back.Read(ReadPrnFile, path);
    ASSERT_EQ(back.rows.InventoryRowCount(), 1);
    EXPECT_EQ(back.Row(0), QStringList({"4", "3001", "", "Red", "Brick 2 x 4", ""}));
}

} // namespace
