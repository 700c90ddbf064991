#include <gtest/gtest.h>

#include "print/preview/pv_label_printer.h"
#include "print/preview/pv_preview.h"
#include "support/test_support.h"

namespace {

const PvLabelTemplateInfo& Sheet(const char* name) {
    static const PvLabelTemplateList templates;
    const PvLabelTemplateInfo* info = templates.FindByName(QString::fromLatin1(name));
    EXPECT_NE(info, nullptr) << name;
    return *info;
}

void ExpectAt(const PvLabelPlacement& label, const PvLabelTemplateInfo& sheet, int page, int col, int row) {
    EXPECT_EQ(label.page, page) << label.labelNum;
    EXPECT_EQ(label.col, col) << label.labelNum;
    EXPECT_EQ(label.row, row) << label.labelNum;
    EXPECT_NEAR(double(label.rect.Left), double(sheet.LeftMargin() + (col - 1) * sheet.HorzSpacing()), 1e-9);
    EXPECT_NEAR(double(label.rect.Top), double(sheet.TopMargin() + (row - 1) * sheet.VertSpacing()), 1e-9);
}

} // namespace

TEST(PvLabelTemplates, NineteenBuiltInSheetsAllFitTheirPaper) {
    const PvLabelTemplateList templates;
    ASSERT_EQ(templates.Count(), 19);
    const std::pair<const char*, int> perPage[] = {
        {"L7159_Address", 24},  {"L7160_Address", 21},      {"L7161_Address", 18},  {"L7162_Address", 16},
        {"L7163_Address", 14},  {"L7164_Address", 12},      {"L7165_Parcel", 8},    {"L7166_Parcel", 6},
        {"L7167_Shipping", 1},  {"L7168_Shipping", 2},      {"L7169_Parcel", 4},    {"L7170_Eurofolio", 24},
        {"L7171_LeverArch", 4}, {"L7172_RingBinder", 18},   {"L7173_Shipping", 10}, {"L7263_Address", 14},
        {"J8660_Diskette", 10}, {"Avery_5160_Address", 30}, {"Herma_4209", 32}};
    for (int i = 0; i < templates.Count(); ++i) {
        const PvLabelTemplateInfo& sheet = *templates.Items(i);
        EXPECT_EQ(QString::fromLatin1(perPage[i].first), sheet.Name);
        EXPECT_EQ(sheet.LabelsPerPage(), perPage[i].second) << perPage[i].first;
        // The whole run of one sheet stays on the paper.
        const PvLabelLayout layout = LayoutLabels(sheet, 1, sheet.LabelsPerPage(), pvRows);
        EXPECT_EQ(layout.pages, 1) << perPage[i].first;
        const PvPoint paper = sheet.SheetSize();
        for (const PvLabelPlacement& label : layout.labels) {
            EXPECT_GE(label.rect.Left, 0);
            EXPECT_GE(label.rect.Top, 0);
            EXPECT_LE(double(label.rect.Right), double(paper.X) + 0.005) << sheet.Name.toStdString();
            EXPECT_LE(double(label.rect.Bottom), double(paper.Y) + 0.005) << sheet.Name.toStdString();
        }
    }
    EXPECT_EQ(templates.FindById(Avery_8160_Address), nullptr);
    EXPECT_EQ(templates.FindById(Custom_Template), nullptr);
    EXPECT_EQ(templates.FindByName("l7163_address")->Id, L7163_Address);
    EXPECT_EQ(templates.FindByName(""), nullptr);
    EXPECT_NEAR(double(Sheet("Herma_4209").LabelWidth(pvMillimeters)), 96, 1e-9);
    EXPECT_EQ(templates.Items(-1), nullptr);
}

TEST(PvLabelLayout, RunsFillRowsThenPagesFromTheStartLabel) {
    const PvLabelTemplateInfo& avery = Sheet("Avery_5160_Address");
    const PvLabelLayout run = LayoutLabels(avery, 1, 31, pvRows);
    EXPECT_EQ(run.pages, 2);
    ASSERT_EQ(run.labels.size(), 31u);
    for (int i = 0; i < 3; ++i)
        ExpectAt(run.labels[size_t(i)], avery, 0, i + 1, 1);
    ExpectAt(run.labels[29], avery, 0, 3, 10);
    ExpectAt(run.labels[30], avery, 1, 1, 1);
    EXPECT_EQ(LayoutLabels(avery, 1, 30, pvRows).pages, 1) << "a full sheet adds no page";

    const PvLabelTemplateInfo& l7159 = Sheet("L7159_Address");
    const PvLabelLayout fromFour = LayoutLabels(l7159, 4, 3, pvRows);
    ASSERT_EQ(fromFour.labels.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(fromFour.labels[size_t(i)].labelNum, i + 1);
        ExpectAt(fromFour.labels[size_t(i)], l7159, 0, i + 1, 2);
    }
    // A start beyond the sheet leaves whole pages empty before the first label.
    const PvLabelLayout late = LayoutLabels(Sheet("L7167_Shipping"), 3, 1, pvRows);
    EXPECT_EQ(late.pages, 3);
    EXPECT_EQ(late.labels[0].page, 2);
    EXPECT_TRUE(LayoutLabels(l7159, 1, 0, pvRows).labels.empty());
}

TEST(PvLabelLayout, ColumnsRunDownAndOnlyColumnOrderAsksForHeights) {
    const PvLabelTemplateInfo& euro = Sheet("L7170_Eurofolio");
    const PvLabelLayout run = LayoutLabels(euro, 1, 25, pvColumns);
    EXPECT_EQ(run.pages, 2);
    for (int i = 0; i < 24; ++i)
        ExpectAt(run.labels[size_t(i)], euro, 0, 1, i + 1);
    ExpectAt(run.labels[24], euro, 1, 1, 1);

    const PvLabelTemplateInfo& l7163 = Sheet("L7163_Address");
    int asked = 0;
    const PvLabelHeightFn half = [&asked](int, int, int, long double& height, long double& step) {
        ++asked;
        height /= 2;
        step /= 2;
    };
    const PvLabelLayout packed = LayoutLabels(l7163, 1, 8, pvColumns, half);
    EXPECT_EQ(asked, 8);
    EXPECT_NEAR(double(packed.labels[1].rect.Top - packed.labels[0].rect.Top), 0.75, 1e-9);
    EXPECT_NEAR(double(packed.labels[0].rect.Height()), 0.75, 1e-9);
    EXPECT_EQ(packed.labels[7].col, 2) << "the column still ends after Rows positions";
    asked = 0;
    LayoutLabels(l7163, 1, 8, pvRows, half);
    EXPECT_EQ(asked, 0);
}

TEST(PvLabelPrinter, DrawsOutlinesClipsAndLabelsOnThePreviewPages) {
    PvPreview preview{TestMessages::Prompts()};
    PvLabelPrinter printer{TestMessages::Prompts()};
    printer.Preview = &preview;
    printer.SetTemplate(L7163_Address);
    printer.StartLabel = 4;
    std::vector<int> drawn;
    printer.OnDrawLabel = [&drawn](int labelNum, const PvValueRect&, PvCanvas&) {
        drawn.push_back(labelNum);
    };
    printer.DrawLabels(15);
    EXPECT_EQ(drawn.size(), 15u);
    ASSERT_EQ(preview.PageCount(), 2);
    // Per label: outline, clip, remove-clip; after the first remove-clip of the run.
    EXPECT_EQ(preview.Pages().Page(1).Objects().size(), 1u + 11 * 3);
    EXPECT_EQ(preview.Pages().Page(2).Objects().size(), 4u * 3);
    EXPECT_EQ(preview.Pages().Page(1).Objects()[1]->Id(), pvRoundRectId);
    EXPECT_EQ(preview.Pages().Page(1).Objects()[2]->Id(), pvClipRoundRectId);
    EXPECT_EQ(preview.Pages().Resources.Pens.Count(), 1) << "every outline shares one pen";

    preview.Clear();
    printer.SetTemplate(Avery_5160_Address);
    printer.DrawLabels(0);
    EXPECT_EQ(preview.PaperSize(), Letter) << "the sheet is set up even for no labels";
    EXPECT_EQ(preview.Pages().Page(1).Objects().size(), 1u);
    printer.SetTemplate(Avery_8160_Address);
    EXPECT_EQ(printer.LabelsPerPage(), 0);
    printer.DrawLabels(5);
    EXPECT_EQ(preview.Pages().Page(1).Objects().size(), 1u) << "no template, nothing drawn";

    TestMessages::Clear();
    PvLabelPrinter unattached{TestMessages::Prompts()};
    unattached.DrawLabels(3);
    EXPECT_EQ(
        TestMessages::Shown(),
        QStringList(
            {"PvLabelPrinter Error!\n\nThe \"Preview\" property must be set to a TPvPreview component"}));
}
