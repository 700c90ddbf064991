#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/inventory_test_support.h"
#include "app/inventory_window.h"
#include "ui/kit/make_named.h"

namespace {

void ClickRow(RichListView* list, int row) {
    const QRect cell = list->CellRect(row, ColPartNumber);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
}

// Picks a master part, then in the add-part window the colour, quantity, bag and notes, and presses OK.
void AddThroughWindow(InventoryWindow& w, int masterRow, const QString& colour, const QString& quantity,
                      const QString& bag, const QString& notes) {
    FindNamed<RichListView>(*w.window, "legolist")->SelectItemAt(masterRow);
    EXPECT_TRUE(w.PressAdd([&](AddPartDialog& dialog) {
        dialog.ComboBox1->setCurrentText(colour);
        dialog.Edit2->setText(quantity);
        dialog.Edit1->setText(bag);
        dialog.Memo1->setPlainText(notes);
        dialog.BitBtn2->click();
    }));
}

} // namespace

TEST(InventoryRows, AddPartFlowFillsTheSevenCellsCountAndPanel) {
    InventoryWindow w;
    EXPECT_FALSE(w.window->Access().Inventory().Modified());
    AddThroughWindow(w, 0, "Red", "3", "12", "box 7\nsecond line\tend");
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 1);
    EXPECT_EQ(w.Row(0),
              (QStringList{"3001Red", "3", "3001", "12", "Red", "Brick 2 x 4", "box 7 second line end"}));
    EXPECT_TRUE(FindNamed<RichListView>(*w.window, "invlist")->isColumnHidden(ColKey));
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "3");
    EXPECT_TRUE(w.window->Access().Inventory().Modified());
    // The new row is selected and shown in the edit panel.
    EXPECT_EQ(FindNamed<RichListView>(*w.window, "invlist")->SelectedRow(), 0);
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "PN")->text(), "3001");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "COL")->text(), "Red");
    EXPECT_EQ(FindNamed<QLineEdit>(*w.window, "Edit2")->text(), "3");

    // An older colour name is stored under its new name; an empty quantity leaves the count.
    AddThroughWindow(w, 1, "Gray", "", "", "");
    EXPECT_EQ(w.Row(1), (QStringList{"3020OldGray", "", "3020", "", "OldGray", "Plate 2 x 4", ""}));
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "3");
    EXPECT_EQ(FindNamed<RichListView>(*w.window, "invlist")->SelectedRow(), 1);

    // "&" and markup in a description are shown as they are.
    AddThroughWindow(w, 2, "Blue", "1", "", "");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColDescription, 2), "Brick & Tile <b>");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "DES")->text(), "Brick & Tile <b>");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "DES")->textFormat(), Qt::PlainText);
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "4");
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
}

TEST(InventoryRows, EnterIsOkOnlyWhenTheBoxIsChecked) {
    InventoryWindow w;
    FindNamed<RichListView>(*w.window, "legolist")->SelectItemAt(0);
    bool stillOpen = false;
    EXPECT_TRUE(w.PressAdd([&](AddPartDialog& dialog) {
        QTest::keyClick(dialog.Edit2, Qt::Key_Return);
        stillOpen = dialog.isVisible();
        dialog.BitBtn1->click();
    }));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 0);
    EXPECT_FALSE(w.window->Access().Inventory().Modified());

    // Checked while the window is up: showing it restores the stored state of the box.
    EXPECT_TRUE(w.PressAdd([](AddPartDialog& dialog) {
        dialog.CheckBox1->setChecked(true);
        dialog.ComboBox1->setCurrentText("Black");
        QTest::keyClick(dialog.Edit2, Qt::Key_Return);
    }));
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 1);
    EXPECT_EQ(w.Row(0)[ColKey], "3001Black");
    EXPECT_EQ(w.Row(0)[ColQuantity], "1");
    EXPECT_TRUE(w.window->Access().Inventory().Modified());
}

TEST(InventoryRows, UndefinedPartAndCancelRestoreTheMasterMode) {
    InventoryWindow w;
    // Cancelled undefined window: nothing added, and the next Add uses the master part again.
    FindNamed<RichListView>(*w.window, "legolist")->setFocus();
    EXPECT_TRUE(AnswerWindow<AddPartDialog>(
        [&] {
            QTest::keyClick(FindNamed<RichListView>(*w.window, "legolist"), Qt::Key_U, Qt::ControlModifier);
        },
        [](AddPartDialog& dialog) {
            EXPECT_TRUE(dialog.UndefinedMode());
            EXPECT_TRUE(dialog.Edit3->isVisible());
            EXPECT_FALSE(dialog.PN->isVisible());
            dialog.Edit3->setText("x99");
            dialog.BitBtn1->click();
        }));
    EXPECT_FALSE(w.addPart->UndefinedMode());
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 0);
    AddThroughWindow(w, 1, "Blue", "2", "", "");
    EXPECT_EQ(w.Row(0)[ColPartNumber], "3020");

    EXPECT_TRUE(AnswerWindow<AddPartDialog>([&] { w.window->AddUndefinedClick(); },
                                            [](AddPartDialog& dialog) {
                                                dialog.Edit3->setText("x99");
                                                dialog.Edit4->setText("Custom\tpart");
                                                dialog.ComboBox1->setCurrentText("NoSuchColour");
                                                dialog.Edit2->setText("4");
                                                dialog.BitBtn2->click();
                                            }));
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 2);
    EXPECT_EQ(w.Row(1), (QStringList{"x99NoSuchColour", "4", "x99", "", "NoSuchColour", "Custom part", ""}));
    EXPECT_FALSE(w.addPart->UndefinedMode());
    EXPECT_FALSE(w.addPart->Edit3->isVisibleTo(w.addPart));
    EXPECT_TRUE(w.addPart->PN->isVisibleTo(w.addPart));
    // Unknown colours paint the Bag cell white.
    FindNamed<RichListView>(*w.window, "invlist")->clearSelection();
    EXPECT_EQ(w.PaintedColour(1, ColBag), QColor(Qt::white));
}

TEST(InventoryRows, BagCellIsPaintedInThePartsColourUnlessSelected) {
    InventoryWindow w;
    w.Add("3001", "Red", "1", "7");
    w.Add("3001", "Blue", "1", "8");
    RichListView& list = *FindNamed<RichListView>(*w.window, "invlist");
    list.clearSelection();
    EXPECT_EQ(w.PaintedColour(0, ColBag), QColor(255, 0, 0));
    EXPECT_EQ(w.PaintedColour(1, ColBag), QColor(0x1E, 0x5A, 0xA8));
    EXPECT_EQ(w.PaintedColour(0, ColColor), list.palette().color(QPalette::Base));
    // The Bag text stays readable: white ink on the dark blue.
    const QImage bag = list.viewport()->grab(list.CellRect(1, ColBag)).toImage();
    int white = 0;
    for (int y = 0; y < bag.height(); ++y)
        for (int x = 0; x < bag.width(); ++x)
            white += bag.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_GT(white, 0);
    // A selected row shows the selection colours in every cell, the Bag cell too.
    list.SelectItemAt(0);
    EXPECT_EQ(w.PaintedColour(0, ColBag), list.SelectionColor);
    EXPECT_EQ(w.PaintedColour(0, ColColor), list.SelectionColor);
    EXPECT_EQ(w.PaintedColour(1, ColBag), QColor(0x1E, 0x5A, 0xA8));
}

TEST(InventoryRows, PanelWritesBackOnlyWhatTheUserTypes) {
    InventoryWindow w;
    w.Add("3001", "Red", "3", "1", "first");
    w.Add("3020", "Blue", "2", "2", "second");
    w.window->Access().Inventory().SetModified(false);
    ClickRow(FindNamed<RichListView>(*w.window, "invlist"), 0);
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "PN")->text(), "3001");
    EXPECT_EQ(FindNamed<QPlainTextEdit>(*w.window, "Memo1")->toPlainText(), "first");
    // Showing a row changed nothing in the rows.
    EXPECT_EQ(w.Row(1)[ColNotes], "second");
    EXPECT_FALSE(w.window->Access().Inventory().Modified());

    QTest::keyClick(FindNamed<QLineEdit>(*w.window, "Edit2"), Qt::Key_End);
    QTest::keyClicks(FindNamed<QLineEdit>(*w.window, "Edit2"), "5x");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColQuantity, 0), "35");
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "37");
    EXPECT_TRUE(w.window->Access().Inventory().Modified());
    QTest::keyClicks(FindNamed<QLineEdit>(*w.window, "Edit3"), "b");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColBag, 0), "1b");
    FindNamed<QPlainTextEdit>(*w.window, "Memo1")->moveCursor(QTextCursor::End);
    QTest::keyClick(FindNamed<QPlainTextEdit>(*w.window, "Memo1"), Qt::Key_Return);
    QTest::keyClicks(FindNamed<QPlainTextEdit>(*w.window, "Memo1"), "x");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColNotes, 0), "first x");

    // Another row fills the panel without touching either row.
    ClickRow(FindNamed<RichListView>(*w.window, "invlist"), 1);
    EXPECT_EQ(FindNamed<QLineEdit>(*w.window, "Edit2")->text(), "2");
    EXPECT_EQ(w.Row(0), (QStringList{"3001Red", "35", "3001", "1b", "Red", "Brick 2 x 4", "first x"}));
    EXPECT_EQ(w.Row(1), (QStringList{"3020Blue", "2", "3020", "2", "Blue", "Plate 2 x 4", "second"}));
    // The arrow keys move the panel along.
    QTest::keyClick(FindNamed<RichListView>(*w.window, "invlist"), Qt::Key_Up);
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "PN")->text(), "3001");

    // Without a selected row, typing changes no row.
    FindNamed<RichListView>(*w.window, "invlist")->clearSelection();
    QTest::keyClicks(FindNamed<QPlainTextEdit>(*w.window, "Memo1"), "zz");
    QTest::keyClicks(FindNamed<QLineEdit>(*w.window, "Edit2"), "9");
    EXPECT_EQ(w.Row(0)[ColNotes], "first x");
    EXPECT_EQ(w.Row(1)[ColNotes], "second");
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "37");
}

// The panel shows the row its typing goes to, whatever moved the selection: a row selected by Open or by
// Find must not take the texts the panel still held from the row before.
TEST(InventoryRows, PanelFollowsRowsSelectedByOpenAndFind) {
    InventoryWindow w;
    w.Add("3001", "Red", "3", "1", "first");
    ClickRow(FindNamed<RichListView>(*w.window, "invlist"), 0);
    ASSERT_EQ(FindNamed<QLineEdit>(*w.window, "Edit2")->text(), "3");

    WriteFileBytes(w.dir / "more.tsv",
                   "Quantity\tPart\tColor\tDescription\tNotes\r\n4\t3020\tBlue\tPlate\topened\r\n");
    w.prompts.open = [&](const FileChoice&, bool) { return QStringList{PathIn(w.dir, "more.tsv")}; };
    FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
    ASSERT_EQ(FindNamed<RichListView>(*w.window, "invlist")->SelectedRow(), 1);
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "PN")->text(), "3020");
    EXPECT_EQ(FindNamed<QLineEdit>(*w.window, "Edit2")->text(), "4");
    EXPECT_EQ(FindNamed<QPlainTextEdit>(*w.window, "Memo1")->toPlainText(), "opened");
    QTest::keyClick(FindNamed<QLineEdit>(*w.window, "Edit2"), Qt::Key_End);
    QTest::keyClicks(FindNamed<QLineEdit>(*w.window, "Edit2"), "0");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColQuantity, 1), "40");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColQuantity, 0), "3");
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "43");

    ClickRow(FindNamed<RichListView>(*w.window, "invlist"), 0);
    FindNamed<QLineEdit>(*w.window, "edit5")->setText("3020");
    FindNamed<QPushButton>(*w.window, "BitBtn7")->click();
    ASSERT_EQ(FindNamed<RichListView>(*w.window, "invlist")->SelectedRow(), 1);
    EXPECT_EQ(FindNamed<QPlainTextEdit>(*w.window, "Memo1")->toPlainText(), "opened");
    FindNamed<QPlainTextEdit>(*w.window, "Memo1")->moveCursor(QTextCursor::End);
    QTest::keyClicks(FindNamed<QPlainTextEdit>(*w.window, "Memo1"), "!");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColNotes, 1), "opened!");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColNotes, 0), "first");

    // A sort moves the row; the panel's typing follows it.
    FindNamed<RichListView>(*w.window, "invlist")->ClickColumn(ColPartNumber);
    FindNamed<RichListView>(*w.window, "invlist")->ClickColumn(ColPartNumber);
    ASSERT_EQ(w.window->Access().Inventory().InventoryCell(ColPartNumber, 0), "3020");
    QTest::keyClicks(FindNamed<QLineEdit>(*w.window, "Edit3"), "b");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColBag, 0), "b");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColBag, 1), "1");
}

TEST(InventoryRows, DeleteAsksRemovesAndRecounts) {
    InventoryWindow w;
    w.window->BitBtn5Click(); // empty list: no question
    w.Add("3001", "Red", "3", "1");
    w.Add("3020", "Blue", "2", "7");
    w.window->Access().Inventory().SetModified(false);
    ClickRow(FindNamed<RichListView>(*w.window, "invlist"), 0);
    TestMessages::QueueAnswers({false});
    w.window->BitBtn5Click();
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{"Do you really want to delete 3001 1 Red\n\rfrom your list?"});
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 2);
    EXPECT_FALSE(w.window->Access().Inventory().Modified());

    TestMessages::QueueAnswers({true});
    w.window->BitBtn5Click();
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 1);
    EXPECT_EQ(w.Row(0)[ColKey], "3020Blue");
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "2");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "PN")->text(), "");
    EXPECT_EQ(FindNamed<QLineEdit>(*w.window, "Edit2")->text(), "");
    EXPECT_TRUE(w.window->Access().Inventory().Modified());
    // Nothing is selected any more: Delete does nothing.
    w.window->BitBtn5Click();
    EXPECT_EQ(TestMessages::Shown().size(), 2);
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 1);
}

// What stays of Combine Duplicates in the window (the merge and its sort are the model's): the warning is
// shown and the panel holds no row.
TEST(InventoryRows, CombineShowsItsWarningAndEmptiesThePanel) {
    InventoryWindow w;
    w.Add("3003", "Black", "x1");
    w.Add("3003", "Black", "6");
    ClickRow(FindNamed<RichListView>(*w.window, "invlist"), 0);
    QLabel* partNumber = FindNamed<QLabel>(*w.window, "PN");
    ASSERT_EQ(partNumber->text(), "3003");
    w.window->CombineDuplicatesClick();
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 1);
    EXPECT_EQ(partNumber->text(), "");
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{"Row 1 (3003 Black): the quantity \"x1\" is not a whole number; it counts as 0."});
}

// A description longer than the panel's label shows its first whole lines, the last one cut short with an
// ellipsis; no line is sliced at the label's top or bottom edge.
TEST(InventoryRows, PanelShowsALongDescriptionInWholeLines) {
    InventoryWindow w;
    const QString description = QStringLiteral("Minifig, Torso with Medium Dark Flesh Arms and Black Hands, "
                                               "Pattern of Jacket with Gold Buttons over "
                                               "Dark Red Vest and White Shirt with Collar");
    w.window->resize(1000, 800);
    w.window->Access().Inventory().AddInventoryRow("973pb", description, "Red", "1", {}, {});
    w.window->Access().SelectLastRow();
    auto* label = FindNamed<QLabel>(*w.window, "DES");
    const QFontMetrics metrics = label->fontMetrics();
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 2);
    EXPECT_LE(lines.size() * metrics.lineSpacing() - metrics.leading(), label->contentsRect().height());
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), label->contentsRect().width()) << line.toStdString();
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026)));
    QString shown = lines.join(QLatin1Char(' '));
    shown.chop(1);
    EXPECT_TRUE(description.startsWith(shown.trimmed())) << shown.toStdString();

    // Drawn, the text keeps off the edge rows where a line cut by the label would show.
    const QImage image = label->grab().toImage();
    const QRgb paper = label->palette().color(QPalette::Window).rgb();
    for (int y : {0, image.height() - 1})
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(image.pixel(x, y), paper) << x << " " << y;
}
