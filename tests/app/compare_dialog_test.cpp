#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/compare_dialog.h"
#include "app/own_formats.h"
#include "inventory_test_support.h"

namespace {

class CompareDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestMessages::Clear();
        inv.prompts.open = [this](const FileChoice& choice, bool) {
            filters << choice.filter;
            return setPath.isEmpty() ? QStringList() : QStringList{setPath};
        };
    }
    void SetFile(const std::string& rows) {
        WriteFileBytes(dir / "set.prn", "#Set:\tx\t\t\r\n#Theme:\r\n\t\t\t\r\nhead\r\n" + rows);
        setPath = PathIn(dir, "set.prn");
    }
    QStringList Result() const { return dialog.Memo1->toPlainText().split(u'\n', Qt::SkipEmptyParts); }

    TestInventory inv;
    TempDir dir;
    CompareDialog dialog{inv};
    QString setPath;
    QStringList filters;
};

TEST_F(CompareDialogTest, HaveAndNeedFillTheMemo) {
    inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Red", "3", "", "");
    inv.rows.AddInventoryRow("3020", "Plate 2 x 4", "Black", "1", "", "");
    SetFile("5\t3001\t\tRed\tBrick 2 x 4\t\r\n2\t3020\t\tBlack\tPlate\t\r\n1\t3020\t\tBlack\tPlate\t\r\n");
    EXPECT_EQ(dialog.Label1->text(), "You ??? the following Parts:");

    dialog.BitBtn2->click();
    EXPECT_EQ(dialog.Label1->text(), "You have the following Parts:");
    EXPECT_EQ(Result(), QStringList({"3\t3001\t\tRed\tBrick 2 x 4\t", "1\t3020\t\tBlack\tPlate\t"}));

    dialog.BitBtn1->click();
    EXPECT_EQ(dialog.Label1->text(), "You need the following Parts:");
    EXPECT_EQ(Result(), QStringList({"2\t3001\t\tRed\tBrick 2 x 4\t", "2\t3020\t\tBlack\tPlate\t"}));
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].contains(u"*.prn") && filters[0].contains(u"*.inv"));
}

TEST_F(CompareDialogTest, ColourDoesNotMatterAndFullCover) {
    inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Red", "2", "", "");
    inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Blue", "2", "", "");
    SetFile("4\t3001\t\tYellow\tBrick 2 x 4\t\r\n");

    dialog.BitBtn1->click();
    EXPECT_EQ(Result(), QStringList({"4\t3001\t\tYellow\tBrick 2 x 4\t"}));
    EXPECT_TRUE(TestMessages::Shown().isEmpty());

    dialog.CheckBox1->setChecked(true);
    dialog.BitBtn2->click();
    EXPECT_EQ(Result(), QStringList({"4\t3001\t\tYellow\tBrick 2 x 4\t"}));
    // Every part covered: the user is told and the earlier result is gone.
    dialog.BitBtn1->click();
    EXPECT_TRUE(dialog.Memo1->toPlainText().isEmpty());
    EXPECT_EQ(TestMessages::Shown(), QStringList({"You have all the parts needed.  Start Building!"}));
}

TEST_F(CompareDialogTest, NothingToCompareOrCancelled) {
    SetFile("1\t3001\t\tRed\tB\t\r\n");
    dialog.Memo1->setPlainText(QStringLiteral("earlier"));
    dialog.BitBtn2->click();
    EXPECT_EQ(TestMessages::Shown(), QStringList({"You need to import your inventory of parts first"}));
    EXPECT_TRUE(filters.isEmpty());
    EXPECT_EQ(dialog.Label1->text(), "You ??? the following Parts:");

    inv.rows.AddInventoryRow("3001", "B", "Red", "1", "", "");
    setPath.clear();
    dialog.BitBtn1->click();
    EXPECT_EQ(dialog.Memo1->toPlainText(), "earlier");
    EXPECT_EQ(TestMessages::Shown().size(), 1);
}

TEST_F(CompareDialogTest, UnreadableSetFileIsReported) {
    inv.rows.AddInventoryRow("3001", "B", "Red", "1", "", "");
    setPath = PathIn(dir, "gone.prn");
    dialog.Memo1->setPlainText(QStringLiteral("earlier"));
    dialog.BitBtn1->click();
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_TRUE(TestMessages::Shown()[0].contains(u"gone.prn"));
    EXPECT_TRUE(dialog.Memo1->toPlainText().isEmpty());
}

TEST_F(CompareDialogTest, RawInvSetFile) {
    inv.rows.AddInventoryRow("3020", "Plate 2 x 4", "OldGray", "4", "", "");
    inv.rows.AddInventoryRow("3622", "Brick 1 x 3", "Black", "2", "", "");
    setPath = Fixture("6399-1.inv");
    dialog.BitBtn2->click();
    EXPECT_EQ(Result(),
              QStringList({"1\t3020\t\tOldGray\tPlate 2 x 4\t", "2\t3622\t\tBlack\tBrick 1 x 3\t"}));
}

TEST_F(CompareDialogTest, SavedResultReopensAsPrn) {
    inv.rows.AddInventoryRow("3001", "Brick 2 x 4", "Red", "1", "", "");
    SetFile("5\t3001\t\tRed\tBrick 2 x 4\t\r\n3\t3020\t\tBlack\tPlate 2 x 4\t\r\n");
    dialog.BitBtn1->click();
    FileChoice asked;
    inv.prompts.save = [&](const FileChoice& choice, QString&) {
        asked = choice;
        return PathIn(dir, "missing");
    };
    dialog.BitBtn3->click();
    EXPECT_EQ(asked.defaultSuffix, "prn");
    EXPECT_TRUE(TestMessages::Shown().isEmpty());

    TestInventory back;
    back.Read(ReadPrnFile, PathIn(dir, "missing.prn"));
    ASSERT_EQ(back.rows.InventoryRowCount(), 2);
    EXPECT_EQ(back.Row(0), QStringList({"4", "3001", "", "Red", "Brick 2 x 4", ""}));
    EXPECT_EQ(back.Row(1), QStringList({"3", "3020", "", "Black", "Plate 2 x 4", ""}));

    // A folder that does not exist: the failure is reported, not passed over.
    inv.prompts.save = [&](const FileChoice&, QString&) { return PathIn(dir, "no/such/folder/x.prn"); };
    dialog.BitBtn3->click();
    EXPECT_EQ(TestMessages::Shown().size(), 1);
}

} // namespace
