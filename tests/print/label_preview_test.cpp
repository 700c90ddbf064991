#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "label_test_rows.h"
#include "platform/ui.h"
#include "print/label_maker.h"
#include "print/label_preview.h"
#include "print/preview/pv_preview.h"
#include "print/preview/pv_thumbnails.h"

namespace {

struct Layout {
    int pages;
    int pictures; // label pictures on all pages
    int outlines;
};

Layout LayOut(const QString& sheet, int start, LabelPreview& preview, LabelMaker& maker) {
    maker.ComboBox2->setCurrentText(sheet);
    maker.SpinEdit7->setValue(start);
    preview.Label1->setText(sheet);
    preview.LayOutLabels();
    Layout run{preview.PvPreview1->PageCount(), 0, 0};
    for (int n = 1; n <= run.pages; ++n)
        for (const auto& object : preview.PvPreview1->Pages().Page(n).Objects()) {
            run.pictures += object->Id() == pvGraphicId;
            run.outlines += object->Id() == pvRoundRectId;
        }
    return run;
}

} // namespace

TEST(LabelPreview, OneLabelPerRowFromTheStartLabelOnTheChosenSheet) {
    TestLabelRows rows = TestLabelRows::Numbered(5);
    LabelPreview preview;
    LDrawRenderer renderer;
    LabelMaker maker(rows, renderer, preview);
    Layout run = LayOut("L7163_Address", 1, preview, maker);
    EXPECT_EQ(run.pages, 1);
    EXPECT_EQ(run.pictures, 5);
    // Kept as large as the label less the picture's 0.5 mm inset (3.9 x 1.5 in at 96 per inch), not 400 x
    // 300.
    EXPECT_EQ(preview.PvPreview1->Pages().Resources.Graphics.Items(0).image.size(), QSize(373, 143));
    run = LayOut("L7163_Address", 4, preview, maker);
    EXPECT_EQ(run.outlines, 8) << "positions 1-3 outlined and empty, rows 1-5 on 4-8";
    EXPECT_EQ(run.pictures, 5);
    EXPECT_EQ(preview.PvThumbnails1->Count(), 1);

    rows = TestLabelRows::Numbered(14);
    EXPECT_EQ(LayOut("L7163_Address", 1, preview, maker).pages, 1) << "a full sheet adds no page";
    rows = TestLabelRows::Numbered(15);
    run = LayOut("L7163_Address", 1, preview, maker);
    EXPECT_EQ(run.pages, 2);
    EXPECT_EQ(preview.PvThumbnails1->Count(), 2);
    EXPECT_EQ(preview.PvPreview1->Pages().Page(2).Objects().size(), 4u) << "one label on the second page";

    // A name that is no template keeps the sheet used last.
    run = LayOut("typed by hand", 1, preview, maker);
    EXPECT_EQ(preview.PvLabelPrinter1.TemplateInfo()->Name, "L7163_Address");
    // A start label beyond the sheet is taken as its last position.
    rows = TestLabelRows::Numbered(1);
    maker.ComboBox2->setCurrentText("L7167_Shipping");
    run = LayOut("L7167_Shipping", 1, preview, maker);
    preview.Label1->setText("L7167_Shipping");
    maker.SpinEdit7->setMaximum(99);
    maker.SpinEdit7->setValue(5);
    preview.LayOutLabels();
    EXPECT_EQ(preview.PvPreview1->PageCount(), 1);
    // Equal labels are stored once (pictures whose rows end in unused bytes included).
    rows.rows.assign(6, rows.rows.front());
    LayOut("L7163_Address", 1, preview, maker);
    EXPECT_EQ(preview.PvPreview1->Pages().Resources.Graphics.Count(), 1);
}

TEST(LabelPreview, OkShowsTheLabelsOfTheChosenSheetAndClosesTheMaker) {
    TestLabelRows rows = TestLabelRows::Numbered(3);
    LabelPreview preview;
    LDrawRenderer renderer;
    LabelMaker maker(rows, renderer, preview);
    maker.ComboBox2->setCurrentText("L7160_Address");
    int pictures = -1;
    // The preview lays its labels out once it is up, letting events through; look when it is done.
    std::function<void()> look = [&] {
        if (!preview.isVisible() || BusyGuard::IsBusy() ||
            preview.PvPreview1->Pages().Resources.Graphics.Count() == 0) {
            QTimer::singleShot(1, look);
            return;
        }
        pictures = preview.PvPreview1->Pages().Resources.Graphics.Count();
        preview.reject();
    };
    QTimer::singleShot(0, look);
    maker.BitBtn2Click();
    EXPECT_EQ(pictures, 3);
    EXPECT_EQ(preview.PvLabelPrinter1.TemplateInfo()->Name, "L7160_Address");
    EXPECT_EQ(maker.result(), QDialog::Accepted);
}
