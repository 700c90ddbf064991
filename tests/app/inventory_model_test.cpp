#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "app/inventory_files.h"
#include "inventory_test_support.h"
#include "platform/ui.h"

namespace {

class InventoryModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestMessages::Install();
        TestMessages::Clear();
    }
    TestInventory inv;
    QAbstractItemModelTester tester{&inv.rows, QAbstractItemModelTester::FailureReportingMode::Fatal};
    TempDir dir;
};

TEST_F(InventoryModelTest, RowsRenamesCountAndSetFieldsLiveInTheModel) {
    QSignalSpy counts(&inv.rows, &InventoryModel::CountChanged);
    QSignalSpy names(&inv.rows, &InventoryModel::SetNameChanged);
    inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Gray", "3", "1", "n");
    inv.rows.AddInventoryRow("3020", "Plate 2 x 4", "FlatSilver", "x", "", "");
    EXPECT_EQ(inv.rows.InventoryRow(0),
              (InventoryCells{"3001OldGray", "3", "3001", "1", "OldGray", "Brick 2 x 4", "n"}));
    EXPECT_EQ(inv.rows.InventoryCell(ColKey, 1), u"3020PearlLtGray");
    EXPECT_EQ(inv.rows.InventoryCell(InventoryColumnCount, 0), QString());
    EXPECT_EQ(inv.rows.columnCount(), InventoryColumnCount);
    EXPECT_EQ(inv.rows.CountText(), u"3");
    EXPECT_EQ(counts.size(), 2);

    inv.rows.SetSetName("Town");
    inv.rows.SetSetName("Town");
    EXPECT_EQ(names.size(), 1);
    inv.rows.SetSetInformation(SetField::Year, "1990");
    EXPECT_EQ(inv.rows.SetInformation(SetField::Year), u"1990");

    inv.rows.ClearInventory();
    EXPECT_EQ(inv.rows.InventoryRowCount(), 0);
    EXPECT_EQ(counts.last().first().toString(), u"0");
}

// Each file goes in as one insertion, however many rows it has, and no reset disturbs the rows before it.
TEST_F(InventoryModelTest, OpeningPutsEachFileInWithOneInsertion) {
    QSignalSpy inserts(&inv.rows, &QAbstractItemModel::rowsInserted);
    QSignalSpy resets(&inv.rows, &QAbstractItemModel::modelReset);
    InventoryFiles files(inv);
    files.OpenFiles({Fixture("roundtrip.inv"), Fixture("myparts.tsv"), Fixture("roundtrip.prn")});
    ASSERT_GT(inv.rows.InventoryRowCount(), 5);
    ASSERT_EQ(inserts.size(), 3);
    EXPECT_EQ(inserts[0][1].toInt(), 0);
    EXPECT_EQ(inserts[1][1].toInt(), 3);
    EXPECT_EQ(inserts[2][2].toInt(), inv.rows.InventoryRowCount() - 1);
    EXPECT_EQ(resets.size(), 0);

    // Multi-Open of one set: one insertion per copy.
    inserts.clear();
    files.MultiOpen(Fixture("roundtrip.prn"), 4);
    EXPECT_EQ(inserts.size(), 4);
}

} // namespace
