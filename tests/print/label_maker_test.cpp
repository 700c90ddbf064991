#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include "formats/picture_formats.h"
#include "label_test_rows.h"
#include "platform/ini.h"
#include "print/label_maker.h"
#include "print/label_preview.h"
#include "support/test_support.h"
#include "ui/bitmap/image_view.h"
#include "ui/controls/zc_color_combo_box.h"
#include "ui/forms/form_storage.h"

namespace {

// Rows of the label within (x, y, w, h) that are not white.
int Inked(const QImage& label, QRect area) {
    int inked = 0;
    area &= label.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            inked += (label.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return inked;
}

struct Windows {
    explicit Windows(TestLabelRows& rows)
        : preview(TestMessages::Prompts()), maker(rows, renderer, preview) {}
    LDrawRenderer renderer;
    LabelPreview preview;
    LabelMaker maker;
};

} // namespace

TEST(LabelMaker, OffsetsMoveComposeAndComeBackFromTheSettings) {
    TempDir dir;
    TestLabelRows rows = TestLabelRows::Numbered(2);
    {
        IniFile ini(dir / "Tessarin.ini");
        Windows windows(rows);
        LabelMaker& maker = windows.maker;
        new FormStorage(&maker, ini, TestMessages::Prompts(), "TForm8",
                        {"Label10.Caption", "SpinEdit7.MaxValue", "SpinEdit7.Value"});
        maker.show();
        EXPECT_EQ(maker.Label10->text(), "dx=20 dy=120 lx=10 ly=0 ex=20 ey=140 ix=-20 iy=-140");
        maker.ComboBox1->setCurrentText("Description");
        maker.BitBtn4->click(); // up by the step of 10
        EXPECT_EQ(maker.Label10->text(), "dx=20 dy=110 lx=10 ly=0 ex=20 ey=140 ix=-20 iy=-140");
        maker.ComboBox1->setCurrentText("Nothing");
        maker.BitBtn5->click();
        maker.ComboBox1->setCurrentText("Image");
        maker.SpinEdit2->setValue(30);
        maker.BitBtn3->click();
        EXPECT_EQ(maker.OffsetsText(), "dx=20 dy=110 lx=10 ly=0 ex=20 ey=140 ix=-50 iy=-140");
        maker.hide();
    }
    IniFile ini(dir / "Tessarin.ini");
    Windows windows(rows);
    new FormStorage(&windows.maker, ini, TestMessages::Prompts(), "TForm8", {"Label10.Caption"});
    windows.maker.show();
    EXPECT_EQ(windows.maker.OffsetsText(), "dx=20 dy=110 lx=10 ly=0 ex=20 ey=140 ix=-50 iy=-140");

    // Blanks change nothing; reading stops at the first field that is not a number, with the conversion
    // error: the fields before it are taken, the rest keep their values.
    windows.maker.ReadOffsets("    ");
    EXPECT_EQ(windows.maker.OffsetsText(), "dx=20 dy=110 lx=10 ly=0 ex=20 ey=140 ix=-50 iy=-140");
    try {
        windows.maker.ReadOffsets("dx=1 dy=oops lx=3");
        ADD_FAILURE() << "no conversion error";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "'oops' is not a valid integer value");
    }
    EXPECT_EQ(windows.maker.OffsetsText(), "dx=1 dy=110 lx=10 ly=0 ex=20 ey=140 ix=-50 iy=-140");
    // A stored text with a field missing is reported when the window opens, which opens all the same.
    windows.maker.hide();
    ini.WriteString("TForm8", "Label10_Caption", "dx=5 dy=6");
    TestMessages::Clear();
    windows.maker.show();
    EXPECT_EQ(TestMessages::Shown(), QStringList({"'' is not a valid integer value"}));
    EXPECT_EQ(windows.maker.OffsetsText(), "dx=5 dy=6 lx=10 ly=0 ex=20 ey=140 ix=-50 iy=-140");
    EXPECT_EQ(windows.maker.ComboBox2->count(), 19) << "the window is set up all the same";
}

TEST(LabelMaker, TheSampleShowsTheChosenSheetsLabelAndSaysHowMuchOfItPrints) {
    TestLabelRows rows = TestLabelRows::Numbered(1);
    Windows windows(rows);
    LabelMaker& maker = windows.maker;
    maker.show();
    // L7163_Address: 3.9 x 1.5 in less the picture's 0.5 mm inset, at 96 pixels per inch.
    EXPECT_TRUE(maker.LabelSize->text().contains("373 x 143 pixels"))
        << maker.LabelSize->text().toStdString();
    EXPECT_TRUE(maker.LabelSize->text().contains("cut off"));
    const auto red = [](const QImage& shown, QRect area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += shown.pixel(x, y) == qRgb(255, 0, 0);
        return count;
    };
    QImage shown = maker.Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(red(shown, QRect(370, 20, 5, 100)), 20) << "the label's right edge at 372";
    EXPECT_GT(red(shown, QRect(20, 140, 300, 5)), 100) << "its bottom edge at 142";
    maker.ComboBox2->setCurrentText("Avery_5160_Address"); // 2.63 x 1 in
    EXPECT_TRUE(maker.LabelSize->text().contains("251 x 95 pixels")) << maker.LabelSize->text().toStdString();
    shown = maker.Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(red(shown, QRect(248, 10, 5, 60)), 20);
    EXPECT_EQ(red(shown, QRect(370, 20, 5, 100)), 0);
    EXPECT_EQ(maker.LabelBitmap().size(), QSize(400, 300)) << "the composition keeps its size";
}

TEST(LabelMaker, TheColourBoxesListEveryColour) {
    TestLabelRows rows;
    Windows windows(rows);
    for (zcColorComboBox* box :
         {windows.maker.zcColorComboBox2, windows.maker.zcColorComboBox3, windows.maker.zcColorComboBox4}) {
        EXPECT_EQ(box->count(), 164) << "standard, extra, the special row and the system colours";
        EXPECT_EQ(box->itemText(138), "QuarnelSoft");
        EXPECT_TRUE(box->ColorOptions() & zcColorComboBox::zcmOtherColors) << "user colours asked for";
    }
}

TEST(LabelMaker, EachCompositionStartsOnAWhiteLabelAlsoWhileHidden) {
    TestLabelRows rows = TestLabelRows::Numbered(1);
    Windows windows(rows);
    LabelMaker& maker = windows.maker;
    ASSERT_FALSE(maker.isVisible());
    maker.CheckBox2->setChecked(false);
    maker.CheckBox1->setChecked(false);
    maker.Edit1->setText("WWWWWW");
    maker.ComposeLabel("p1", "Part 1");
    const QRect text(20, 140, 120, 30);
    EXPECT_GT(Inked(maker.LabelBitmap(), text), 50) << "composed although hidden";
    maker.ComboBox1->setCurrentText("Extra Text");
    maker.SpinEdit2->setValue(100);
    maker.BitBtn6->click(); // the extra text down by 100
    EXPECT_EQ(Inked(maker.LabelBitmap(), text), 0) << "no pixel of the last label stays";
    maker.SpinEdit1->setValue(100);
    maker.SpinEdit3->setValue(100);
    EXPECT_EQ(maker.LabelBitmap().size(), QSize(100, 100));
}

TEST(LabelMaker, StartLabelStaysWithinTheChosenSheet) {
    TestLabelRows rows;
    Windows windows(rows);
    LabelMaker& maker = windows.maker;
    maker.show();
    ASSERT_EQ(maker.ComboBox2->count(), 19);
    EXPECT_EQ(maker.ComboBox2->currentText(), "L7163_Address");
    maker.ComboBox2->setCurrentText("Herma_4209");
    EXPECT_EQ(maker.SpinEdit7->maximum(), 32);
    maker.SpinEdit7->setValue(20);
    maker.ComboBox2->setCurrentText("L7167_Shipping");
    EXPECT_EQ(maker.SpinEdit7->maximum(), 1);
    EXPECT_EQ(maker.StartLabel(), 1);
    maker.ComboBox2->setCurrentText("typed by hand");
    EXPECT_EQ(maker.SpinEdit7->maximum(), 1) << "an unknown name leaves the maximum";

    TestMessages::Clear();
    maker.BitBtn2->click();
    EXPECT_EQ(TestMessages::Shown(),
              QStringList({"You need to have items in your inventory list before making labels."}));
    EXPECT_TRUE(maker.isVisible());
}

TEST(LabelMaker, PicturesAreTheHostsLDrawPartOrPictureFileElseWhite) {
    TempDir dir;
    // A part drawn from a sub-file of its library: a wrong library draws nothing.
    WriteFileBytes(dir / "ldraw" / "parts" / "part.dat", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat\r\n");
    WriteFileBytes(dir / "ldraw" / "p" / "sub.dat", "4 16 -40 -40 0 40 -40 0 40 40 0 -40 40 0\r\n");
    // A part file the renderer cannot read: a folder of that name.
    std::filesystem::create_directories(dir / "ldraw" / "parts" / "broken.dat");
    WriteFileBytes(dir / "png" / "bad.png", "not a picture");
    QImage red(50, 50, QImage::Format_RGB32);
    red.fill(Qt::red);
    red.save(QString::fromStdString((dir / "png" / "3001.png").string()));
    RegisterPictureFormats();
    TestLabelRows rows;
    rows.rows = {{"3001", "Brick", 4},
                 {"part", "Part", 4},
                 {"missing", "Nothing", 4},
                 {"broken", "Broken", 4},
                 {"bad", "Bad picture", 4}};
    rows.pictures = {
        {"3001", {LabelPicture::PictureFile, dir / "png" / "3001.png", {}}},
        {"part", {LabelPicture::LDrawPart, dir / "ldraw" / "parts" / "part.dat", dir / "ldraw"}},
        {"broken", {LabelPicture::LDrawPart, dir / "ldraw" / "parts" / "broken.dat", dir / "ldraw"}},
        {"bad", {LabelPicture::PictureFile, dir / "png" / "bad.png", {}}}};
    Windows windows(rows);
    LabelMaker& maker = windows.maker;
    ShowPictureOnly(maker);
    maker.ComposeLabelForRow(1);
    EXPECT_EQ(maker.LabelBitmap().pixel(186, 101), qRgb(255, 0, 0)) << "the picture file";
    maker.ComposeLabelForRow(2);
    EXPECT_GT(Inked(maker.LabelBitmap(), maker.LabelBitmap().rect()), 100) << "the LDraw part";
    for (int row : {3, 4, 5}) {
        maker.ComposeLabelForRow(row);
        EXPECT_EQ(Inked(maker.LabelBitmap(), maker.LabelBitmap().rect()), 0) << "row " << row;
    }
}

// The stored settings are put back in their stored order, the start label after the offsets caption, and
// each recomposes the sample: the stored offsets must still be there when the window reads them.
TEST(LabelMaker, StoredOffsetsSurviveAStoredStartLabel) {
    TempDir dir;
    TestLabelRows rows = TestLabelRows::Numbered(1);
    IniFile ini(dir / "Tessarin.ini");
    const QStringList stored = {"Label10.Caption", "SpinEdit7.MaxValue", "SpinEdit7.Value"};
    const QString offsets = "dx=40 dy=100 lx=10 ly=0 ex=20 ey=140 ix=-20 iy=-140";
    ini.WriteString("TForm8", "Label10_Caption", offsets);
    ini.WriteInteger("TForm8", "SpinEdit7_MaxValue", 14);
    ini.WriteInteger("TForm8", "SpinEdit7_Value", 5);
    {
        Windows windows(rows);
        new FormStorage(&windows.maker, ini, TestMessages::Prompts(), "TForm8", stored);
        windows.maker.show();
        EXPECT_EQ(windows.maker.SpinEdit7->value(), 5);
        EXPECT_EQ(windows.maker.OffsetsText(), offsets);
        EXPECT_EQ(windows.maker.Label10->text(), offsets);
        windows.maker.hide();
        EXPECT_EQ(ini.ReadString("TForm8", "Label10_Caption", ""), offsets) << "written back as read";
    }
    ini.WriteString("TForm8", "Label10_Caption", "dx=7 dy=oops");
    TestMessages::Clear();
    Windows windows(rows);
    new FormStorage(&windows.maker, ini, TestMessages::Prompts(), "TForm8", stored);
    windows.maker.show();
    EXPECT_EQ(TestMessages::Shown(), QStringList({"'oops' is not a valid integer value"}));
    EXPECT_EQ(windows.maker.OffsetsText(), "dx=7 dy=120 lx=10 ly=0 ex=20 ey=140 ix=-20 iy=-140");
    EXPECT_EQ(windows.maker.Label10->text(), windows.maker.OffsetsText());
}

// A picture file shows whole inside the label's outline on each sheet at the default offsets: fitted into
// what the label shows, centred there and enlarged at most twice. Its four quarters in four colours must
// all be there, alike in size, in the picture's proportions, and nothing of it outside the outline.
TEST(LabelMaker, APictureFileShowsWholeInsideTheLabelsOutline) {
    TempDir dir;
    const QRgb quarters[] = {qRgb(255, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 255), qRgb(255, 160, 0)};
    // Wide, tall, small, and of an L7163 label's shape: its corners meet the label's round ones.
    const QSize sizes[] = {{316, 216}, {166, 316}, {60, 40}, {372, 142}};
    TestLabelRows rows;
    for (const QSize& size : sizes) {
        QImage picture(size, QImage::Format_RGB32);
        QPainter painter(&picture);
        const QSize quarter = size / 2;
        for (int q = 0; q < 4; ++q)
            painter.fillRect(QRect({q % 2 * quarter.width(), q / 2 * quarter.height()}, quarter),
                             QColor(quarters[q]));
        const QString part = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        const auto file = dir / (part.toStdString() + ".png");
        ASSERT_TRUE(picture.save(QString::fromStdString(file.string())));
        rows.rows.push_back({part, "Brick", 4});
        rows.pictures.insert(part, {LabelPicture::PictureFile, file, {}});
    }
    RegisterPictureFormats();
    Windows windows(rows);
    LabelMaker& maker = windows.maker;
    for (QCheckBox* box : {maker.CheckBox1, maker.CheckBox2, maker.CheckBox5})
        box->setChecked(false);
    for (const char* name : {"L7163_Address", "Avery_5160_Address"}) {
        maker.ComboBox2->setCurrentText(name);
        const PvLabelTemplateInfo& sheet = *windows.preview.PvLabelPrinter1.Templates().FindByName(name);
        const QPainterPath outline = LabelOutlineOnComposition(sheet);
        const QSize shown = ShownLabelSize(sheet.LabelWidth(), sheet.LabelHeight());
        for (size_t i = 0; i < std::size(sizes); ++i) {
            const QSize size = sizes[i];
            SCOPED_TRACE(std::string(name) + " " + rows.rows[i].partNumber.toStdString());
            maker.ComposeLabelForRow(int(i) + 1);
            const QImage& label = maker.LabelBitmap();
            int counts[4] = {}, outside = 0;
            QRect drawn;
            for (int y = 0; y < label.height(); ++y)
                for (int x = 0; x < label.width(); ++x) {
                    if ((label.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) continue;
                    drawn |= QRect(x, y, 1, 1);
                    outside += !outline.contains(QPointF(x + 0.5, y + 0.5));
                    for (int q = 0; q < 4; ++q)
                        counts[q] += label.pixel(x, y) == quarters[q];
                }
            EXPECT_EQ(outside, 0);
            const auto [fewest, most] = std::minmax_element(std::begin(counts), std::end(counts));
            EXPECT_GT(*fewest, 0);
            EXPECT_GE(*fewest, *most * 9 / 10) << "no quarter is cut";
            const double scale = double(drawn.width()) / size.width();
            EXPECT_NEAR(double(drawn.height()) / size.height(), scale, 0.02) << "the picture's proportions";
            EXPECT_NEAR(
                scale,
                std::min({2.0, double(shown.width()) / size.width(), double(shown.height()) / size.height()}),
                0.02)
                << "as large as the label shows, and at most twice as large";
            EXPECT_NEAR(drawn.center().x(), shown.width() / 2, 2) << "centred";
            EXPECT_NEAR(drawn.center().y(), shown.height() / 2, 2);
        }
    }
    // The sample, the first row's picture, follows the chosen sheet: below the 95 rows an Avery label shows.
    maker.show();
    maker.ComboBox2->setCurrentText("L7163_Address");
    EXPECT_GT(Inked(maker.LabelBitmap(), QRect(0, 95, 373, 48)), 1000);
}

// The note under the sample says all of what it says for every sheet, and no other control covers it.
TEST(LabelMaker, TheSizeNoteFitsItsLabelForEverySheet) {
    TestLabelRows rows;
    Windows windows(rows);
    LabelMaker& maker = windows.maker;
    maker.show();
    QLabel* note = maker.LabelSize;
    ASSERT_GT(maker.ComboBox2->count(), 0);
    for (int i = 0; i < maker.ComboBox2->count(); ++i) {
        maker.ComboBox2->setCurrentIndex(i);
        ASSERT_TRUE(note->text().contains(maker.ComboBox2->itemText(i) + " label shows"));
        const QRect room = note->contentsRect();
        const int flags = int(note->alignment()) | (note->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = note->fontMetrics().boundingRect(room, flags, note->text());
        EXPECT_TRUE(room.contains(needed)) << note->text().toStdString();
    }
    for (QWidget* sibling : maker.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (sibling != note && sibling->isVisible()) {
            EXPECT_FALSE(sibling->geometry().intersects(note->geometry()))
                << sibling->objectName().toStdString();
        }
}

// Enter anywhere in the dialog presses OK, which with no rows only says so: no move button takes it.
TEST(LabelMaker, EnterPressesOkAndMovesNothing) {
    TestLabelRows rows;
    Windows windows(rows);
    LabelMaker& maker = windows.maker;
    maker.show();
    const std::string offsets = maker.OffsetsText().toStdString();
    QList<QWidget*> targets{&maker,        maker.Edit1,   maker.ComboBox1, maker.ComboBox2,
                            maker.BitBtn3, maker.BitBtn4, maker.BitBtn5,   maker.BitBtn6};
    for (QSpinBox* spin : maker.findChildren<QSpinBox*>())
        targets << spin;
    for (QWidget* target : targets)
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            TestMessages::Clear();
            QTest::keyClick(target, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            EXPECT_EQ(maker.OffsetsText().toStdString(), offsets) << target->objectName().toStdString();
            EXPECT_EQ(TestMessages::Shown(),
                      QStringList({"You need to have items in your inventory list before making labels."}))
                << target->objectName().toStdString();
        }
    EXPECT_TRUE(maker.isVisible());
    for (QPushButton* button : maker.findChildren<QPushButton*>())
        EXPECT_EQ(button->autoDefault() || button->isDefault(), button == maker.BitBtn2)
            << button->objectName().toStdString();
}
