#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/add_part_dialog.h"
#include "app/inventory_window.h"
#include "platform/fs.h"
#include "ui/kit/make_named.h"

namespace {

QRgb PixelOf(const QLabel* label, int x, int y) {
    return label->pixmap().toImage().pixel(x, y) & 0xFFFFFF;
}

} // namespace

TEST(AddPartDialog, SwatchesFollowTheColourTableInOrder) {
    InventoryWindow w;
    AddPartDialog& dialog = *w.addPart;
    // Comment and indented lines are skipped; the rows fill the first swatches.
    const QStringList names{"Black", "Red", "Blue", "OldGray", "TrClear", "Aqua"};
    for (int slot = 0; slot < names.size(); ++slot)
        EXPECT_EQ(dialog.Swatches[size_t(slot)]->toolTip(), names[slot]);
    EXPECT_EQ(dialog.Swatches[0]->objectName(), "Image321");
    EXPECT_EQ(dialog.Swatches[80]->objectName(), "Image3282");
    EXPECT_EQ(dialog.Swatches[111]->objectName(), "Image32113");
    EXPECT_EQ(dialog.Swatches[17]->geometry(), QRect(8 + 22, 8 + 22, 20, 20));
    EXPECT_EQ(PixelOf(dialog.Swatches[1], 5, 5), 0xFF0000u);
    // A transparent colour carries a grey checkerboard.
    EXPECT_EQ(PixelOf(dialog.Swatches[4], 0, 0), 0xAAAAAAu);
    EXPECT_EQ(PixelOf(dialog.Swatches[4], 1, 0), 0xFCFCFCu);
    EXPECT_EQ(PixelOf(dialog.Swatches[4], 1, 1), 0xAAAAAAu);

    // The colour box is sorted and starts empty.
    QStringList items;
    for (int i = 0; i < dialog.ComboBox1->count(); ++i)
        items << dialog.ComboBox1->itemText(i);
    EXPECT_EQ(items, (QStringList{"Aqua", "Black", "Blue", "OldGray", "Red", "TrClear"}));
    EXPECT_EQ(dialog.ComboBox1->currentText(), "");

    // A swatch click names its colour and shows it in the preview; an empty swatch does nothing.
    QTest::mouseClick(dialog.Swatches[1], Qt::LeftButton);
    EXPECT_EQ(dialog.ComboBox1->currentText(), "Red");
    EXPECT_EQ(dialog.Image3281->pixmap().size(), QSize(110, 14));
    EXPECT_EQ(PixelOf(dialog.Image3281, 50, 7), 0xFF0000u);
    QTest::mouseClick(dialog.Swatches[50], Qt::LeftButton);
    EXPECT_EQ(dialog.ComboBox1->currentText(), "Red");
    EXPECT_TRUE(dialog.Swatches[50]->toolTip().isEmpty());
    // Typing a name into the box shows that colour.
    dialog.ComboBox1->setCurrentText("Blue");
    EXPECT_EQ(PixelOf(dialog.Image3281, 0, 0), 0x1E5AA8u);
}

// A long description is shown whole, above the quantity; a short one gives the window back its size.
TEST(AddPartDialog, LongDescriptionIsShownWhole) {
    InventoryWindow w;
    AddPartDialog& dialog = *w.addPart;
    const QString longText =
        QStringLiteral("Minifig, Torso with Arms, Dark Bluish Gray Vest with Pockets, Zipper "
                       "and Radio Pattern / Dark Bluish Gray Arms / Black Hands");
    int shortHeight = 0;
    InventoryWindow::WhenShown([&] {
        shortHeight = dialog.height();
        dialog.reject();
    });
    dialog.ShowPartDialog("3001", "Brick 2 x 4");
    InventoryWindow::WhenShown([&] {
        EXPECT_GE(dialog.DES->height(), dialog.DES->heightForWidth(dialog.DES->width()));
        EXPECT_LE(dialog.DES->geometry().bottom(), dialog.Edit2->y());
        EXPECT_LE(dialog.BitBtn2->geometry().bottom(), dialog.height());
        EXPECT_GT(dialog.height(), shortHeight);
        dialog.reject();
    });
    dialog.ShowPartDialog("3001", longText);
    InventoryWindow::WhenShown([&] {
        EXPECT_EQ(dialog.height(), shortHeight);
        dialog.reject();
    });
    dialog.ShowPartDialog("3001", "Brick 2 x 4");
}

TEST(AddPartDialog, QuantityAndBagTakeDigitsOnly) {
    InventoryWindow w;
    FindNamed<RichListView>(*w.window, "legolist")->SelectItemAt(0);
    InventoryWindow::WhenShown([&] {
        // Shown with the quantity selected, so typing replaces it.
        QTest::keyClicks(w.addPart->Edit2, "1a2");
        QTest::keyClicks(w.addPart->Edit1, "b7");
        w.addPart->BitBtn2->click();
    });
    FindNamed<QPushButton>(*w.window, "BitBtn4")->click();
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 1);
    EXPECT_EQ(w.Row(0)[ColQuantity], "12");
    EXPECT_EQ(w.Row(0)[ColBag], "7");
}

TEST(AddPartDialog, MissingColourTableIsReportedAndTheWindowStillAdds) {
    InventoryWindow w("");
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_TRUE(TestMessages::Shown()[0].contains("colors.txt"));
    EXPECT_TRUE(w.addPart->Swatches[0]->toolTip().isEmpty());
    EXPECT_EQ(w.addPart->ComboBox1->count(), 0);
    FindNamed<RichListView>(*w.window, "legolist")->SelectItemAt(1);
    InventoryWindow::WhenShown([&] {
        w.addPart->ComboBox1->setCurrentText("Red");
        w.addPart->BitBtn2->click();
    });
    FindNamed<QPushButton>(*w.window, "BitBtn4")->click();
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 1);
    EXPECT_EQ(w.Row(0)[ColKey], "3020Red");
    // Without the table every Bag cell is white.
    FindNamed<RichListView>(*w.window, "invlist")->clearSelection();
    EXPECT_EQ(w.PaintedColour(0, ColBag), QColor(Qt::white));
}

TEST(AddPartDialog, AddWithoutASelectedPartShowsNothing) {
    InventoryWindow w;
    bool shown = false;
    InventoryWindow::WhenShown([&] {
        shown = w.addPart->isVisible();
        if (shown) w.addPart->reject();
    });
    FindNamed<QPushButton>(*w.window, "BitBtn4")->click();
    QApplication::processEvents();
    EXPECT_FALSE(shown);
    // A filtered list with a selection wins over the master list.
    FindNamed<RichListView>(*w.window, "legolist")->SelectItemAt(0);
    FindNamed<QLineEdit>(*w.window, "Edit6")->setText("plate");
    w.window->Master().FilterMasterList();
    FindNamed<RichListView>(*w.window, "legolist2")->SelectItemAt(0);
    InventoryWindow::WhenShown([&] { w.addPart->BitBtn2->click(); });
    FindNamed<QPushButton>(*w.window, "BitBtn4")->click();
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 1);
    EXPECT_EQ(w.Row(0)[ColPartNumber], "3020");
}
