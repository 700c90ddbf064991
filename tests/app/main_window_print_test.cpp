#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <variant>

#include "inventory_window.h"
#include "print/report/preview_form.h"

namespace {

// The texts of the first page in the preview that the next print opens.
QStringList PreviewTexts(InventoryWindow& w, const std::function<void()>& print) {
    QStringList texts;
    InventoryWindow::WhenShown([&] {
        auto* preview = qobject_cast<PreviewForm*>(QApplication::activeModalWidget());
        if (!preview) return;
        for (const RpPrintCommand& command : w.window->Report().prn.Pages()->Page(1)->Commands())
            if (const auto* text = std::get_if<RpText>(&command)) texts << text->Text;
        preview->close();
    });
    print();
    QApplication::processEvents();
    return texts;
}

} // namespace

TEST(MainWindowPrint, CtrlPAndThePrintButtonShowTheInventoryAsTheListShowsIt) {
    InventoryWindow w;
    EXPECT_TRUE(PreviewTexts(w, [&] { w.window->BitBtn9->click(); }).isEmpty()) << "no rows, no report";

    w.Add("3020", "Red", "2", "B1", "spare");
    w.Add("3001", "Blue", "5");
    w.window->Edit1->setText("My Set");
    w.window->SetSetInformation(SetField::Year, "1999");
    w.window->legolist->setFocus();
    const QStringList texts =
        PreviewTexts(w, [&] { QTest::keyClick(w.window->legolist, Qt::Key_P, Qt::ControlModifier); });
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts.mid(0, 6),
              QStringList({"Quantity", "Ldraw #", "Bag (if any)", "Color", "Description", "Notes"}));
    // An empty cell of a wrapped column takes no line.
    EXPECT_EQ(texts.mid(6), QStringList({"2", "3020", "B1", "Red", "Plate 2 x 4", "spare", "5", "3001", "",
                                         "Blue", "Brick 2 x 4", "My Set", texts.last()}));
    EXPECT_TRUE(texts.last().startsWith("Theme:  Year: 1999 Pcs: "));
    EXPECT_TRUE(texts.last().endsWith(" Element Count: " + w.window->CountText()));
}
