#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "formats/picture_formats.h"
#include "label_test_rows.h"
#include "print/label_maker.h"
#include "print/label_preview.h"
#include "print/preview/pv_preview.h"
#include "support/pdf_peer.h"
#include "support/test_support.h"

namespace {

// A page at 600 per inch is over the picture reader's allocation limit.
constexpr int kDpi = 400;

QByteArray RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) return {};
    return process.readAllStandardOutput();
}

// Page 1 of the PDF as grey pixels at kDpi.
QImage RenderPage(const std::filesystem::path& pdf) {
    const std::filesystem::path root = pdf.parent_path() / "page";
    RunTool("pdftoppm", {"-r", QString::number(kDpi), "-gray", "-f", "1", "-l", "1", "-singlefile",
                         QString::fromStdString(pdf.string()), QString::fromStdString(root.string())});
    return QImage(QString::fromStdString(root.string()) + ".pgm");
}

// The first dark pixel along a line through the label's edge, searched 30 pixels on either side of where the
// edge should be; -1 when there is none.
int DarkAlong(const QImage& page, int fixed, int expected, bool horizontal) {
    for (int at = expected - 30; at <= expected + 30; ++at) {
        const int x = horizontal ? at : fixed, y = horizontal ? fixed : at;
        if (page.valid(x, y) && qGray(page.pixel(x, y)) < 128) return at;
    }
    return -1;
}

} // namespace

TEST(LabelSheets, PrintToAPdfOnTheTemplatesGeometryWithOnePictureALabel) {
    REQUIRE_PDF_PEER();
    for (const char* tool : {"pdftoppm", "pdfimages"})
        if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " not installed";
    TempDir dir;
    TestLabelRows rows = TestLabelRows::Numbered(31);
    RecordingPrompts prompts;
    LabelPreview preview(prompts);
    LDrawRenderer renderer;
    LabelMaker maker(rows, renderer, preview);
    // Plain white labels: only the outlines are dark.
    for (QCheckBox* box : {maker.CheckBox1, maker.CheckBox2, maker.CheckBox5})
        box->setChecked(false);
    maker.ComboBox2->setCurrentText("Avery_5160_Address");
    maker.SpinEdit7->setValue(4);
    preview.Label1->setText("avery_5160_address");
    preview.LayOutLabels();
    ASSERT_EQ(preview.PvPreview1->PageCount(), 2) << "positions 1-3 empty, 31 labels after them";

    const std::filesystem::path pdf = dir / "labels.pdf";
    PvPrinter& printer = preview.PvPreview1->Printer();
    printer.SetPrinterName(PvPrinter::kPdfFile);
    prompts.save = [&pdf](const FileChoice&, QString&) { return QString::fromStdString(pdf.string()); };
    preview.BitBtn1Click();

    const PdfInfo info = ReadPdfInfo(pdf);
    EXPECT_EQ(info.Pages, 2);
    EXPECT_NEAR(info.PageSize.width(), 612, 0.5) << "Letter";
    EXPECT_NEAR(info.PageSize.height(), 792, 0.5);

    const QImage page = RenderPage(pdf);
    ASSERT_FALSE(page.isNull());
    const PvLabelTemplateInfo& sheet = *preview.PvLabelPrinter1.TemplateInfo();
    for (int r = 1; r <= sheet.Rows; ++r)
        for (int c = 1; c <= sheet.Columns; ++c) {
            const long double left = sheet.LeftMargin() + (c - 1) * sheet.HorzSpacing();
            const long double top = sheet.TopMargin() + (r - 1) * sheet.VertSpacing();
            const int x = int(RoundNearest(left * kDpi)), y = int(RoundNearest(top * kDpi));
            const int midX = int(RoundNearest((left + sheet.LabelWidth() / 2) * kDpi));
            const int midY = int(RoundNearest((top + sheet.LabelHeight() / 2) * kDpi));
            const double tolerance = 0.005 * kDpi;
            EXPECT_NEAR(DarkAlong(page, midY, x, true), x, tolerance)
                << "left edge, column " << c << " row " << r;
            EXPECT_NEAR(DarkAlong(page, midX, y, false), y, tolerance)
                << "top edge, column " << c << " row " << r;
        }

    // pdfimages lists: page num type width height color comp bpc enc interp object ID x-ppi y-ppi ...
    const QStringList lines =
        QString::fromUtf8(RunTool("pdfimages", {"-list", QString::fromStdString(pdf.string())}))
            .split('\n', Qt::SkipEmptyParts)
            .mid(2);
    EXPECT_EQ(lines.size(), 31) << "one picture for each filled label, none for the three empty ones";
    for (const QString& line : lines) {
        const QStringList fields = line.simplified().split(' ');
        ASSERT_GE(fields.size(), 14);
        EXPECT_NEAR(fields[12].toDouble(), 96, 1) << line.toStdString();
        EXPECT_NEAR(fields[13].toDouble(), 96, 1) << line.toStdString();
    }
}

TEST(LabelSheets, PicturesFillingTheirLabelsLeaveEveryOutlineEdgeInThePdf) {
    REQUIRE_PDF_PEER();
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) GTEST_SKIP() << "pdftoppm not installed";
    TempDir dir;
    std::filesystem::create_directories(dir / "png");
    QImage light(373, 143, QImage::Format_RGB32); // all an L7163 label shows
    light.fill(qRgb(255, 240, 160));              // lighter than the outlines in grey
    TestLabelRows rows = TestLabelRows::Numbered(14);
    for (int i = 1; i <= 14; ++i) {
        const QString name = QStringLiteral("p%1").arg(i);
        const std::filesystem::path file = dir / "png" / (name + ".png").toStdString();
        light.save(QString::fromStdString(file.string()));
        rows.pictures.insert(name, {LabelPicture::PictureFile, file, {}});
    }
    RegisterPictureFormats();
    RecordingPrompts prompts;
    LabelPreview preview(prompts);
    LDrawRenderer renderer;
    LabelMaker maker(rows, renderer, preview);
    for (QCheckBox* box : {maker.CheckBox1, maker.CheckBox2, maker.CheckBox5})
        box->setChecked(false);
    maker.ComboBox1->setCurrentText("Image");
    maker.SpinEdit2->setValue(20);
    maker.BitBtn5->click(); // the picture square over the whole label: the picture fills it
    maker.SpinEdit2->setValue(70);
    maker.BitBtn6->click();
    maker.BitBtn6->click();
    preview.Label1->setText("L7163_Address");
    preview.LayOutLabels();

    const std::filesystem::path pdf = dir / "labels.pdf";
    PvPrinter& printer = preview.PvPreview1->Printer();
    printer.SetPrinterName(PvPrinter::kPdfFile);
    prompts.save = [&pdf](const FileChoice&, QString&) { return QString::fromStdString(pdf.string()); };
    preview.BitBtn1Click();
    const QImage page = RenderPage(pdf);
    ASSERT_FALSE(page.isNull());
    const PvLabelTemplateInfo& sheet = *preview.PvLabelPrinter1.TemplateInfo();
    const double tolerance = 0.005 * kDpi;
    for (int r = 1; r <= sheet.Rows; ++r)
        for (int c = 1; c <= sheet.Columns; ++c) {
            const long double left = sheet.LeftMargin() + (c - 1) * sheet.HorzSpacing();
            const long double top = sheet.TopMargin() + (r - 1) * sheet.VertSpacing();
            const int right = int(RoundNearest((left + sheet.LabelWidth()) * kDpi));
            const int bottom = int(RoundNearest((top + sheet.LabelHeight()) * kDpi));
            const int midX = int(RoundNearest((left + sheet.LabelWidth() / 2) * kDpi));
            const int midY = int(RoundNearest((top + sheet.LabelHeight() / 2) * kDpi));
            EXPECT_NEAR(DarkAlong(page, midY, right, true), right, tolerance)
                << "right edge, column " << c << " row " << r;
            EXPECT_NEAR(DarkAlong(page, midX, bottom, false), bottom, tolerance)
                << "bottom edge, column " << c << " row " << r;
        }
}
