#include <QPainter>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "platform/stream.h"
#include "print/preview/pv_label_printer.h"
#include "print/preview/pv_preview.h"
#include "support/test_support.h"

namespace {

// A document that uses every kind of thing a page can hold, on a custom sheet with margins and a header.
void Fill(PvPageList& pages) {
    pages.SetCustomPageSize({5, 4});
    pages.Margins.SetMarginValuesText(QStringLiteral("720,360,0,1440,\"255,2,1,4\",\"0,1,0,4\""));
    pages.Header.Visible = true;
    pages.Header.CaptionCenter.Caption = QStringLiteral("Page {PAGE}\\{NUMPAGES}");
    PvCanvas& canvas = pages.Canvas;
    canvas.Brush = {0x0000FF, bsSolid};
    canvas.Rectangle(0.1L, 0.1L, 1, 1, pvInches);
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(qRgb(0, 128, 255));
    canvas.Draw(30, 5, picture, 2);
    canvas.ClipEllipse(1, 1, 2, 2, pvInches);
    canvas.Polygon({{1, 1}, {2, 1}, {1.5L, 2}}, pvInches);
    canvas.RemoveClip();
    pages.NewPage();
    canvas.Font.Style = fsBold | fsItalic;
    canvas.TextOut(0.5L, 2, QStringLiteral("caf\u00e9\r\n"), pvInches);
    QTextDocument rich;
    rich.setHtml(QStringLiteral("<b>rich</b> text"));
    canvas.RichText(2, 2, 4, 3, rich, pvInches);
    canvas.RoundRect(3, 0.5L, 4, 1.5L, 0.2L, 0.2L, pvInches);
    pages.SetCurrentPage(1);
}

std::vector<uint8_t> Saved(const PvPageList& pages) {
    MemoryStream stream;
    pages.SaveToStream(stream);
    return stream.Bytes();
}

QImage Drawn(const PvPageList& pages, int n) {
    QImage image(500, 500, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PvDrawContext context(painter, 100, 100, false);
    pages.DrawPage(n, context);
    return image;
}

} // namespace

TEST(PvDocument, SavedDocumentsLoadToTheSamePagesAndSaveToTheSameBytes) {
    PvPageList pages{TestMessages::Prompts()};
    Fill(pages);
    const std::vector<uint8_t> bytes = Saved(pages);
    PvPageList loaded{TestMessages::Prompts()};
    MemoryStream stream(bytes);
    long double version = 0;
    ASSERT_TRUE(loaded.LoadFromStream(stream, [&version](long double v) {
        version = v;
        return true;
    }));
    EXPECT_NEAR(double(version), 2.96, 1e-9);
    EXPECT_EQ(stream.Position(), stream.Size());
    EXPECT_EQ(Saved(loaded), bytes);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.CurrentPage(), 1);
    EXPECT_EQ(loaded.PaperSize(), Custom);
    EXPECT_EQ(loaded.Margins.MarginValuesText(), pages.Margins.MarginValuesText());
    EXPECT_EQ(loaded.Header.CaptionCenter.Caption, pages.Header.CaptionCenter.Caption);
    for (int n : {1, 2})
        EXPECT_EQ(Drawn(loaded, n), Drawn(pages, n)) << "page " << n;
    // Each resource is held exactly by what uses it.
    EXPECT_EQ(loaded.Resources.Brushes.Count(), pages.Resources.Brushes.Count());
    for (int i = 0; i < loaded.Resources.Pens.Count(); ++i)
        EXPECT_EQ(loaded.Resources.Pens.RefCount(i), pages.Resources.Pens.RefCount(i));
    EXPECT_EQ(ReferenceCounts(loaded.Resources.Pens).Lines(), ReferenceCounts(pages.Resources.Pens).Lines());
}

TEST(PvDocument, ObjectsFindTheirResourcesByStoredPlaceEvenWhenEqualOnesMerge) {
    PvPageList pages{TestMessages::Prompts()};
    const PvPen red{0x0000FF, 1, psSolid, pmCopy};
    // Two equal pens stored apart, then the one an object uses: the object saves it as number 2.
    const auto first = pages.Resources.Pens.Add(red, false), second = pages.Resources.Pens.Add(red, false);
    pages.Canvas.Pen = {0xFF0000, 3, psDash, pmCopy};
    pages.Canvas.Rectangle(0, 0, 1, 1, pvInches);
    PvPageList loaded{TestMessages::Prompts()};
    MemoryStream stream(Saved(pages));
    ASSERT_TRUE(loaded.LoadFromStream(stream));
    const auto& shape = static_cast<const PvSolidShape&>(*loaded.Page(1).Objects()[0]);
    ASSERT_TRUE(shape.Pen());
    EXPECT_EQ(*shape.Pen(), pages.Canvas.Pen);
    EXPECT_EQ(loaded.Resources.Pens.Count(), 1) << "pens no object uses are not kept";
}

TEST(PvDocument, DamagedOrRefusedDocumentsLeaveThePagesAsTheyWere) {
    PvPageList source{TestMessages::Prompts()};
    Fill(source);
    const std::vector<uint8_t> bytes = Saved(source);
    PvPageList pages{TestMessages::Prompts()};
    pages.Canvas.Rectangle(0, 0, 1, 1, pvInches);
    const std::vector<uint8_t> before = Saved(pages);
    // Every cut short copy is refused as a whole.
    for (size_t size = 0; size < bytes.size(); size += 1 + size / 64) {
        MemoryStream cut(std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(size)));
        EXPECT_THROW(pages.LoadFromStream(cut), EStreamError) << size;
    }
    MemoryStream whole(bytes);
    EXPECT_FALSE(pages.LoadFromStream(whole, [](long double) { return false; }));
    EXPECT_EQ(Saved(pages), before);

    // Page sizes and lengths out of range, and counts beyond the stream, are refused too.
    PvValueList settings;
    settings.WriteFloat("VER", 2.96L);
    settings.WriteInteger("PC", 1);
    MemoryStream crafted;
    settings.SaveToStream(crafted);
    for (int list = 0; list < 5; ++list)
        WriteInt32(crafted, 0);
    PvValueList page;
    page.WritePoint("XY", {1e9L, 1});
    page.SaveToStream(crafted);
    crafted.SetPosition(0);
    EXPECT_THROW(pages.LoadFromStream(crafted), EStreamError);
    EXPECT_EQ(Saved(pages), before);
}

TEST(PvDocument, MarginValuesTextCarriesTwipsAndQuotedPens) {
    PvMargins margins;
    EXPECT_TRUE(
        margins.SetMarginValuesText(QStringLiteral("720,720,720,720,\"12632256,1,2,4\",\"12632256,1,2,4\"")));
    EXPECT_EQ(margins.Inches().Left, 0.5L);
    EXPECT_EQ(margins.Pen, (PvPen{0xC0C0C0, 1, psDot, pmCopy}));
    EXPECT_EQ(margins.PrinterMarginPen, margins.Pen);
    EXPECT_EQ(margins.MarginValuesText(), "720,720,720,720,\"12632256,1,2,4\",\"12632256,1,2,4\"");

    // Kept in millimetres, the twips are converted into them; pens may be left out.
    margins.ValueMeasurement = pvMillimeters;
    EXPECT_TRUE(margins.SetMarginValuesText("1440,0,0,567"));
    EXPECT_NEAR(double(margins.Values.Left), 25.4, 1e-9);
    EXPECT_EQ(margins.MarginValuesText().section(',', 0, 3), "1440,0,0,567");
    for (const char* bad :
         {"1,2,3", "1,2,3,x", "1,2,3,4,\"1,2,3,4\"", "1,2,3,4,\"1,2,3,4\",\"1,2,3", "1,2,3,4,5,6"})
        EXPECT_FALSE(margins.SetMarginValuesText(bad)) << bad;
    EXPECT_EQ(margins.MarginValuesText().section(',', 0, 3), "1440,0,0,567") << "a bad text changes nothing";
}

TEST(PvDocument, PreviewFilesReportTheirFailuresAndHeadersAreRecordedOnEveryNewPage) {
    TempDir dir;
    PvPreview preview{TestMessages::Prompts()};
    preview.Pages().Header.Visible = true;
    std::vector<PvRect> headers;
    preview.OnDrawHeader = [&headers](const PvValueRect& rect, PvCanvas& canvas) {
        headers.push_back(rect.Inches());
        canvas.TextOut(rect.Left().Inches(), rect.Top().Inches(), "title", pvInches);
    };
    preview.Clear();
    preview.NewPage();
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers[0].Left, 0) << "no margins";
    EXPECT_GT(headers[0].Bottom, 0.1L);
    EXPECT_EQ(preview.Pages().Page(2).Objects().size(), 1u);

    ASSERT_TRUE(preview.SaveToFile(dir / "labels.pvd"));
    PvPreview other{TestMessages::Prompts()};
    long double version = 0;
    other.BeforeLoad = [&version](long double v, bool&) { version = v; };
    ASSERT_TRUE(other.LoadFromFile(dir / "labels.pvd"));
    EXPECT_EQ(other.PageCount(), 2);
    EXPECT_NEAR(double(version), 2.96, 1e-9);

    TestMessages::Clear();
    WriteFileBytes(dir / "junk.pvd", "not a document");
    EXPECT_FALSE(other.LoadFromFile(dir / "junk.pvd"));
    EXPECT_FALSE(other.LoadFromFile(dir / "missing.pvd"));
    ASSERT_EQ(TestMessages::Shown().size(), 2);
    EXPECT_TRUE(TestMessages::Shown()[0].startsWith("PvPreview Error!"))
        << TestMessages::Shown()[0].toStdString();
    EXPECT_EQ(other.PageCount(), 2) << "the loaded document stays";
}

TEST(PvDocument, LabelPrintersForgetAPreviewThatGoes) {
    PvLabelPrinter printer{TestMessages::Prompts()};
    auto preview = std::make_unique<PvPreview>(TestMessages::Prompts());
    printer.Preview = preview.get();
    preview.reset();
    EXPECT_TRUE(printer.Preview.isNull());
    TestMessages::Clear();
    printer.DrawLabels(3);
    EXPECT_EQ(TestMessages::Shown().size(), 1) << "the missing preview is reported, not used";
}
