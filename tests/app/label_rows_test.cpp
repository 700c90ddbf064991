#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "app/label_rows.h"
#include "formats/picture_formats.h"
#include "inventory_window.h"
#include "platform/ini.h"
#include "print/label_maker.h"
#include "print/label_preview.h"
#include "print/label_test_rows.h"
#include "ui/kit/make_named.h"

TEST(LabelRows, LabelsReadTheInventoryRowsOfTheMainWindow) {
    InventoryWindow inventory;
    inventory.Add("3001", "Red", "2");
    inventory.Add("3020", "Unknown colour", "1");
    const LabelRows rows(*inventory.context);
    ASSERT_EQ(rows.LabelRowCount(), 2);
    const LabelRow first = rows.LabelRowAt(0);
    EXPECT_EQ(first.partNumber, "3001");
    EXPECT_EQ(first.description, "Brick 2 x 4");
    EXPECT_EQ(first.ldrawColour, 4);
    EXPECT_EQ(rows.LabelRowAt(1).ldrawColour, 7) << "a colour not in the table is drawn in the default";
    EXPECT_EQ(rows.LabelRowAt(5).partNumber, "");
}

TEST(LabelRows, PicturesComeFromTheLDrawLibraryOrThePictureFoldersElseWhite) {
    InventoryWindow inventory;
    const std::filesystem::path& dir = inventory.dir.path();
    std::filesystem::create_directories(dir / "library" / "parts");
    std::filesystem::create_directories(dir / "library" / "p");
    std::filesystem::create_directories(dir / "png");
    WriteFileBytes(dir / "library" / "LDRAW.EXE", "");
    WriteFileBytes(dir / "library" / "parts" / "3003.dat", "0 Brick 2 x 2\r\n");
    // A part file the renderer cannot read: a folder of that name.
    std::filesystem::create_directories(dir / "library" / "parts" / "broken.dat");
    QImage red(50, 50, QImage::Format_RGB32);
    red.fill(Qt::red);
    red.save(QString::fromStdString((dir / "png" / "3001.png").string()));
    RegisterPictureFormats();
    for (const char* part : {"3001", "missing", "broken"})
        inventory.Add(part, "Red", "1");
    inventory.context->folders.SetFolder(FolderKind::LDraw,
                                         QString::fromStdString((dir / "library").string()));
    inventory.context->folders.SetFolder(FolderKind::Png, QString::fromStdString((dir / "png").string()));
    LabelRows rows(*inventory.context);
    const LabelPicture part = rows.LabelPictureFor("3003");
    EXPECT_EQ(part.kind, LabelPicture::LDrawPart);
    EXPECT_EQ(part.library, dir / "library") << "the LDraw folder of the settings";
    EXPECT_EQ(part.file, dir / "library" / "parts" / "3003.dat");
    const LabelPicture picture = rows.LabelPictureFor("3001");
    EXPECT_EQ(picture.kind, LabelPicture::PictureFile);
    EXPECT_EQ(picture.file, dir / "png" / "3001.png");

    LabelPreview preview(inventory.prompts);
    LabelMaker maker(rows, inventory.context->renderer, preview);
    ShowPictureOnly(maker);
    maker.ComposeLabelForRow(1);
    EXPECT_EQ(maker.LabelBitmap().pixel(186, 101), qRgb(255, 0, 0)) << "the png of the part";
    for (int row : {2, 3}) {
        maker.ComposeLabelForRow(row);
        QImage white(maker.LabelBitmap().size(), maker.LabelBitmap().format());
        white.fill(Qt::white);
        EXPECT_EQ(maker.LabelBitmap(), white) << "row " << row;
    }
}

TEST(LabelRows, TheLabelButtonOpensTheLabelMakerWhoseSettingsAreKept) {
    InventoryWindow inventory;
    inventory.Add("3001", "Red", "2");
    LabelRows rows(*inventory.context);
    auto* preview = new LabelPreview(inventory.prompts, inventory.window.get());
    auto* maker = new LabelMaker(rows, inventory.context->renderer, *preview, inventory.window.get());
    Forms forms;
    forms.labelMaker = maker;
    inventory.window->SetForms(forms);
    EXPECT_TRUE(
        AnswerWindow<LabelMaker>([&] { FindNamed<QPushButton>(*inventory.window, "BitBtn10")->click(); },
                                 [](LabelMaker& shown) {
                                     EXPECT_EQ(shown.Label10->text(), shown.OffsetsText());
                                     shown.MoveItem(1, 0);
                                     shown.reject();
                                 }));
    IniFile saved(inventory.dir / "Tessarin.ini");
    saved.Load();
    EXPECT_EQ(saved.Value("TForm8", "Label10_Caption").value_or(QString()),
              "dx=20 dy=120 lx=10 ly=0 ex=20 ey=140 ix=-10 iy=-140");
}
