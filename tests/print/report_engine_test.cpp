#include <gtest/gtest.h>
#include <random>

#include "platform/ui.h"
#include "report_test_support.h"
#include "support/test_support.h"

namespace {

// An engine laying out on letter paper that prints into a small in-memory device without asking.
class Engine : public ::testing::Test {
  protected:
    void SetUp() override {
        TestMessages::Clear();
        prn.ShowProgress = false;
        prn.ShowPrintDialog = false;
        auto device = std::make_unique<ImageDevice>(10);
        printed = device.get();
        prn.SetPrinter(std::move(device));
        prn.Start();
    }
    std::vector<PlacedText> Texts() { return PageTexts(*prn.Pages(), prn.Pages()->Count()); }
    double Width(const QString& text, const RpFont& font = RpFont()) {
        TextMeasure measure;
        measure.SetFont(font);
        return measure.Width(text) / TextMeasure::kDpi;
    }

    RpPrintObject prn{TestMessages::Prompts()};
    ImageDevice* printed = nullptr;
};

} // namespace

TEST_F(Engine, MarginsAreReplacedOnlyWhenReversedOrAtTheEdge) {
    prn.SetMargins(0.5, 10.5, 0.5, 8.0); // positions: half an inch on every side of a letter sheet
    prn.WriteText("left", -5, 1);
    prn.WriteTextRight("right", 2);
    prn.WriteTextCentered("mid", 3);
    prn.SetMargins(1, 10, 0, 7); // a left of 0 is the sheet's edge
    prn.WriteText("edge", -5, 4);
    prn.SetMargins(1, 10, 5, 3); // reversed: both become the edges
    prn.WriteTextRight("wide", 5);
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_DOUBLE_EQ(texts[0].At.x(), 0.5);
    EXPECT_NEAR(texts[1].At.x() + Width("right"), 8.0, 1.0 / 600);
    EXPECT_NEAR(texts[2].At.x() + Width("mid") / 2, 4.25, 1.0 / 600);
    EXPECT_DOUBLE_EQ(texts[3].At.x(), 0);
    EXPECT_NEAR(texts[4].At.x() + Width("wide"), 8.5, 1.0 / 600);
}

TEST_F(Engine, TextContinuesBehindThePreviousOneOrStartsAtTheMarginAndKeepsLongTexts) {
    prn.SetMargins(0.5, 10.5, 1.0, 8.0);
    prn.WriteText("one", 2, 1);
    prn.WriteText("two", -1, -2);
    prn.WriteText("three", -5, -2);
    const QString long300(300, QLatin1Char('x'));
    prn.WriteText(long300, 1, 2);
    prn.SetMeasurement(mtMM);
    prn.WriteText("mm", 25.4, 50.8);
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_NEAR(texts[1].At.x(), 2 + Width("one"), 1.0 / 600);
    EXPECT_EQ(texts[1].At.y(), texts[0].At.y());
    EXPECT_DOUBLE_EQ(texts[2].At.x(), 1.0);
    EXPECT_EQ(texts[3].Text, long300);
    EXPECT_DOUBLE_EQ(texts[4].At.x(), 1.0);
    EXPECT_DOUBLE_EQ(texts[4].At.y(), 2.0);
}

TEST_F(Engine, FontStackKeepsTenAndAnEmptyPopDoesNothing) {
    for (int size = 1; size <= 11; ++size) {
        RpFont font;
        font.Size = size;
        prn.SetFont(font);
        prn.SaveFont();
    }
    RpFont last;
    last.Size = 20;
    prn.SetFont(last);
    prn.RestoreFont(); // the 11th push kept nothing
    EXPECT_EQ(prn.Font().Size, 20);
    prn.RestoreFont();
    EXPECT_EQ(prn.Font().Size, 10);
    for (int i = 0; i < 12; ++i)
        prn.RestoreFont();
    EXPECT_EQ(prn.Font().Size, 1);

    prn.SetDetailTopBottom(1, 10);
    prn.TopOfPage();
    prn.RestoreYPosition(); // nothing saved: the line stays
    prn.WriteText("here", 1, -2);
    prn.SaveYPosition();
    prn.NextLine();
    prn.NextLine();
    prn.RestoreYPosition();
    prn.WriteText("again", 1, -2);
    const auto texts = Texts();
    EXPECT_DOUBLE_EQ(texts[0].At.y(), 1.0);
    EXPECT_DOUBLE_EQ(texts[1].At.y(), 1.0);
}

TEST_F(Engine, BadColumnsLinesAndPolygonsAreRefusedOnceWithoutRecording) {
    prn.SetColumnInformation(0, 1, 1);
    prn.SetColumnInformation(21, 1, 1);
    prn.SetColumnInformation(20, 1, 1);
    prn.WriteColumn(21, "lost", 1);
    prn.WriteColumn(20, "kept", 1);
    prn.SetHeaderInformation(11, "ignored", 0.5, 0, RpFont());
    prn.SetFooterInformation(10, "footer", 10.5, 0, RpFont());
    std::vector<QPointF> points(51, QPointF(1, 1));
    prn.Polygon(points);
    prn.PolyLine(points);
    points.pop_back();
    prn.Polygon(points);
    EXPECT_EQ(TestMessages::Shown(),
              QStringList({"Column value must be between 1 and 20.", "Column value must be between 1 and 20.",
                           "Error in Polygon command.", "Error in PolyLine command."}));
    int shapes = 0;
    for (const RpPrintCommand& command : prn.Pages()->Page(1)->Commands())
        if (const auto* shape = std::get_if<RpShape>(&command))
            shapes += shape->Points.size() == 50 ? 1 : 100;
    EXPECT_EQ(shapes, 1);
    prn.NewPage(); // finishes page 1 with its header and footer lines
    QStringList written;
    for (const PlacedText& text : PageTexts(*prn.Pages(), 1))
        written << text.Text;
    EXPECT_EQ(written, QStringList({"kept", "footer"}));
    EXPECT_DOUBLE_EQ(PageTexts(*prn.Pages(), 1)[0].At.x(), 1.02);
}

TEST_F(Engine, AReportWithoutOutputStillHasOnePage) {
    prn.Quit();
    EXPECT_EQ(printed->Pages().size(), 1u);
    EXPECT_FALSE(prn.Active());
}

TEST(ReportFonts, ArialIsLiberationSansUnhintedAndUnkerned) {
    const QFont font = ToQFont(RpFont());
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
    EXPECT_EQ(font.hintingPreference(), QFont::PreferNoHinting);
    EXPECT_FALSE(font.kerning());
}

TEST(PageNumberFormat, OnlyNumberAndPercentAreSubstituted) {
    EXPECT_EQ(FormatPageNumber("Page %d", 10), "Page 10");
    EXPECT_EQ(FormatPageNumber("%d%% of %s %x %", 7), "7% of %s %x %");
    EXPECT_EQ(FormatPageNumber("%%d", 3), "%d");
}

TEST(Wrapping, LinesAreGreedyWholeWordsThatNeverOverrunTheColumn) {
    std::mt19937 random(15);
    const QStringList vocabulary{"Brick", "2",     "x",     "4",       "with",  "Technic",
                                 "Holes", "and",   "Slope", "Minifig", "Torso", "WWWWWW",
                                 "iiii",  "Plate", "Round", "Modified"};
    TextMeasure measure;
    // Measured whole, at the reference resolution.
    QImage reference(1, 1, QImage::Format_RGB32);
    reference.setDotsPerMeterX(47244);
    reference.setDotsPerMeterY(47244);
    for (const RpFont& font : {RpFont(), RpFont{"Arial", 8, true}, RpFont{"Arial", 13.5}}) {
        measure.SetFont(font);
        double widest = 0;
        for (const QString& word : vocabulary)
            widest = std::max(widest, measure.Width(word));
        for (int trial = 0; trial < 200; ++trial) {
            QStringList words;
            const int count = 1 + static_cast<int>(random() % 30);
            for (int i = 0; i < count; ++i)
                words << vocabulary[static_cast<qsizetype>(random() %
                                                           static_cast<unsigned>(vocabulary.size()))];
            const QString text = words.join(' ');
            const double width =
                300.0 + static_cast<double>(random() % 3000); // reference pixels: 0.25 to 2.75 in
            const QStringList lines = measure.Wrap(text, width);
            // Nothing is lost or reordered; blanks go only where lines break.
            EXPECT_EQ(lines.join(QString()).remove(' '), QString(text).remove(' '));
            const QFontMetricsF exact(ToQFont(font), &reference);
            for (qsizetype i = 0; i < lines.size(); ++i) {
                EXPECT_LE(exact.horizontalAdvance(lines[i]), width + 1e-6) << lines[i].toStdString();
                // Greedy where no word needs breaking: the next line's first word would not have fitted.
                if (i + 1 < lines.size() && width >= widest) {
                    EXPECT_GT(exact.horizontalAdvance(lines[i] + ' ' + lines[i + 1].section(' ', 0, 0)),
                              width);
                }
            }
        }
    }
}

TEST(Wrapping, TheSameTextAskedAgainInAnotherFontOrWidthWrapsAfreshAndLosesNoBlank) {
    TextMeasure measure;
    const QString text = "Tile 1 x 2  with  Groove and a Pattern of Stripes ";
    const QStringList small = measure.Wrap(text, 1200);
    ASSERT_GT(small.size(), 1);
    EXPECT_EQ(measure.Wrap(text, 1200), small);
    measure.SetFont({"Arial", 16});
    const QStringList big = measure.Wrap(text, 1200);
    EXPECT_GT(big.size(), small.size());
    EXPECT_EQ(measure.Wrap(text, 12000).size(), 1);
    measure.SetFont(RpFont());
    EXPECT_EQ(measure.Wrap(text, 1200), small);
    // Every break takes the place of exactly one blank.
    for (const QStringList& lines : {small, big})
        EXPECT_EQ(lines.join(' '), text);
}

TEST(Wrapping, AWordWiderThanTheColumnIsBrokenBetweenCharacters) {
    TextMeasure measure;
    const QString word(200, QLatin1Char('m'));
    const QStringList lines = measure.Wrap("a " + word + " b", 600);
    ASSERT_GT(lines.size(), 3);
    EXPECT_EQ(lines.first(), "a");
    EXPECT_EQ(lines.join(QString()).remove(' '), "a" + word + "b");
    EXPECT_TRUE(lines.last().endsWith("b"));
    for (const QString& line : lines)
        EXPECT_LE(measure.Width(line), 600);
    EXPECT_EQ(measure.Wrap(QString(), 600), QStringList({QString()}));
    // A huge word costs its length: pieces are measured as they grow.
    const QString huge(200000, QLatin1Char('w'));
    const QStringList pieces = measure.Wrap(huge, 3600);
    EXPECT_EQ(pieces.join(QString()), huge);
    EXPECT_LE(measure.Width(pieces[pieces.size() / 2]), 3600);
    EXPECT_GT(measure.Width(pieces[pieces.size() / 2] + "w"), 3600);
}
