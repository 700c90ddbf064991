#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "formats/picture_formats.h"
#include "label_test_rows.h"
#include "platform/ini.h"
#include "print/label_maker.h"
#include "print/label_preview.h"
#include "support/test_support.h"
#include "ui/form_storage.h"

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
    explicit Windows(TestLabelRows& rows) : preview(), maker(rows, renderer, preview) {}
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
        new FormStorage(&maker, ini, "TForm8", {"Label10.Caption", "SpinEdit7.MaxValue", "SpinEdit7.Value"});
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
    new FormStorage(&windows.maker, ini, "TForm8", {"Label10.Caption"});
    windows.maker.show();
    EXPECT_EQ(windows.maker.OffsetsText(), "dx=20 dy=110 lx=10 ly=0 ex=20 ey=140 ix=-50 iy=-140");

    // Unreadable fields leave their offsets as they were; blanks change nothing.
    windows.maker.ReadOffsets("dx=1 dy=oops lx=3");
    EXPECT_EQ(windows.maker.OffsetsText(), "dx=1 dy=110 lx=3 ly=0 ex=20 ey=140 ix=-50 iy=-140");
    windows.maker.ReadOffsets("    ");
    EXPECT_EQ(windows.maker.OffsetsText(), "dx=1 dy=110 lx=3 ly=0 ex=20 ey=140 ix=-50 iy=-140");
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

TEST(LabelMaker, PicturesComeFromTheLDrawLibraryOrThePictureFoldersElseWhite) {
    TempDir dir;
    std::filesystem::create_directories(dir / "ldraw" / "parts");
    std::filesystem::create_directories(dir / "ldraw" / "p");
    std::filesystem::create_directories(dir / "png");
    WriteFileBytes(dir / "ldraw" / "LDRAW.EXE", "");
    // A part file the renderer cannot read: a folder of that name.
    std::filesystem::create_directories(dir / "ldraw" / "parts" / "broken.dat");
    QImage red(50, 50, QImage::Format_RGB32);
    red.fill(Qt::red);
    red.save(QString::fromStdString((dir / "png" / "3001.png").string()));
    RegisterPictureFormats();
    TestLabelRows rows;
    rows.rows = {{"3001", "Brick", 4}, {"missing", "Nothing", 4}, {"broken", "Broken", 4}};
    rows.folders.ldraw = dir / "ldraw";
    rows.folders.png = dir / "png";
    Windows windows(rows);
    LabelMaker& maker = windows.maker;
    for (QCheckBox* box : {maker.CheckBox1, maker.CheckBox2, maker.CheckBox5})
        box->setChecked(false);
    maker.ComboBox1->setCurrentText("Image");
    maker.SpinEdit2->setValue(20);
    maker.BitBtn5->click();
    maker.SpinEdit2->setValue(100);
    maker.BitBtn6->click();
    maker.BitBtn6->click(); // the picture's corner at (0, 60)
    maker.ComposeLabelForRow(1);
    EXPECT_EQ(maker.LabelBitmap().pixel(10, 70), qRgb(255, 0, 0)) << "the png of the part";
    for (int row : {2, 3}) {
        maker.ComposeLabelForRow(row);
        EXPECT_EQ(Inked(maker.LabelBitmap(), maker.LabelBitmap().rect()), 0) << "row " << row;
    }
}
