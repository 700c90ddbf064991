#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QPaintEngine>

#include "platform/print/pdf_file_device.h"
#include "platform/ui.h"
#include "report_test_support.h"
#include "support/pdf_peer.h"
#include "support/test_support.h"

namespace {

constexpr double kPoints = 72; // per inch

// Prints the report from its preview into a PDF file, pages from .. to (0: all), once `inPreview` has seen
// the preview.
void PrintPdf(const std::filesystem::path& file, const InventoryReportData& data, int from = 0, int to = 0,
              const std::function<void(PreviewForm&)>& inPreview = {}) {
    InventoryReport report(TestMessages::Prompts());
    ASSERT_TRUE(WithPreview(report, data, [&](PreviewForm& form) {
        if (inPreview) inPreview(form);
        if (from > 0)
            report.prn.PrintDialog = [from, to](PrintDevice*, int, int& first, int& last) {
                first = from;
                last = to;
                return true;
            };
        report.prn.SetPrinter(std::make_unique<PdfFileDevice>(file));
        form.PrintBtnClick();
    }));
}

// A sheet of the preview's page image's size and resolution that keeps the texts drawn on it, each from its
// left end to its right as the font drawing it advances, in the page image's pixels.
class TextSheet : public QPaintDevice {
  public:
    struct Run {
        QString Text;
        double Left, Right, Baseline;
    };

    explicit TextSheet(const QImage& like) : like_(like) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    const std::vector<Run>& Runs() const { return engine_.runs; }

  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return like_.width();
        case PdmHeight:
            return like_.height();
        case PdmWidthMM:
            return like_.widthMM();
        case PdmHeightMM:
            return like_.heightMM();
        case PdmDepth:
            return like_.depth();
        case PdmNumColors:
            return like_.colorCount();
        case PdmDevicePixelRatio:
            return 1;
        case PdmDpiX:
        case PdmPhysicalDpiX:
            return like_.logicalDpiX();
        case PdmDpiY:
        case PdmPhysicalDpiY:
            return like_.logicalDpiY();
        default:
            return QPaintDevice::metric(metric);
        }
    }

  private:
    class Engine : public QPaintEngine {
      public:
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& changed) override {
            if (changed.state() & DirtyTransform) transform = changed.transform();
        }
        void drawTextItem(const QPointF& at, const QTextItem& item) override {
            const QPointF left = transform.map(at), right = transform.map(at + QPointF(item.width(), 0));
            runs.push_back({item.text(), left.x(), right.x(), left.y()});
        }
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        Type type() const override { return User; }

        QTransform transform;
        std::vector<TextSheet::Run> runs;
    };

    const QImage& like_;
    mutable Engine engine_;
};

// The rows of the preview's current page as a reader sees them: the texts on one baseline from left to
// right, a blank between two only where the first ends before the next begins.
QStringList PreviewRows(const PreviewForm& form) {
    TextSheet sheet(form.PageImage());
    form.PaintPage(sheet);
    std::vector<TextSheet::Run> runs = sheet.Runs();
    std::sort(runs.begin(), runs.end(), [](const TextSheet::Run& a, const TextSheet::Run& b) {
        return std::tie(a.Baseline, a.Left) < std::tie(b.Baseline, b.Left);
    });
    QStringList rows;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (i == 0 || runs[i].Baseline > runs[i - 1].Baseline + 0.5)
            rows << runs[i].Text;
        else
            rows.last() += (runs[i].Left > runs[i - 1].Right ? " " : "") + runs[i].Text;
    }
    for (QString& row : rows)
        row = row.simplified();
    return rows;
}

// The rows of a PDF page as pdftotext finds its words, top to bottom, each left to right.
QStringList PdfRows(std::vector<PdfWord> words, int page) {
    std::erase_if(words, [page](const PdfWord& word) { return word.Page != page; });
    std::sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
        return std::tie(a.YMin, a.XMin) < std::tie(b.YMin, b.XMin);
    });
    QStringList rows;
    for (size_t i = 0, start = 0; i < words.size(); ++i) {
        if (i > start && words[i].YMin > words[start].YMin + 1) start = i;
        rows << (i == start ? words[i].Text : rows.takeLast() + ' ' + words[i].Text);
    }
    return rows;
}

} // namespace

TEST(InventoryReportPdf, PagesHoldSearchableTitleHeaderRowsFooterAndPageNumbersInTheirColumns) {
    REQUIRE_PDF_PEER();
    TempDir dir;
    const int r = RowsPerPage();
    const int rows = 9 * r + 1; // ten pages
    PrintPdf(dir / "report.pdf", ReportRows(rows, "Brick 2 x 4", "spare"));
    const PdfInfo info = ReadPdfInfo(dir / "report.pdf");
    EXPECT_EQ(info.Pages, 10);
    EXPECT_NEAR(info.PageSize.width(), 8.5 * kPoints, 0.5);
    EXPECT_NEAR(info.PageSize.height(), 11 * kPoints, 0.5);

    const QString first = PdfPageText(dir / "report.pdf", 1);
    for (const char* text : {"Test Set", "Quantity", "Ldraw #", "Bag (if any)", "Color", "Description",
                             "Notes", "q1 ", "Brick 2 x 4", "spare", "Page 1"})
        EXPECT_TRUE(first.contains(text)) << text;
    EXPECT_TRUE(
        first.simplified().contains("Theme: Space Year: 1979 Pcs: 100 Figs: 2 MSRP: 9.99 Inventoried By: "
                                    "Me Source: Box Date: 2024-01-01 Element Count: " +
                                    QString::number(rows)));
    const QString last = PdfPageText(dir / "report.pdf", 10);
    EXPECT_TRUE(last.contains("Quantity"));
    EXPECT_TRUE(last.contains("q" + QString::number(rows)));
    EXPECT_TRUE(last.contains("Page 10"));

    const std::vector<PdfWord> words = ReadPdfWords(dir / "report.pdf");
    const std::vector<std::pair<QString, double>> columns{
        {"Quantity", 0.52},    {"Ldraw", 1.27}, {"Bag", 2.02}, {"Color", 2.77},
        {"Description", 3.52}, {"Notes", 6.52}, {"spare", 6.5}};
    for (const int page : {1, 10})
        for (const auto& [text, inches] : columns) {
            const auto found = FindPdfWords(words, page, text);
            ASSERT_FALSE(found.empty()) << text.toStdString();
            EXPECT_NEAR(found[0].XMin, inches * kPoints, 0.3) << text.toStdString() << " on page " << page;
        }
    // The title is centred on the sheet; page numbers end at the right margin, two digits as well as one.
    const PdfWord test = FindPdfWords(words, 1, "Test")[0], set = FindPdfWords(words, 1, "Set")[0];
    EXPECT_NEAR((test.XMin + set.XMax) / 2, 4.25 * kPoints, 1);
    for (const auto& [page, number] : {std::pair{1, "1"}, std::pair{10, "10"}}) {
        const auto found = FindPdfWords(words, page, number);
        ASSERT_FALSE(found.empty());
        const PdfWord& pageNumber = found.back(); // below every row
        EXPECT_NEAR(pageNumber.XMax, 8.0 * kPoints, 0.5);
        EXPECT_LE(pageNumber.XMax, 8.0 * kPoints + 0.3);
        EXPECT_NEAR(pageNumber.YMin, 10.25 * kPoints, 1);
    }
    EXPECT_LT(std::filesystem::file_size(dir / "report.pdf"), 200000u);
}

TEST(InventoryReportPdf, ARangeOfTwoPagesPrintsThoseTwoWithTheirOwnNumbers) {
    REQUIRE_PDF_PEER();
    TempDir dir;
    PrintPdf(dir / "range.pdf", ReportRows(4 * RowsPerPage()), 2, 3);
    EXPECT_EQ(ReadPdfInfo(dir / "range.pdf").Pages, 2);
    EXPECT_TRUE(PdfPageText(dir / "range.pdf", 1).contains("Page 2"));
    EXPECT_TRUE(PdfPageText(dir / "range.pdf", 2).contains("Page 3"));
    EXPECT_TRUE(PdfPageText(dir / "range.pdf", 1).contains("Quantity"));
}

TEST(InventoryReportPdf, ADescriptionAsWideAsItsColumnStillLeavesAGapBeforeTheNotes) {
    REQUIRE_PDF_PEER();
    // Whole words up to the column's width, the last one padded with narrow letters to its very edge.
    TextMeasure measure;
    const double column = 3.0 * TextMeasure::kDpi;
    QString description = "Shield";
    for (int i = 0; measure.Width(description + " Pattern") <= column; ++i)
        description += i % 2 ? " Shield" : " Pattern";
    while (measure.Width(description + "l") <= column)
        description += "l";
    ASSERT_GT(measure.Width(description), column - 0.03 * TextMeasure::kDpi);

    TempDir dir;
    PrintPdf(dir / "gap.pdf", ReportRows(1, description, "row029"));
    EXPECT_FALSE(PdfPageText(dir / "gap.pdf", 1).contains("lrow029"));
    const std::vector<PdfWord> words = ReadPdfWords(dir / "gap.pdf");
    const auto notes = FindPdfWords(words, 1, "row029");
    ASSERT_EQ(notes.size(), 1u) << "the notes run into the description";
    double descriptionEnd = 0;
    for (const PdfWord& word : words)
        if (word.Page == 1 && std::abs(word.YMin - notes[0].YMin) < 1 && word.XMax < notes[0].XMin)
            descriptionEnd = std::max(descriptionEnd, word.XMax);
    EXPECT_GT(descriptionEnd, 3.5 * kPoints);
    EXPECT_GE(notes[0].XMin - descriptionEnd, 0.03 * kPoints);
    EXPECT_NEAR(notes[0].XMin, 6.5 * kPoints, 0.3) << "the notes column stays where it was";
}

TEST(InventoryReportPdf, ThePreviewReadsRowForRowAsThePdfDoes) {
    REQUIRE_PDF_PEER();
    TempDir dir;
    std::vector<std::string> shown;
    PrintPdf(dir / "rows.pdf", NearlyFullRows(90), 0, 0, [&](PreviewForm& form) {
        // Every page, until the next page is the same.
        for (int page = 0; page != form.CurrentPage(); form.NextPageClick()) {
            page = form.CurrentPage();
            shown.push_back(PreviewRows(form).join('\n').toStdString());
        }
    });
    ASSERT_GE(shown.size(), 2u);
    ASSERT_EQ(ReadPdfInfo(dir / "rows.pdf").Pages, static_cast<int>(shown.size()));
    const std::vector<PdfWord> words = ReadPdfWords(dir / "rows.pdf");
    for (size_t page = 1; page <= shown.size(); ++page)
        EXPECT_EQ(shown[page - 1], PdfRows(words, static_cast<int>(page)).join('\n').toStdString())
            << "page " << page;
}

TEST(InventoryReportPdf, PrintingIntoAPipeSaysSoAndLeavesThePipe) {
    TestMessages::Clear();
    TempDir dir;
    const std::filesystem::path fifo = dir / "report.pdf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    PrintPdf(fifo, ReportRows(3));
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_TRUE(TestMessages::Shown()[0].contains("report.pdf")) << TestMessages::Shown()[0].toStdString();
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
