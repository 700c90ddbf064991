#include <gtest/gtest.h>

#include <set>

#include "platform/print/image_device.h"
#include "platform/print/pdf_file_device.h"
#include "print/report/flood_fill.h"
#include "print/report/preview_form.h"
#include "print/report/rp_print_object.h"
#include "support/answer_window.h"
#include "support/pdf_peer.h"
#include "support/test_support.h"

namespace {

constexpr QRgb kBackground = qRgb(0xF0, 0x3C, 0x55);
constexpr QRgb kPen = qRgb(0x5A, 0xC3, 0x0F);

// An engine composing on letter paper, printing its stored pages without a dialog onto a device a test gives.
class Replay : public ::testing::Test {
  protected:
    void SetUp() override {
        TestMessages::Clear();
        prn.ShowProgress = false;
        prn.ShowPrintDialog = false;
        prn.SetPrinter(std::make_unique<ImageDevice>(10));
        prn.Start();
    }
    void TearDown() override { prn.Quit(); }

    // Prints every stored page onto `device` and gives it back.
    template <typename Device> Device& Print(std::unique_ptr<Device> device) {
        Device& kept = *device;
        prn.SetPrinter(std::move(device));
        prn.Pages()->FirstPageToPrint = 1;
        prn.Pages()->LastPageToPrint = prn.Pages()->Count();
        prn.PrintStoredPages();
        return kept;
    }

    // A strip of 16 cells on the background, cell i filled with kPen in pen mode i.
    void DrawModeCells() {
        prn.SetBrushColor(kBackground);
        prn.FillRect(0.5, 0.5, 8.0, 1.5);
        prn.SetBrushColor(kPen);
        for (int mode = pmBlack; mode <= pmNotXor; ++mode) {
            prn.SetPenMode(static_cast<PenMode>(mode));
            prn.FillRect(Cell(mode), 0.6, Cell(mode) + 0.35, 1.4);
        }
        prn.SetPenMode(pmCopy);
    }
    // A black ring from (1, top) to (4, top + 2), filled blue inside up to its border.
    void DrawFilledRing(double top) {
        prn.SetPenColor(qRgb(0, 0, 0));
        prn.SetLineWidth(3);
        prn.SetBrushStyle(Qt::NoBrush);
        prn.Ellipse(1, top, 4, top + 2);
        prn.SetBrushStyle(Qt::SolidPattern);
        prn.SetBrushColor(qRgb(0, 0, 255));
        prn.FloodFill(2.5, top + 1, qRgb(0, 0, 0), fsBorder);
    }
    static double Cell(int mode) { return 0.55 + mode * 0.46; }
    static QPoint CellCentre(int mode, int dpi) {
        return {static_cast<int>((Cell(mode) + 0.175) * dpi), dpi};
    }

    RpPrintObject prn{TestMessages::Prompts()};
};

// What a pen mode makes of a pen colour over a background, bit by bit.
QRgb Combined(int mode, QRgb pen, QRgb dest) {
    const uint32_t s = pen & RGB_MASK, d = dest & RGB_MASK;
    const uint32_t results[] = {0,      RGB_MASK, d,     ~d,       s,     ~s,       s | ~d, s & ~d,
                                ~s | d, ~s & d,   s | d, ~(s | d), s & d, ~(s & d), s ^ d,  ~(s ^ d)};
    return (results[mode] & RGB_MASK) | 0xff000000u;
}

int ChannelDistance(QRgb a, QRgb b) {
    return std::max(
        {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

RpCode CodeOf(const RpPrintCommand& command) {
    return std::visit(
        [](const auto& c) -> RpCode {
            using C = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<C, RpText>)
                return RpCode::Text;
            else if constexpr (std::is_same_v<C, RpPageNumber>)
                return RpCode::PageNumber;
            else if constexpr (std::is_same_v<C, RpGraphic>)
                return RpCode::Graphic;
            else if constexpr (std::is_same_v<C, RpFloodFill>)
                return RpCode::FloodFill;
            else
                return c.Code;
        },
        command);
}

} // namespace

TEST_F(Replay, LayoutCommandsAreStoredAndReplayLeavesEachPageWhereTheNextOneBegins) {
    const RpFont big{"Arial", 14, true};
    prn.SetMeasurement(mtMM);
    prn.SetMargins(10, 260, 20, 190);
    prn.SetMeasurement(mtInches);
    prn.SetHeaderInformation(1, "Head", 0.6, 1, big);
    prn.SetHeaderDimensions(1, 2, 0.5, 0.5, 8.0, 1.0, qRgb(200, 200, 200));
    prn.SetFooterInformation(2, "Foot", 10.3, 0, RpFont());
    prn.SetFooterDimensions(0, 0, 0.5, 10.1, 8.0, 10.5, 0);
    prn.SetPageNumberInformation("Page %d", 2, 10.3, true, RpFont());
    prn.PrintPageNumbers = true;
    prn.SetDetailTopBottom(1.2, 3.0);
    prn.SetColumnInformation(3, 2.0, 1.5);
    prn.SetTab(0.25);
    prn.SetAutoPaging(false);
    prn.SetAutoPaging(true);
    prn.TopOfPage();
    for (int row = 0; row < 40; ++row) {
        if (row % 7 == 0) prn.SaveYPosition();
        prn.WriteText("row " + QString::number(row), -5, -2);
        prn.WriteText(" more", -1, -2);
        if (row % 7 == 3) prn.RestoreYPosition();
        if (row == 12) prn.SetFont(big);
        if (row == 20) prn.SetYPosition(2.0);
        prn.NextLine();
    }
    prn.NewPage();

    const RpPages& pages = *prn.Pages();
    ASSERT_GE(pages.Count(), 4);
    std::set<RpCode> codes;
    for (int page = 1; page <= pages.Count(); ++page)
        for (const RpPrintCommand& command : pages.Page(page)->Commands())
            codes.insert(CodeOf(command));
    for (const RpCode code :
         {RpCode::NextLine, RpCode::Detail, RpCode::FooterDim, RpCode::FooterInf, RpCode::HeaderDim,
          RpCode::HeaderInf, RpCode::Margins, RpCode::PageNumberInf, RpCode::Tab, RpCode::TopOfPage,
          RpCode::SetY, RpCode::Column, RpCode::AutoPagingOn, RpCode::AutoPagingOff, RpCode::SaveY,
          RpCode::RestoreY, RpCode::Measure})
        EXPECT_TRUE(codes.count(code)) << "code " << int(code);

    QImage sheet(100, 120, QImage::Format_RGB32);
    const RpReplayOptions options{QRectF(0, 0, 8.5, 11), true};
    for (int page = 1; page < pages.Count(); ++page) {
        QPainter painter(&sheet);
        const RpLayoutState left = pages.ReplayPage(page, painter, options);
        EXPECT_EQ(left, pages.Page(page + 1)->InitialLayout) << "page " << page;
        EXPECT_EQ(pages.ReplayPage(page, painter, options), left) << "page " << page << " again";
    }
    const RpLayoutState& second = pages.Page(2)->InitialLayout;
    EXPECT_EQ(second.MarginLeft, static_cast<int>(20 / 25.4 * TextMeasure::kDpi));
    EXPECT_EQ(second.Columns[2].Width, static_cast<int>(1.5 * TextMeasure::kDpi));
    EXPECT_EQ(second.Header[0].Text, "Head");
    EXPECT_EQ(second.PageNumber.Text, "Page %d");
    EXPECT_TRUE(second.AutoPaging);
}

TEST_F(Replay, AHeaderOrFooterBoxIsFilledWithAColourButOnlyOutlinedWhenBlack) {
    prn.SetHeaderDimensions(1, 12, 1.0, 1.0, 7.5, 3.0, qRgb(0, 0, 0));
    prn.SetFooterDimensions(1, 12, 1.0, 7.0, 7.5, 9.0, qRgb(0, 0, 255));
    prn.NewPage();
    const std::vector<QImage>& pages = Print(std::make_unique<ImageDevice>(20)).Pages();
    ASSERT_GE(pages.size(), 1u);
    const QImage& page = pages[0];
    EXPECT_EQ(page.pixel(20 * 4, 20 * 2), qRgb(255, 255, 255)) << "inside the black box";
    EXPECT_LT(qGray(page.pixel(20 * 1, 20 * 2)), 64) << "the black box's outline";
    EXPECT_EQ(page.pixel(20 * 4, 20 * 8), qRgb(0, 0, 255)) << "inside the blue box";
    EXPECT_LT(qGray(page.pixel(20 * 4, 20 * 7)), 64) << "the blue box's outline";
}

TEST_F(Replay, EveryPenModeCombinesWithThePictureAsItsBitsSay) {
    DrawModeCells();
    prn.SetPenColor(kPen);
    prn.SetLineWidth(6);
    prn.SetPenMode(pmXor);
    prn.Line(0.5, 2.5, 8.0, 2.5); // drawn twice: the sheet comes back
    prn.Line(0.5, 2.5, 8.0, 2.5);
    prn.SetPenMode(pmNop);
    prn.MoveTo(1, 3);
    prn.LineTo(7, 3);

    constexpr int kDpi = 40;
    const std::vector<QImage>& pages = Print(std::make_unique<ImageDevice>(kDpi)).Pages();
    ASSERT_EQ(pages.size(), 1u);
    for (int mode = pmBlack; mode <= pmNotXor; ++mode)
        EXPECT_EQ(pages[0].pixel(CellCentre(mode, kDpi)), Combined(mode, kPen, kBackground))
            << "mode " << mode;
    for (int x = kDpi; x < 8 * kDpi; x += 7)
        for (int y = 2 * kDpi + 1; y < 3 * kDpi + 10; y += 3)
            ASSERT_EQ(pages[0].pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
}

TEST_F(Replay, FloodFillsStopAtTheirBorderOrSurfaceAndNopFillsNothing) {
    DrawFilledRing(1);
    prn.SetBrushColor(qRgb(0, 160, 0));
    prn.FloodFill(0.3, 0.3, qRgb(255, 255, 255), fsSurface);
    prn.SetPenMode(pmNop);
    prn.SetBrushColor(qRgb(255, 0, 0));
    prn.FloodFill(2.5, 2, qRgb(0, 0, 255), fsSurface);
    prn.SetPenMode(pmCopy);
    prn.FloodFill(1, 2, qRgb(0, 0, 0), fsBorder); // on the border itself: nothing to fill

    constexpr int kDpi = 40;
    const QImage page = Print(std::make_unique<ImageDevice>(kDpi)).Pages().at(0);
    EXPECT_EQ(page.pixel(100, 80), qRgb(0, 0, 255));  // inside the ring
    EXPECT_EQ(page.pixel(45, 45), qRgb(0, 160, 0));   // the ring's bounding box corner, outside it
    EXPECT_EQ(page.pixel(300, 400), qRgb(0, 160, 0)); // far away on the sheet
    EXPECT_EQ(page.pixel(40, 80), qRgb(0, 0, 0));     // the ring
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
}

TEST_F(Replay, APdfGetsPagesThatReadPixelsAsPicturesWithTheSameResultAndKeepsOthersAsText) {
    REQUIRE_PDF_PEER();
    DrawModeCells();
    DrawFilledRing(2);
    prn.WriteText("pictured", 5, 3);
    prn.NewPage();
    prn.WriteText("searchable", 1, 1);

    TempDir dir;
    Print(std::make_unique<PdfFileDevice>(dir / "modes.pdf"));
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    EXPECT_FALSE(PdfPageText(dir / "modes.pdf", 1).contains("pictured"));
    EXPECT_TRUE(PdfPageText(dir / "modes.pdf", 2).contains("searchable"));
    constexpr int kDpi = 40;
    const QImage page = RenderPdfPage(dir / "modes.pdf", 1, kDpi);
    ASSERT_FALSE(page.isNull());
    for (int mode = pmBlack; mode <= pmNotXor; ++mode)
        EXPECT_LE(ChannelDistance(page.pixel(CellCentre(mode, kDpi)), Combined(mode, kPen, kBackground)), 8)
            << "mode " << mode;
    EXPECT_LE(ChannelDistance(page.pixel(100, 120), qRgb(0, 0, 255)), 8);
    EXPECT_LE(ChannelDistance(page.pixel(45, 85), qRgb(255, 255, 255)), 8);
}

// Opaque texts fill their box with the brush over whatever lies beneath, and drawing after them covers them;
// transparent texts leave the ground showing. Boxes are checked where their trailing blanks leave no ink.
class OpaqueTexts : public Replay {
  protected:
    static constexpr int kDpi = 50;
    static constexpr QRgb kBlack = qRgb(0, 0, 0), kYellow = qRgb(255, 255, 0), kCyan = qRgb(0, 255, 255),
                          kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 160, 0);

    void SetUp() override {
        Replay::SetUp();
        prn.SetFont({"Arial", 20});
        Fill(kBlack, 1, 1, 3, 1.6);
        Write(kYellow, "        ", 1.5, 1.1); // over the black
        Write(kCyan, "WWWWWWWW", 1, 3);
        prn.WriteText("        ", 1.3, 3); // over the Ws
        Write(kRed, "red      ", 1, 5);    // two on a line, each in its colour
        Write(kGreen, "green      ", 4, 5);
        prn.SetPenColor(kBlack);
        prn.SetLineWidth(6);
        Write(kYellow, "        ", 1, 7);
        prn.Line(1.1, 7.12, 1.3, 7.12); // over the text's box
        Fill(kYellow, 5, 1, 7, 1.6);
        prn.Transparent = true;
        Write(kRed, "T          ", 5.2, 1.1);
    }
    void Fill(QRgb color, double left, double top, double right, double bottom) {
        prn.SetBrushColor(color);
        prn.FillRect(left, top, right, bottom);
    }
    void Write(QRgb brush, const QString& text, double x, double y) {
        prn.SetBrushColor(brush);
        prn.WriteText(text, x, y);
    }
    static void ExpectPage(const QImage& page) {
        ASSERT_FALSE(page.isNull());
        const auto near = [&](double x, double y, QRgb color) {
            const QRgb found = page.pixel(QPointF(x * kDpi, y * kDpi).toPoint());
            EXPECT_LE(ChannelDistance(found, color), 8)
                << "at " << x << ", " << y << ": " << std::hex << found << " for " << color;
        };
        near(1.7, 1.25, kYellow);
        near(2.8, 1.3, kBlack);
        for (double x = 1.35; x < 1.85; x += 0.05)
            for (double y = 3.05; y < 3.25; y += 0.05)
                near(x, y, kCyan);
        near(1.65, 5.15, kRed);
        near(4.95, 5.15, kGreen);
        near(1.2, 7.12, kBlack);
        near(1.6, 7.12, kYellow);
        near(6.3, 1.25, kYellow);
        int ink = 0; // the red box's own text is drawn over it
        for (int x = kDpi; x < 1.35 * kDpi; ++x)
            for (int y = 5 * kDpi; y < 5.3 * kDpi; ++y)
                ink += qGray(page.pixel(x, y)) < 40;
        EXPECT_GT(ink, 5);
    }
};

TEST_F(OpaqueTexts, CoverWhatLiesBeneathOnPictures) {
    ExpectPage(Print(std::make_unique<ImageDevice>(kDpi)).Pages().at(0));
}

TEST_F(OpaqueTexts, CoverWhatLiesBeneathInPdfFiles) {
    REQUIRE_PDF_PEER();
    TempDir dir;
    Print(std::make_unique<PdfFileDevice>(dir / "boxes.pdf"));
    ExpectPage(RenderPdfPage(dir / "boxes.pdf", 1, kDpi));
}

// A white text box on blank paper may be left out only where it covers nothing: it still hides the ink drawn
// before it, another text's or just the tips of the descenders of the line above.
TEST_F(Replay, AWhiteTextBoxOnBlankPaperStillCoversTheInkBeneathIt) {
    REQUIRE_PDF_PEER();
    constexpr int kDpi = 100;
    prn.SetFont({"Arial", 20});
    prn.SetBrushColor(qRgb(255, 255, 255));
    prn.WriteText("WWWWWWWW", 1, 1);
    prn.WriteText("        ", 1.3, 1.05);
    prn.WriteText("pppppppp", 1, 2);
    prn.WriteText("        ", 1.3, 2.27); // its top below the baseline above

    TempDir dir;
    Print(std::make_unique<PdfFileDevice>(dir / "white.pdf"));
    const QImage pdf = RenderPdfPage(dir / "white.pdf", 1, kDpi);
    const QImage picture = Print(std::make_unique<ImageDevice>(kDpi)).Pages().at(0);
    for (const QImage& page : {pdf, picture}) {
        ASSERT_FALSE(page.isNull());
        const auto dark = [&](double left, double top, double right, double bottom) {
            int count = 0;
            for (int x = static_cast<int>(left * kDpi); x < right * kDpi; ++x)
                for (int y = static_cast<int>(top * kDpi); y < bottom * kDpi; ++y)
                    count += qGray(page.pixel(x, y)) < 128;
            return count;
        };
        EXPECT_EQ(dark(1.32, 1.07, 1.9, 1.24), 0) << "the Ws under the box";
        EXPECT_GT(dark(2.0, 1.07, 2.8, 1.24), 20) << "the Ws beside it";
        EXPECT_EQ(dark(1.32, 2.28, 1.9, 2.3), 0) << "the descenders under the box";
        EXPECT_GT(dark(1.0, 2.28, 1.28, 2.3), 0) << "the descenders beside it";
    }
}

// Rows one under the other, the descenders of each ending where the boxes of the next begin: white boxes over
// nothing but paper are left out, so a PDF page of opaque texts is the page of the same texts transparent.
TEST_F(Replay, WhiteTextBoxesOverNothingButPaperAddNothingToAPdf) {
    prn.SetFont({"Arial", 8});
    prn.SetBrushColor(qRgb(255, 255, 255));
    for (const bool transparent : {false, true}) {
        prn.Transparent = transparent;
        for (int row = 1; row <= 40; ++row) {
            const QString n = QString::number(row);
            prn.WriteText("q" + n, 1, -1);
            prn.WriteText("p" + n, 2, -2);
            prn.WriteText("Typography (" + n + ")", 3, -2);
        }
        prn.NewPage();
    }
    TempDir dir;
    std::vector<std::uintmax_t> sizes;
    for (const int page : {1, 2}) {
        prn.SetPrinter(std::make_unique<PdfFileDevice>(dir / "page.pdf"));
        prn.Pages()->FirstPageToPrint = prn.Pages()->LastPageToPrint = page;
        prn.PrintStoredPages();
        sizes.push_back(std::filesystem::file_size(dir / "page.pdf"));
    }
    EXPECT_EQ(sizes[0], sizes[1]);
}

TEST_F(Replay, ThePreviewFillsAndCombinesPixelsAtItsZoom) {
    DrawFilledRing(1);
    prn.SetPenMode(pmXor);
    prn.SetBrushColor(qRgb(255, 255, 0));
    prn.FillRect(5, 1, 6, 2);
    prn.Preview = true;
    prn.StartPercent = P2_Sixty;
    QImage shown;
    ASSERT_TRUE(AnswerWindow<PreviewForm>([&] { prn.Quit(); },
                                          [&](PreviewForm& form) {
                                              shown = form.PageImage();
                                              form.close();
                                          }));
    const double scale = shown.width() / 8.5; // pixels per inch at this zoom
    const auto at = [&](double x, double y) { return shown.pixel(QPointF(x * scale, y * scale).toPoint()); };
    EXPECT_EQ(at(2.5, 2), qRgb(0, 0, 255));
    EXPECT_EQ(at(1.1, 1.1), qRgb(255, 255, 255));
    EXPECT_EQ(at(0.5, 2), qRgb(255, 255, 255));
    EXPECT_EQ(at(5.5, 1.5), qRgb(0, 0, 255)); // yellow over white by exclusive or
}

TEST(FloodRegion, FillsFourConnectedPixelsOnlyAndCoversLargeAreasWhole) {
    QImage maze(9, 9, QImage::Format_RGB32);
    maze.fill(Qt::white);
    for (int i = 0; i < 9; ++i) // a diagonal wall leaks to no 4-connected neighbour
        maze.setPixel(i, 8 - i, qRgb(0, 0, 0));
    const QRegion above = FloodRegion(maze, {0, 0}, qRgb(255, 255, 255), false);
    int area = 0;
    for (const QRect& r : above)
        area += r.width() * r.height();
    EXPECT_EQ(area, 36); // the 8 + 7 + ... + 1 pixels above the wall
    EXPECT_FALSE(above.contains(QPoint(8, 8)));
    EXPECT_EQ(FloodRegion(maze, {0, 0}, qRgb(0, 0, 0), true), above);
    EXPECT_TRUE(FloodRegion(maze, {4, 4}, qRgb(255, 255, 255), false).isEmpty());
    EXPECT_TRUE(FloodRegion(maze, {9, 0}, qRgb(255, 255, 255), false).isEmpty());

    QImage sheet(2000, 1500, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(qRgba(10, 20, 30, 255));
    EXPECT_EQ(FloodRegion(sheet, {1999, 1499}, qRgb(10, 20, 30), false), QRegion(sheet.rect()));
}
