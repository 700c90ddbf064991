#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/print/pdf_file_device.h"
#include "platform/ui.h"
#include "report_test_support.h"
#include "support/pdf_peer.h"
#include "support/test_support.h"

namespace {

constexpr double kPoints = 72; // per inch

// Prints the report of `rows` rows from its preview into a PDF file, pages from .. to (0: all).
void PrintPdf(const std::filesystem::path& file, const InventoryReportData& data, int from = 0, int to = 0) {
    InventoryReport report(TestMessages::Prompts());
    ASSERT_TRUE(WithPreview(report, data, [&](PreviewForm& form) {
        if (from > 0)
            report.prn.PrintDialog = [from, to](PrintDevice&, int, int& first, int& last) {
                first = from;
                last = to;
                return true;
            };
        report.prn.SetPrinter(std::make_unique<PdfFileDevice>(file));
        form.PrintBtnClick();
    }));
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
