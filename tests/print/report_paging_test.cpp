#include <gtest/gtest.h>

#include "report_test_support.h"
#include "support/test_support.h"

namespace {

constexpr double kDetailBottom = 10.0;

// The page's texts in column 1 of the detail area, from the top.
QStringList FirstColumn(const std::vector<PlacedText>& page) {
    QStringList cells;
    for (const PlacedText& text : page)
        if (text.At.x() < 1 && text.At.y() < kDetailBottom) cells << text.Text;
    return cells;
}

// As many "Slope" words as fill `lines` lines of a column `inches` wide in the detail font.
QString Filling(int lines, double inches) {
    TextMeasure measure;
    QString text = "Slope";
    while (measure.Wrap(text + " Slope", inches * TextMeasure::kDpi).size() <= lines)
        text += " Slope";
    return text;
}

} // namespace

TEST(InventoryReportPaging, PagesHoldAsManyRowsAsFitAndBreakExactlyWithTheHeaderOnEach) {
    const ComposedReport probe = Compose(ReportRows(200));
    const int r = Rows(probe.Pages[0]);
    ASSERT_GT(r, 10);
    // The page's last row fits above the bottom of the detail area; one more would not.
    const PlacedText& last = *std::find_if(probe.Pages[0].rbegin(), probe.Pages[0].rend(),
                                           [](const PlacedText& text) { return text.Text.startsWith('q'); });
    EXPECT_LE(last.At.y() + probe.LineHeight, kDetailBottom + 1e-9);
    EXPECT_GT(last.At.y() + 2 * probe.LineHeight, kDetailBottom);

    for (const int n : {1, r - 1, r, r + 1, 2 * r + 3, 5000}) {
        SCOPED_TRACE(n);
        const ComposedReport report = Compose(ReportRows(n));
        ASSERT_EQ(static_cast<int>(report.Pages.size()), (n + r - 1) / r);
        int rows = 0;
        for (const auto& page : report.Pages) {
            ASSERT_FALSE(page.empty());
            EXPECT_EQ(page[0].Text, "Quantity");
            EXPECT_TRUE(page[0].Bold);
            EXPECT_FALSE(FirstColumn(page).value(1).isEmpty());
            rows += Rows(page);
        }
        EXPECT_EQ(rows, n);
        EXPECT_EQ(FirstColumn(report.Pages.back()).last(), "q" + QString::number(n));
    }
}

TEST(InventoryReportPaging, AWrappedRowStaysTogetherAndPushesTheNextRowDown) {
    const int r = RowsPerPage();
    const QString threeLines = Filling(3, 3.0 - RpPrintObject::kWrapGap);
    InventoryReportData data = ReportRows(r + 1);
    data.Rows[0][5] = threeLines;
    data.Rows[0][6] = "Note";
    // After row 1's two extra lines, row r - 3 starts on the page's last but one line.
    const int movedRow = r - 3;
    data.Rows[static_cast<size_t>(movedRow - 1)][5] = threeLines;
    const ComposedReport report = Compose(data);
    ASSERT_EQ(report.Pages.size(), 2u);
    const double line = report.LineHeight;

    const auto& first = report.Pages[0];
    const auto at = [&](const std::vector<PlacedText>& page, const QString& text) {
        return std::find_if(page.begin(), page.end(), [&](const PlacedText& t) { return t.Text == text; })
            ->At;
    };
    // Description lines one under the other, the notes on the description's last line, the next row below.
    std::vector<double> description;
    for (const PlacedText& text : first)
        if (text.Text.startsWith("Slope") && description.size() < 3) description.push_back(text.At.y());
    ASSERT_EQ(description.size(), 3u);
    EXPECT_DOUBLE_EQ(description[2] - description[0], 2 * line);
    EXPECT_DOUBLE_EQ(at(first, "Note").y(), description[2]);
    EXPECT_DOUBLE_EQ(at(first, "q2").y(), description[2] + line);

    // That row did not fit: all of it went on, under the header, instead of leaving its cells behind.
    const QString moved = "q" + QString::number(movedRow);
    EXPECT_EQ(FirstColumn(first).last(), "q" + QString::number(movedRow - 1));
    const auto& second = report.Pages[1];
    EXPECT_EQ(FirstColumn(second).mid(0, 2), QStringList({"Quantity", moved}));
    EXPECT_DOUBLE_EQ(at(second, "Quantity").y() + line, at(second, moved).y());
    int movedLines = 0;
    for (const PlacedText& text : second)
        movedLines += text.Text.startsWith("Slope") ? 1 : 0;
    EXPECT_EQ(movedLines, 3);
}

TEST(InventoryReportPaging, ARowTallerThanAPageStartsAPageAndFlowsOn) {
    const int r = RowsPerPage();
    InventoryReportData data = ReportRows(3);
    QStringList words;
    for (int i = 0; i < (r + 10) * 12; ++i) // about r + 10 lines of the description column
        words << "word" + QString::number(i);
    data.Rows[1][5] = words.join(' ');
    const ComposedReport report = Compose(data);
    ASSERT_GE(report.Pages.size(), 3u);
    EXPECT_EQ(FirstColumn(report.Pages[0]), QStringList({"Quantity", "q1"}));
    EXPECT_EQ(FirstColumn(report.Pages[1]).mid(0, 2), QStringList({"Quantity", "q2"}));
    QStringList flowed;
    for (const auto& page : report.Pages)
        for (const PlacedText& text : page)
            if (text.Text.startsWith("word")) flowed << text.Text;
    EXPECT_EQ(flowed.join(' '), words.join(' '));
    // Each page the row flows on to is headed by the header row, and is full.
    for (size_t page = 2; page + 1 < report.Pages.size(); ++page) {
        EXPECT_EQ(FirstColumn(report.Pages[page]), QStringList({"Quantity"}));
        // The title and the footer line are written last.
        const PlacedText& bottom = report.Pages[page][report.Pages[page].size() - 3];
        EXPECT_GT(bottom.At.y() + 2 * report.LineHeight, kDetailBottom) << "page " << page + 1 << " is full";
    }
    const auto& end = report.Pages.back();
    EXPECT_EQ(FirstColumn(end), QStringList({"Quantity", "q3"}));
    const auto q3 = std::find_if(end.begin(), end.end(), [](const PlacedText& t) { return t.Text == "q3"; });
    ASSERT_NE(q3, end.end());
    EXPECT_DOUBLE_EQ(q3->At.y(), std::prev(q3)->At.y() + report.LineHeight);
}

TEST(InventoryReportPaging, ARowTallerThanAPageAfterAFullPageGoesOnRightUnderTheNextHeader) {
    const int r = RowsPerPage();
    InventoryReportData data = ReportRows(r + 1);
    QStringList words;
    for (int i = 0; i < (r + 10) * 12; ++i)
        words << "word" + QString::number(i);
    data.Rows[static_cast<size_t>(r)][5] = words.join(' ');
    const ComposedReport report = Compose(data);
    ASSERT_GE(report.Pages.size(), 3u);
    EXPECT_EQ(Rows(report.Pages[0]), r);
    // No page holds only its head: the tall row starts on page 2, under that page's header row.
    EXPECT_EQ(FirstColumn(report.Pages[1]).mid(0, 2),
              QStringList({"Quantity", "q" + QString::number(r + 1)}));
    for (size_t page = 1; page < report.Pages.size(); ++page) {
        const auto& texts = report.Pages[page];
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                                [](const PlacedText& text) { return text.Text.startsWith("word"); }))
            << "page " << page + 1 << " holds none of the row";
    }
}

TEST(InventoryReportPaging, APageDrawsTheSameAloneOrAmongTheOthers) {
    const int r = RowsPerPage();
    InventoryReport report(TestMessages::Prompts());
    std::vector<QImage> all, again, alone;
    ASSERT_TRUE(WithPreview(report, ReportRows(2 * r + 3), [&](PreviewForm& form) {
        all = PrintRange(report, form, 1, 3).Pages();
        alone = PrintRange(report, form, 2, 2).Pages();
        again = PrintRange(report, form, 1, 3).Pages();
    }));
    ASSERT_EQ(all.size(), 3u);
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone[0], all[1]);
    EXPECT_EQ(again, all);
    EXPECT_NE(all[0], all[1]);
}
