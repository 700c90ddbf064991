#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/print/print_device.h"
#include "platform/print/printer_lookup.h"
#include "print/preview/pv_page_navigator.h"
#include "print/preview/pv_property_combo_box.h"
#include "print/preview/pv_thumbnails.h"
#include "support/test_support.h"

TEST(PvPaper, SizesFollowTheTableAndTheSheetScalesWithTheZoom) {
    EXPECT_NEAR(double(GetPaperSize(A4).X), 8.27, 0.005);
    EXPECT_NEAR(double(GetPaperSize(A4).Y), 11.69, 0.005);
    EXPECT_EQ(GetPaperSize(Letter).X, 8.5L);
    EXPECT_EQ(GetPaperSize(Letter).Y, 11);
    EXPECT_EQ(GetPaperSize(Envelope_12).X, 4.75L) << "real envelope sizes, taller than wide";
    EXPECT_EQ(GetPaperSize(Envelope_14).Y, 11.5L);
    EXPECT_EQ(PageSize(A5, pvLandscape).X, GetPaperSize(A5).Y);
    EXPECT_EQ(PaperSizeNames().size(), 18);
    EXPECT_EQ(PaperSizeNames().value(Executive), "Executive");

    PvPaperImage image;
    image.SetZoom(100);
    EXPECT_EQ(image.SheetSize(96), QSize(794, 1123));
    image.resize(200, 200);
    const QRect sheet = image.SheetRect();
    EXPECT_LT(sheet.left(), 30) << "a control smaller than the sheet centres it before the border";
    EXPECT_EQ(image.ToPage(sheet.topLeft()).X, 0);
    EXPECT_NEAR(double(image.ToPage(sheet.topLeft() + QPoint(96, 48)).Y), 0.5, 1e-12);
}

TEST(PvPaper, GridLinesAndDotsFallEveryFiveMillimetres) {
    PvPageGrid grid;
    grid.GridStyle = pvLines;
    auto countLines = [&grid](PvPoint page) {
        QImage image(int(page.X * 20) + 4, int(page.Y * 20) + 4, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        grid.Draw(painter, page, 20);
        painter.end();
        int vertical = 0;
        for (int x = 0; x < image.width(); ++x)
            vertical += image.pixel(x, 1) != qRgb(255, 255, 255);
        return vertical;
    };
    EXPECT_EQ(countLines(GetPaperSize(A4)), 42);
    EXPECT_EQ(countLines(GetPaperSize(Letter)), 43);
}

TEST(PvPreview, ZoomStepsClampAndFit) {
    PvPreview preview{TestMessages::Prompts()};
    preview.SetZoom(100);
    preview.ZoomIn();
    EXPECT_EQ(preview.Zoom(), 120);
    preview.SetZoom(100);
    preview.ZoomOut();
    EXPECT_EQ(preview.Zoom(), 80);
    preview.SetZoom(7);
    preview.ZoomOut();
    EXPECT_EQ(preview.Zoom(), 7);
    preview.SetZoom(400);
    preview.ZoomIn();
    EXPECT_EQ(preview.Zoom(), 400) << "500 is cut back to the maximum";
    preview.SetZoom(1);
    EXPECT_EQ(preview.Zoom(), 5);
    preview.SetMaxZoom(3);
    EXPECT_EQ(preview.MaxZoom(), 5);
    preview.SetMaxZoom(400);
    preview.ZoomStyle = pvFixedZoom;
    preview.SetZoom(50);
    preview.ZoomIn();
    EXPECT_EQ(preview.Zoom(), 60);

    EXPECT_EQ(FitZoom(1122 + 60 + 20, 60, GetPaperSize(A4).Y), 99) << "99.95 is truncated";
    preview.resize(500, 700);
    preview.FitWholePage();
    EXPECT_EQ(preview.Zoom(),
              std::min(FitZoom(500, 60, GetPaperSize(A4).X), FitZoom(700, 60, GetPaperSize(A4).Y)));
}

TEST(PvPreview, PagingThroughTheNavigatorFollowsThePreview) {
    PvPreview preview{TestMessages::Prompts()};
    PvPageNavigator navigator;
    EXPECT_FALSE(navigator.Button(pvZoomIn)->isEnabled()) << "without a preview nothing is enabled";
    navigator.SetPreview(&preview);
    for (PvNavigateBtn button : {pvFirstPage, pvPrevPage, pvNextPage, pvLastPage})
        EXPECT_FALSE(navigator.Button(button)->isEnabled());
    navigator.Click(pvAddPage);
    EXPECT_EQ(preview.PageCount(), 2);
    EXPECT_TRUE(navigator.Button(pvFirstPage)->isEnabled());
    EXPECT_TRUE(navigator.Button(pvPrevPage)->isEnabled());
    EXPECT_FALSE(navigator.Button(pvNextPage)->isEnabled());
    preview.NextPage();
    EXPECT_EQ(preview.CurrentPage(), 2) << "next on the last page changes nothing";
    navigator.Click(pvFirstPage);
    EXPECT_EQ(preview.CurrentPage(), 1);
    preview.PrevPage();
    EXPECT_EQ(preview.CurrentPage(), 1);
    preview.SetZoom(preview.MaxZoom());
    EXPECT_FALSE(navigator.Button(pvZoomIn)->isEnabled());
    navigator.Click(pvClear);
    EXPECT_EQ(preview.PageCount(), 1);
    EXPECT_EQ(preview.CurrentPage(), 1);
    preview.BeginUpdate();
    EXPECT_FALSE(navigator.isEnabled());
    preview.EndUpdate();
    EXPECT_TRUE(navigator.isEnabled());
}

TEST(PvPreview, ThumbnailsAndThePaperListFollowThePages) {
    auto preview = std::make_unique<PvPreview>(TestMessages::Prompts());
    PrinterLookup lookup{[] {
        return PrinterList{QStringLiteral("Office"), {{QStringLiteral("Hall")}, {QStringLiteral("Office")}}};
    }};
    preview->Printer().UseLookup(lookup);
    PvThumbnails thumbnails;
    thumbnails.SetPreview(preview.get());
    preview->NewPage();
    preview->NewPage();
    ASSERT_EQ(thumbnails.Count(), 3);
    EXPECT_EQ(thumbnails.Selected(), 3);
    EXPECT_EQ(thumbnails.CaptionOf(3), "3");
    thumbnails.PageCaptions = "Page #";
    EXPECT_EQ(thumbnails.CaptionOf(3), "Page 3");
    EXPECT_EQ(thumbnails.Thumbnail(1)->SheetSize(96), QSize(48, 67)) << "A4 at ThumbSize 4 is shown at 6%";
    QTest::mouseClick(thumbnails.Thumbnail(1), Qt::LeftButton);
    EXPECT_EQ(preview->CurrentPage(), 1);
    preview->DeleteCurrentPage();
    EXPECT_EQ(thumbnails.Count(), 2);

    PvPropertyComboBox papers;
    papers.OnAddItem = [](const QString& item, bool& add) { add = item != "Custom"; };
    papers.SetPreviewProperty(pvPaperList);
    papers.SetPreview(preview.get());
    EXPECT_EQ(papers.count(), 17);
    EXPECT_EQ(papers.currentText(), "A4");
    papers.setCurrentIndex(papers.findText("Letter"));
    emit papers.activated(papers.currentIndex());
    EXPECT_EQ(preview->PaperSize(), Letter);
    PvPropertyComboBox printers;
    printers.SetPreview(preview.get());
    const std::optional<PrinterList> answer = preview->Printer().Lookup().Await(std::chrono::seconds(5));
    ASSERT_TRUE(answer) << "the print system answers";
    QCoreApplication::processEvents();
    EXPECT_EQ(printers.count(), 3) << "the printers, then the PDF file";
    EXPECT_EQ(printers.itemText(2), PvPrinter::kPdfFile);
    EXPECT_EQ(printers.currentText(), "Office");
    preview.reset();
    EXPECT_EQ(thumbnails.Preview(), nullptr) << "a preview going away leaves its controls";
    EXPECT_EQ(thumbnails.Count(), 0);
}

namespace {

// Writes down the notices it hears, by name.
class NoticeLog : public PvLinkedControl {
  public:
    NoticeLog(std::vector<QString>& log, QString name) : log_(log), name_(std::move(name)) {}
    void PreviewNotice(int notice) override { log_.push_back(name_ + QString::number(notice)); }
    int sets = 0;

  protected:
    void PreviewSet() override { ++sets; }

  private:
    std::vector<QString>& log_;
    QString name_;
};

} // namespace

TEST(PvPreview, LinkedControlsHearNoticesInOrderAndMayGoBeforeOrAfterThePreview) {
    std::vector<QString> log;
    auto preview = std::make_unique<PvPreview>(TestMessages::Prompts());
    auto first = std::make_unique<NoticeLog>(log, "a");
    NoticeLog second(log, "b");
    first->SetPreview(preview.get());
    second.SetPreview(preview.get());
    preview->Register(&second);
    preview->SetZoom(50);
    EXPECT_EQ(log, (std::vector<QString>{"a7039", "b7039"})) << "once each, in registration order";

    // A control freed first is no longer notified.
    auto navigator = std::make_unique<PvPageNavigator>();
    navigator->SetPreview(preview.get());
    navigator.reset();
    first.reset();
    log.clear();
    preview->NewPage();
    preview->SetZoom(60);
    EXPECT_EQ(log, (std::vector<QString>{"b7035", "b7047", "b7039"}));

    // A preview freed first leaves its controls without one, and they may go afterwards.
    navigator = std::make_unique<PvPageNavigator>();
    navigator->SetPreview(preview.get());
    auto papers = std::make_unique<PvPropertyComboBox>();
    papers->SetPreviewProperty(pvPaperList);
    papers->SetPreview(preview.get());
    const int sets = second.sets;
    preview.reset();
    EXPECT_EQ(second.Preview(), nullptr);
    EXPECT_EQ(second.sets, sets + 1) << "told that the preview is gone";
    EXPECT_EQ(navigator->Preview(), nullptr);
    EXPECT_FALSE(navigator->Button(pvAddPage)->isEnabled());
    EXPECT_EQ(papers->count(), 0);
    navigator.reset();
    papers.reset();
}

TEST(PvPreview, DragsAndMouseButtonsOnTheSheetArriveInPageInches) {
    PvPreview preview{TestMessages::Prompts()};
    preview.resize(600, 600);
    preview.SetZoom(100);
    PvPaperImage& image = preview.PaperImage();
    std::vector<PvPoint> seen;
    preview.OnPageDragOver = [](const QMimeData& dragged, PvPoint, bool& accept) {
        accept = dragged.hasText();
    };
    preview.OnPageDragDrop = [&seen](const QMimeData&, PvPoint at) { seen.push_back(at); };
    preview.OnPageMouseUp = [&seen](Qt::MouseButton, PvPoint at) { seen.push_back(at); };
    const QPoint at = image.SheetRect().topLeft() + QPoint(96, 48);
    QMimeData text, other;
    text.setText(QStringLiteral("3001"));
    other.setData(QStringLiteral("application/x-other"), "x");
    for (QMimeData* dragged : {&other, &text}) {
        QDragEnterEvent enter(at, Qt::CopyAction, dragged, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&image, &enter);
        EXPECT_EQ(enter.isAccepted(), dragged == &text) << "only what the handler takes";
    }
    QDropEvent drop(QPointF(at), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&image, &drop);
    QTest::mouseRelease(&image, Qt::LeftButton, {}, at + QPoint(96, 0));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NEAR(double(seen[0].X), 1, 1e-9);
    EXPECT_NEAR(double(seen[0].Y), 0.5, 1e-9);
    EXPECT_NEAR(double(seen[1].X), 2, 1e-9);
}

TEST(PvPrinter, WithoutADeviceTheGeometryIsThatOfAnA4SheetAt300PixelsPerInch) {
    PvPrinter printer{TestMessages::Prompts()};
    printer.MakeDevice = [](const QString&, const std::filesystem::path&) { return nullptr; };
    printer.SetPrinterName(QStringLiteral("gone"));
    const PvRect margins = printer.PrinterMargins();
    EXPECT_EQ(printer.PpiX(), 300);
    EXPECT_NEAR(double(margins.Left * 300), 65, 1e-9);
    EXPECT_NEAR(double(margins.Top * 300), 50, 1e-9);
    EXPECT_NEAR(double(margins.Right * 300), 58, 1e-9);
    EXPECT_NEAR(double(margins.Bottom * 300), 50, 1e-9);
}
