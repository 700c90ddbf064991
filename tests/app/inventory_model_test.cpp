#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "app/inventory_files.h"
#include "inventory_test_support.h"
#include "platform/ui.h"
#include "ui/list/rich_list_model.h"

namespace {

// A row as the add-part window adds it, with the description the master list holds for the part.
void Add(InventoryModel& rows, const QString& part, const QString& colour, const QString& quantity,
         const QString& bag = {}, const QString& notes = {}) {
    static const QHash<QString, QString> descriptions{
        {"3001", "Brick 2 x 4"}, {"3020", "Plate 2 x 4"}, {"3003", "Brick & Tile <b>"}};
    rows.AddInventoryRow(part, descriptions.value(part), colour, quantity, bag, notes);
}

QStringList Column(const InventoryModel& rows, int column) {
    QStringList cells;
    for (int row = 0; row < rows.InventoryRowCount(); ++row)
        cells << rows.InventoryCell(column, row);
    return cells;
}

class InventoryModelTest : public ::testing::Test {
  protected:
    void SetUp() override { TestMessages::Clear(); }
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

// The count follows every change, however the list makes it: an edit in place, a delete of one row or
// of many.
TEST_F(InventoryModelTest, CountFollowsEditsAndDeletes) {
    Add(inv.rows, "3001", "Red", "3");
    Add(inv.rows, "3020", "Blue", "4");
    Add(inv.rows, "3003", "Black", "5");
    inv.rows.SetCellText(ColQuantity, 1, "10");
    EXPECT_EQ(inv.rows.CountText(), "18");
    inv.rows.DeleteRow(0);
    EXPECT_EQ(inv.rows.CountText(), "15");
    Add(inv.rows, "3001", "Red", "2");
    inv.rows.DeleteRows({0, 2});
    EXPECT_EQ(inv.rows.CountText(), "5");
}

TEST_F(InventoryModelTest, ColourRenamesFollowTheTableOnce) {
    const QStringList from{"DkGray", "Brown",  "Gray",       "Silver", "DkPurple", "LtSwampGreen",
                           "Gold",   "LtGray", "FlatSilver", "gray",   "OldGray",  "Red"};
    const QStringList to{"OldDkGray",  "OldBrown",  "OldGray",     "ChromeSilver", "MdLilac", "Lime",
                         "ChromeGold", "ScalaGray", "PearlLtGray", "gray",         "OldGray", "Red"};
    for (int i = 0; i < from.size(); ++i)
        EXPECT_EQ(InventoryModel::RenamedColour(from[i]), to[i]) << from[i].toStdString();
}

// A column click flips the direction of the sort column; another column sorts in the direction last set on
// any list sharing the sign, the master list's too. Quantities sort as text. The rows keep their cells.
TEST_F(InventoryModelTest, ColumnClicksSortByTheSharedDirection) {
    auto shared = std::make_shared<SortState>();
    RichListModel master;
    master.AddColumn("Part Number");
    master.AddColumn("Description");
    master.AppendRows({{"3001", "Brick"}, {"3020", "Plate"}});
    for (ListModel* rows : {static_cast<ListModel*>(&master), static_cast<ListModel*>(&inv.rows)}) {
        rows->ShareSortState(shared);
        rows->SetSortDirection(sdAscending);
    }
    Add(inv.rows, "3020", "Blue", "10", "b1");
    Add(inv.rows, "3001", "Red", "9", "b2");
    Add(inv.rows, "3003", "Black", "2", "b3");
    const QPersistentModelIndex nine = inv.rows.index(1, ColBag);

    inv.rows.ClickColumn(ColQuantity);
    EXPECT_EQ(Column(inv.rows, ColQuantity), (QStringList{"10", "2", "9"}));
    EXPECT_EQ(Column(inv.rows, ColBag), (QStringList{"b1", "b3", "b2"}));
    EXPECT_EQ(nine.row(), 2);
    inv.rows.ClickColumn(ColQuantity);
    EXPECT_EQ(inv.rows.GetSortDirection(), sdDescending);
    EXPECT_EQ(Column(inv.rows, ColQuantity), (QStringList{"9", "2", "10"}));
    EXPECT_EQ(inv.rows.SortColumn(), int(ColQuantity));

    // The master list has set no direction of its own: it sorts descending too.
    master.ClickColumn(0);
    EXPECT_EQ(master.GetCellText(0, 0), "3020");
    EXPECT_EQ(master.GetSortDirection(), sdAscending);
    inv.rows.ClickColumn(ColPartNumber);
    EXPECT_EQ(Column(inv.rows, ColPartNumber), (QStringList{"3020", "3003", "3001"}));
    EXPECT_EQ(inv.rows.InventoryRow(2),
              (InventoryCells{"3001Red", "9", "3001", "b2", "Red", "Brick 2 x 4", ""}));

    // Deletes of one and of many rows, as the Delete command and the list's own delete make them.
    inv.rows.DeleteRow(1);
    inv.rows.DeleteRows({1, 0, 7});
    EXPECT_EQ(inv.rows.InventoryRowCount(), 0);
}

TEST_F(InventoryModelTest, CombineMergesEqualKeysIntoTheUpperRow) {
    Add(inv.rows, "3001", "Red", "3", "1", "upper");
    Add(inv.rows, "3020", "Blue", "1");
    Add(inv.rows, "3001", "Red", "2", "9", "lower");
    Add(inv.rows, "3001", "red", "4");
    Add(inv.rows, "3001", "Red", "", "", "empty");
    Add(inv.rows, "3003", "Black", "x1");
    Add(inv.rows, "3003", "Black", "6");
    inv.rows.UpdateCount();
    EXPECT_EQ(inv.rows.CountText(), "16");
    QSignalSpy resets(&inv.rows, &QAbstractItemModel::modelReset);
    QuantityWarning warning = inv.rows.CombineDuplicates();
    EXPECT_EQ(resets.size(), 1);
    ASSERT_EQ(inv.rows.InventoryRowCount(), 4);
    // Sorted by description (none was chosen), equal descriptions by key descending.
    EXPECT_EQ(inv.rows.InventoryRow(0),
              (InventoryCells{"3003Black", "6", "3003", "", "Black", "Brick & Tile <b>", ""}));
    EXPECT_EQ(inv.rows.InventoryRow(1),
              (InventoryCells{"3001red", "4", "3001", "", "red", "Brick 2 x 4", ""}));
    EXPECT_EQ(inv.rows.InventoryRow(2),
              (InventoryCells{"3001Red", "5", "3001", "1", "Red", "Brick 2 x 4", "upper"}));
    EXPECT_EQ(inv.rows.InventoryCell(ColKey, 3), "3020Blue");
    EXPECT_EQ(inv.rows.CountText(), "16");
    EXPECT_EQ(warning.Text(),
              "Row 6 (3003 Black): the quantity \"x1\" is not a whole number; it counts as 0.");

    // The chosen sort column and direction come back.
    inv.rows.ClickColumn(ColQuantity);
    inv.rows.ClickColumn(ColQuantity);
    EXPECT_EQ(inv.rows.GetSortDirection(), sdDescending);
    Add(inv.rows, "3020", "Blue", "10");
    EXPECT_EQ(inv.rows.CombineDuplicates().Text(), "");
    EXPECT_EQ(inv.rows.GetSortDirection(), sdDescending);
    EXPECT_EQ(inv.rows.SortColumn(), int(ColQuantity));
    EXPECT_EQ(Column(inv.rows, ColQuantity), (QStringList{"6", "5", "4", "11"}));
}

// The Bag cell takes the colour the row names, white where the table lacks it, and its text stays
// readable; no other cell changes.
TEST_F(InventoryModelTest, BagCellTakesTheRowsColour) {
    Add(inv.rows, "3001", "Blue", "1");
    Add(inv.rows, "3001", "Yellow", "1");
    Add(inv.rows, "3001", "Mauve", "1");
    const auto bag = [&](int row) {
        CellStyle style{Qt::green, {}, Qt::green};
        inv.rows.StyleCell(row, ColBag - 1, style);
        return std::pair{style.Brush, style.FontColor};
    };
    EXPECT_EQ(bag(0), std::pair(QColor(Qt::white), QColor(Qt::black)));
    inv.rows.UseColours(&inv.colours);
    EXPECT_EQ(bag(0), std::pair(QColor(0x1E, 0x5A, 0xA8), QColor(Qt::white)));
    EXPECT_EQ(bag(1), std::pair(QColor(0xFA, 0xC8, 0x0A), QColor(Qt::black)));
    EXPECT_EQ(bag(2), std::pair(QColor(Qt::white), QColor(Qt::black)));
    CellStyle colour{Qt::green, {}, Qt::green};
    inv.rows.StyleCell(0, ColColor - 1, colour);
    EXPECT_EQ(colour.Brush, QColor(Qt::green));
}

} // namespace
