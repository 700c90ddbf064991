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
    const auto show = [&](const QString& description, const std::function<void(AddPartDialog&)>& look) {
        EXPECT_TRUE(AnswerWindow<AddPartDialog>([&] { dialog.ShowPartDialog("3001", description); },
                                                [&](AddPartDialog& shown) {
                                                    look(shown);
                                                    shown.reject();
                                                }));
    };
    show("Brick 2 x 4", [&](AddPartDialog& shown) { shortHeight = shown.height(); });
    show(longText, [&](AddPartDialog& shown) {
        EXPECT_GE(shown.DES->height(), shown.DES->heightForWidth(shown.DES->width()));
        EXPECT_LE(shown.DES->geometry().bottom(), shown.Edit2->y());
        EXPECT_LE(shown.BitBtn2->geometry().bottom(), shown.height());
        EXPECT_GT(shown.height(), shortHeight);
    });
    show("Brick 2 x 4", [&](AddPartDialog& shown) { EXPECT_EQ(shown.height(), shortHeight); });
}

TEST(AddPartDialog, QuantityAndBagTakeDigitsOnly) {
    InventoryWindow w;
    FindNamed<RichListView>(*w.window, "legolist")->SelectItemAt(0);
    EXPECT_TRUE(w.PressAdd([](AddPartDialog& dialog) {
        // Shown with the quantity selected, so typing replaces it.
        QTest::keyClicks(dialog.Edit2, "1a2");
        QTest::keyClicks(dialog.Edit1, "b7");
        dialog.BitBtn2->click();
    }));
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
    EXPECT_TRUE(w.PressAdd([](AddPartDialog& dialog) {
        dialog.ComboBox1->setCurrentText("Red");
        dialog.BitBtn2->click();
    }));
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 1);
    EXPECT_EQ(w.Row(0)[ColKey], "3020Red");
    // Without the table every Bag cell is white.
    FindNamed<RichListView>(*w.window, "invlist")->clearSelection();
    EXPECT_EQ(w.PaintedColour(0, ColBag), QColor(Qt::white));
}

TEST(AddPartDialog, AddWithoutASelectedPartShowsNothing) {
    InventoryWindow w;
    EXPECT_FALSE(w.PressAdd([](AddPartDialog& dialog) { dialog.reject(); }));
    // A filtered list with a selection wins over the master list.
    FindNamed<RichListView>(*w.window, "legolist")->SelectItemAt(0);
    FindNamed<QLineEdit>(*w.window, "Edit6")->setText("plate");
    w.window->Master().FilterMasterList();
    FindNamed<RichListView>(*w.window, "legolist2")->SelectItemAt(0);
    EXPECT_TRUE(w.PressAdd([](AddPartDialog& dialog) { dialog.BitBtn2->click(); }));
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 1);
    EXPECT_EQ(w.Row(0)[ColPartNumber], "3020");
}
