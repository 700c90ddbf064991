#include <QDate>
#include <QPainter>
#include <gtest/gtest.h>

#include "platform/print/image_device.h"
#include "platform/print/printer_lookup.h"
#include "print/preview/pv_font_mapper.h"
#include "print/preview/pv_page_list.h"
#include "support/test_support.h"

namespace {

// A document of n pages whose page k carries a filled square k tenths of an inch wide, so that the
// printed pages tell which page they were.
void MarkPages(PvPageList& pages, int n) {
    pages.Clear(false);
    for (int k = 1; k <= n; ++k) {
        if (k > 1) pages.NewPage();
        pages.Canvas.Brush = {clBlack, bsSolid};
        pages.Canvas.Rectangle(0, 0, k / 10.0L, 0.1L, pvInches);
    }
}

// Which page a printed picture at 50 pixels per inch shows (its square's width in tenths).
int PageShown(const QImage& sheet, QPoint origin = {}, double scale = 1) {
    int tenths = 0;
    while (tenths < 20 &&
           qGray(sheet.pixel(origin.x() + int((tenths * 5 + 2) * scale), origin.y() + int(2 * scale))) < 128)
        ++tenths;
    return tenths;
}

} // namespace

TEST(PvPageList, RangesPrintInTheirOrderAndAreClampedToThePages) {
    PvPageList pages{TestMessages::Prompts()};
    MarkPages(pages, 3);
    std::vector<QImage> printed;
    pages.Printer.MakeDevice = [&printed](const QString&, const std::filesystem::path&) {
        struct Keeping : ImageDevice {
            explicit Keeping(std::vector<QImage>& out) : ImageDevice(50), out_(out) {}
            ~Keeping() override { out_ = Pages(); }
            std::vector<QImage>& out_;
        };
        return std::make_unique<Keeping>(printed);
    };
    // A print system of its own that lists the printer: Print awaits its answer, which a silent server holds.
    PrinterLookup memory{[] { return PrinterList{QStringLiteral("memory"), {{QStringLiteral("memory")}}}; }};
    pages.Printer.UseLookup(memory);
    pages.Printer.SetPrinterName(QStringLiteral("memory"));
    auto order = [&](int from, int to) {
        printed.clear();
        EXPECT_TRUE(pages.PrintRange(from, to));
        std::vector<int> shown;
        for (const QImage& sheet : printed)
            shown.push_back(PageShown(sheet));
        return shown;
    };
    EXPECT_EQ(order(3, 1), std::vector<int>({3, 2, 1}));
    EXPECT_EQ(order(2, 2), std::vector<int>({2}));
    EXPECT_EQ(order(1, 3), std::vector<int>({1, 2, 3}));
    EXPECT_EQ(order(-5, 99), std::vector<int>({1, 2, 3})) << "a range beyond the pages is cut to them";

    // Four pages share a sheet: the fifth starts the second sheet, in the first quarter at half size.
    MarkPages(pages, 5);
    pages.PagesPerSheet = pvFourPage;
    printed.clear();
    pages.PrintRange(1, 5);
    ASSERT_EQ(printed.size(), 2u);
    const QPoint quarter(printed[0].width() / 2, printed[0].height() / 2);
    EXPECT_EQ(PageShown(printed[0], {}, 0.5), 1);
    EXPECT_EQ(PageShown(printed[0], {quarter.x(), 0}, 0.5), 2);
    EXPECT_EQ(PageShown(printed[0], {quarter.x(), quarter.y()}, 0.5), 4);
    EXPECT_EQ(PageShown(printed[1], {}, 0.5), 5);
    // The sheet is the size the preview shows, also where the printer's code for the paper means another.
    pages.PagesPerSheet = pvOnePage;
    pages.SetPaperSize(B5);
    printed.clear();
    pages.PrintRange(1, 1);
    EXPECT_EQ(printed[0].size(), QSize(346, 492)) << "6.92 x 9.84 in at 50 per inch";
    // Two pages turn the sheet and stand side by side.
    pages.PagesPerSheet = pvTwoPage;
    printed.clear();
    pages.PrintRange(1, 3);
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_GT(printed[0].width(), printed[0].height());
}

TEST(PvPageList, DeletingAndClearingKeepTheCurrentPageOnAPage) {
    PvPageList pages{TestMessages::Prompts()};
    int changes = 0;
    pages.OnCurrentPageChanged = [&changes] { ++changes; };
    pages.NewPage();
    pages.NewPage();
    ASSERT_EQ(pages.CurrentPage(), 3);
    pages.DeletePage(1);
    EXPECT_EQ(pages.Count(), 2);
    EXPECT_EQ(pages.CurrentPage(), 2) << "the page shown stays shown";
    pages.DeletePage(2);
    EXPECT_EQ(pages.CurrentPage(), 1);
    pages.DeletePage(7);
    pages.DeletePage(1);
    EXPECT_EQ(pages.Count(), 1) << "the last page gives way to a new empty one";
    EXPECT_EQ(pages.CurrentPage(), 1);
    pages.SetCurrentPage(0);
    pages.SetCurrentPage(2);
    EXPECT_EQ(pages.CurrentPage(), 1);

    changes = 0;
    pages.BeginUpdate();
    pages.NewPage();
    pages.NewPage();
    EXPECT_EQ(changes, 0) << "notices wait for the end of the update";
    pages.EndUpdate();
    EXPECT_EQ(changes, 1);

    pages.SetOrientation(pvLandscape);
    EXPECT_GT(pages.Page(1).Size.X, pages.Page(1).Size.Y);
    pages.SetPaperSize(Envelope_12);
    EXPECT_NEAR(double(pages.Page(2).Size.X), 11, 1e-9) << "the page follows paper and orientation";
    EXPECT_NEAR(double(pages.Page(2).Size.Y), 4.75, 1e-9);
}

TEST(PvHeaderFooter, TokensAndCharacterAdvances) {
    EXPECT_EQ(ReplaceCaptionTokens("{PAGE} of {NUMPAGES}", 2, 5), "2 of 5");
    EXPECT_EQ(ReplaceCaptionTokens("{PAGE}{PAGE} {page}", 3, 5), "33 {page}");
    EXPECT_EQ(ReplaceCaptionTokens("plain", 1, 1), "plain");
    EXPECT_EQ(ReplaceCaptionTokens("{DATE}", 1, 1), QDate::currentDate().toString("dd/MM/yyyy"));

    EXPECT_EQ(MappedAdvances({127, 127}, 7200, 600), std::vector<int>({10, 11}));
    // The written text stays within a pixel of its measurement however long it is.
    const std::vector<int> advances = MappedAdvances(std::vector<int>(100, 127), 7200, 600);
    int total = 0;
    for (int advance : advances)
        total += advance;
    EXPECT_NEAR(total, 100 * 127 * 600 / 7200.0, 1.0);

    PvHeaderFooter header(false);
    header.CaptionCenter.Font.setPointSize(12);
    const long double automatic = header.TextHeight();
    EXPECT_GT(automatic, 0.1L);
    header.CaptionRight.Font.setPointSize(24);
    EXPECT_GT(header.TextHeight(), automatic * 1.5L) << "the largest caption font decides";
    header.Height.SetInches(1);
    EXPECT_EQ(header.TextHeight(), 1);
}
