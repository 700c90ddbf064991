#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

#include "formats/picture_formats.h"
#include "label_test_rows.h"
#include "platform/ui.h"
#include "print/label_maker.h"
#include "print/label_preview.h"
#include "print/preview/pv_preview.h"
#include "print/preview/pv_thumbnails.h"
#include "support/answer_window.h"
#include "support/test_support.h"

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
    LabelPreview preview(TestMessages::Prompts());
    LDrawRenderer renderer;
    LabelMaker maker(rows, renderer, preview);
    Layout run = LayOut("L7163_Address", 1, preview, maker);
    EXPECT_EQ(run.pages, 1);
    EXPECT_EQ(run.pictures, 5);
    // Kept as large as the label less the picture's 0.5 mm inset (3.9 x 1.5 in at 96 per inch), not 400 x
    // 300.
    EXPECT_EQ(preview.PvPreview1->Pages().Resources.Graphics.Items(0).Size(), QSize(373, 143));
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
    LabelPreview preview(TestMessages::Prompts());
    LDrawRenderer renderer;
    LabelMaker maker(rows, renderer, preview);
    maker.ComboBox2->setCurrentText("L7160_Address");
    int pictures = -1;
    // The preview lays its labels out once it is up, letting events through; look when it is done.
    EXPECT_TRUE(AnswerWindow<LabelPreview>(
        [&] { maker.BitBtn2Click(); },
        [&](LabelPreview& shown) {
            pictures = shown.PvPreview1->Pages().Resources.Graphics.Count();
            shown.reject();
        },
        [](LabelPreview& shown) {
            return !BusyGuard::IsBusy() && shown.PvPreview1->Pages().Resources.Graphics.Count() > 0;
        }));
    EXPECT_EQ(pictures, 3);
    EXPECT_EQ(preview.PvLabelPrinter1.TemplateInfo()->Name, "L7160_Address");
    EXPECT_EQ(maker.result(), QDialog::Accepted);
}

namespace {

// Label windows whose rows p1 .. pn all show the same picture from a picture folder, fitted into the label,
// without text.
struct PictureLabels {
    PictureLabels(int count, const QImage& picture) : rows(TestLabelRows::Numbered(count)) {
        std::filesystem::create_directories(dir / "png");
        for (int i = 1; i <= count; ++i) {
            const QString name = QStringLiteral("p%1").arg(i);
            const std::filesystem::path file = dir / "png" / (name + ".png").toStdString();
            picture.save(QString::fromStdString(file.string()));
            rows.pictures.insert(name, {LabelPicture::PictureFile, file, {}});
        }
        RegisterPictureFormats();
        for (QCheckBox* box : {maker.CheckBox1, maker.CheckBox2, maker.CheckBox5})
            box->setChecked(false);
        maker.ComboBox1->setCurrentText("Image");
        maker.SpinEdit2->setValue(20);
        maker.BitBtn5->click(); // ix from -20 to 0
        maker.SpinEdit2->setValue(70);
        maker.BitBtn6->click();
        maker.BitBtn6->click(); // iy from -140 to 0
    }
    // Page n drawn at ppi per inch, on screen or on paper, optionally without its pictures.
    QImage Page(int n, double ppi, bool printer, bool pictures = true) {
        PvPageList& pages = preview.PvPreview1->Pages();
        for (auto& object : pages.Page(n).Objects())
            if (object->Id() == pvGraphicId) object->AsVisible()->SetVisible(pictures);
        const PvPoint size = pages.Page(n).Size;
        QImage page(int(size.X * ppi), int(size.Y * ppi), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        PvDrawContext context(painter, ppi, ppi, printer);
        pages.DrawPage(n, context);
        return page;
    }
    TempDir dir;
    TestLabelRows rows;
    LabelPreview preview{TestMessages::Prompts()};
    LDrawRenderer renderer;
    LabelMaker maker{rows, renderer, preview};
};

int Colours(const QImage& image, QRect area) {
    std::set<QRgb> seen;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            seen.insert(image.pixel(x, y));
    return int(seen.size());
}

} // namespace

TEST(LabelPreview, LabelsGoOntoTheirOwnPagesWhateverHappensToThePreviewMeanwhile) {
    QImage white(400, 400, QImage::Format_RGB32);
    white.fill(Qt::white);
    PictureLabels labels(140, white);
    LabelPreview& preview = labels.preview;
    preview.Label1->setText("L7163_Address");
    int clickedAt = 0;
    QObject::connect(preview.Progress, &QProgressBar::valueChanged, [&](int value) {
        if (value != 30) return; // on page 3
        QTest::mouseClick(preview.PvThumbnails1->Thumbnail(1), Qt::LeftButton);
        clickedAt = preview.PvPreview1->CurrentPage();
        preview.PvPreview1->FirstPage(); // as if the click had gone through
    });
    preview.LayOutLabels();
    EXPECT_EQ(clickedAt, 3) << "a click on a thumbnail during the layout changes nothing";
    ASSERT_EQ(preview.PvPreview1->PageCount(), 10);
    for (int n = 1; n <= 10; ++n) {
        int pictures = 0;
        for (const auto& object : preview.PvPreview1->Pages().Page(n).Objects())
            pictures += object->Id() == pvGraphicId;
        EXPECT_EQ(pictures, 14) << "page " << n;
    }
    EXPECT_TRUE(preview.PvThumbnails1->isEnabled()) << "the pages take input again once laid out";
    EXPECT_TRUE(preview.PvPreview1->isEnabled());
}

TEST(LabelPreview, PicturesLeaveEveryPixelOfTheOutlinesOnScreen) {
    QImage light(373, 143, QImage::Format_RGB32); // all an L7163 label shows
    light.fill(qRgb(255, 240, 160));
    PictureLabels labels(14, light);
    labels.preview.Label1->setText("L7163_Address");
    labels.preview.LayOutLabels();
    const QImage outlines = labels.Page(1, 96, false, false);
    const QImage page = labels.Page(1, 96, false);
    int lost = 0, outlined = 0, covered = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const bool line = qGray(outlines.pixel(x, y)) < 128;
            outlined += line;
            lost += line && page.pixel(x, y) != outlines.pixel(x, y);
            covered += page.pixel(x, y) == qRgb(255, 240, 160);
        }
    EXPECT_GT(outlined, 14 * 600) << "fourteen outlines, rows sharing their long edges";
    EXPECT_GT(covered, 14 * 360 * 130) << "the pictures fill their labels";
    EXPECT_EQ(lost, 0) << "outline pixels covered by a picture";
}

TEST(LabelPreview, APrintedLabelKeepsTheColoursOfItsPicture) {
    QImage shading(400, 400, QImage::Format_RGB32);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x)
            shading.setPixel(x, y, qRgb(x * 255 / 399, y * 255 / 399, 128));
    PictureLabels labels(1, shading);
    labels.preview.Label1->setText("L7163_Address");
    labels.preview.LayOutLabels();
    // Inside the first label, away from its outline: 0.18 + 0.1 in from the left, 0.63 + 0.1 from the top.
    const QRect inside(27, 70, 300, 100);
    const int shown = Colours(labels.Page(1, 96, false), inside);
    const int printed = Colours(labels.Page(1, 96, true), inside);
    EXPECT_GT(shown, 5000);
    EXPECT_EQ(printed, shown) << "paper shows the colours the screen shows";
}
