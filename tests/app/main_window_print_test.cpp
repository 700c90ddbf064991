#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <variant>

#include "inventory_window.h"
#include "platform/print/printer_device.h"
#include "print/report/preview_form.h"
#include "support/pdf_peer.h"
#include "support/pdf_printer.h"
#include "ui/kit/make_named.h"

namespace {

// The texts of the first page in the preview that the next print opens.
QStringList PreviewTexts(InventoryWindow& w, const std::function<void()>& print,
                         const std::function<void(PreviewForm&)>& inPreview = {}) {
    QStringList texts;
    if (!AnswerWindow<PreviewForm>(print, [&](PreviewForm& preview) {
            for (const RpPrintCommand& command : w.window->Report().prn.Pages()->Page(1)->Commands())
                if (const auto* text = std::get_if<RpText>(&command)) texts << text->Text;
            if (inPreview) inPreview(preview);
            preview.close();
        }))
        return {};
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

TEST(MainWindowPrint, PrintInThePreviewGoesToTheSystemPrinterOnTheReportsSheetNotThePrintersOwn) {
    REQUIRE_PDF_PEER();
    InventoryWindow w;
    for (int i = 0; i < 150; ++i)
        w.Add("3001", "Red", QString::number(i + 1));
    const auto file = w.dir / "inventory.pdf";
    // A printer whose own sheet is A4 turned, taking the job into a PDF file.
    PrinterFacts facts{QStringLiteral("Office")};
    facts.DefaultPaper = {9, QSizeF(8.27, 11.69)};
    facts.DefaultOrientation = PrintOrientation::Landscape;
    w.window->Report().prn.SetPrinter(std::make_unique<PrinterDevice>(facts, PdfPrinter(file)));
    w.window->Report().prn.PrintDialog = [](PrintDevice*, int, int&, int&) { return true; };
    PreviewTexts(
        w, [&] { FindNamed<QPushButton>(*w.window, "BitBtn9")->click(); },
        [](PreviewForm& preview) { preview.PrintBtn->click(); });
    const PdfInfo info = ReadPdfInfo(file);
    EXPECT_EQ(info.Pages, 3);
    EXPECT_NEAR(info.PageSize.width(), 612, 0.5); // the report's portrait letter sheet
    EXPECT_NEAR(info.PageSize.height(), 792, 0.5);
    EXPECT_TRUE(PdfPageText(file, 3).contains("Page 3"));
}
