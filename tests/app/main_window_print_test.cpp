#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <variant>

#include "inventory_window.h"
#include "print/report/preview_form.h"
#include "support/pdf_peer.h"
#include "ui/kit/make_named.h"

namespace {

// The texts of the first page in the preview that the next print opens.
QStringList PreviewTexts(InventoryWindow& w, const std::function<void()>& print,
                         const std::function<void(PreviewForm&)>& inPreview = {}) {
    QStringList texts;
    InventoryWindow::WhenShown([&] {
        auto* preview = qobject_cast<PreviewForm*>(QApplication::activeModalWidget());
        if (!preview) return;
        for (const RpPrintCommand& command : w.window->Report().prn.Pages()->Page(1)->Commands())
            if (const auto* text = std::get_if<RpText>(&command)) texts << text->Text;
        if (inPreview) inPreview(*preview);
        preview->close();
    });
    print();
    QApplication::processEvents();
    return texts;
}

} // namespace

TEST(MainWindowPrint, CtrlPAndThePrintButtonShowTheInventoryAsTheListShowsIt) {
    InventoryWindow w;
    EXPECT_EQ(FindNamed<QPushButton>(*w.window, "BitBtn9")->toolTip(), "Print Inventory");
    EXPECT_TRUE(PreviewTexts(w, [&] { FindNamed<QPushButton>(*w.window, "BitBtn9")->click(); }).isEmpty())
        << "no rows, no report";

    w.Add("3020", "Red", "2", "B1", "spare");
    w.Add("3001", "Blue", "5");
    FindNamed<QLineEdit>(*w.window, "Edit1")->setText("My Set");
    w.window->Access().Inventory().SetSetInformation(SetField::Year, "1999");
    FindNamed<RichListView>(*w.window, "legolist")->setFocus();
    const QStringList texts = PreviewTexts(w, [&] {
        QTest::keyClick(FindNamed<RichListView>(*w.window, "legolist"), Qt::Key_P, Qt::ControlModifier);
    });
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts.mid(0, 6),
              QStringList({"Quantity", "Ldraw #", "Bag (if any)", "Color", "Description", "Notes"}));
    // An empty cell of a wrapped column takes no line.
    EXPECT_EQ(texts.mid(6), QStringList({"2", "3020", "B1", "Red", "Plate 2 x 4", "spare", "5", "3001", "",
                                         "Blue", "Brick 2 x 4", "My Set", texts.last()}));
    EXPECT_TRUE(texts.last().startsWith("Theme:  Year: 1999 Pcs: "));
    EXPECT_TRUE(texts.last().endsWith(" Element Count: " + w.window->Access().Inventory().CountText()));
}

TEST(MainWindowPrint, PrintInThePreviewWritesAPdfFileThroughTheSystemPrinterAsTheDialogsFileChoiceDoes) {
    REQUIRE_PDF_PEER();
    InventoryWindow w;
    for (int i = 0; i < 150; ++i)
        w.Add("3001", "Red", QString::number(i + 1));
    const auto file = w.dir / "inventory.pdf";
    // What choosing "Print to File (PDF)" and landscape in the print dialog does to the printer.
    w.window->Report().prn.PrintDialog = [&](PrintDevice& printer, int, int&, int&) {
        printer.QtPrinter()->setOutputFileName(QString::fromStdString(file.string()));
        printer.QtPrinter()->setPageOrientation(QPageLayout::Landscape);
        return true;
    };
    PreviewTexts(
        w, [&] { FindNamed<QPushButton>(*w.window, "BitBtn9")->click(); },
        [](PreviewForm& preview) { preview.PrintBtn->click(); });
    const PdfInfo info = ReadPdfInfo(file);
    EXPECT_EQ(info.Pages, 3);
    EXPECT_NEAR(info.PageSize.width(), 612, 0.5); // the report's portrait letter sheet
    EXPECT_NEAR(info.PageSize.height(), 792, 0.5);
    EXPECT_TRUE(PdfPageText(file, 3).contains("Page 3"));
}
