#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/label_rows.h"
#include "inventory_window.h"
#include "platform/ini.h"
#include "print/label_maker.h"
#include "print/label_preview.h"
#include "ui/make_named.h"

TEST(LabelRows, LabelsReadTheInventoryRowsAndPictureFoldersOfTheMainWindow) {
    InventoryWindow inventory;
    inventory.Add("3001", "Red", "2");
    inventory.Add("3020", "Unknown colour", "1");
    inventory.context->folders.SetFolder(FolderKind::LDraw,
                                         QString::fromStdString((inventory.dir / "ldraw").string()));
    const LabelRows rows(*inventory.context);
    ASSERT_EQ(rows.LabelRowCount(), 2);
    const LabelRow first = rows.LabelRowAt(0);
    EXPECT_EQ(first.partNumber, "3001");
    EXPECT_EQ(first.description, "Brick 2 x 4");
    EXPECT_EQ(first.ldrawColour, 4);
    EXPECT_EQ(rows.LabelRowAt(1).ldrawColour, 7) << "a colour not in the table is drawn in the default";
    EXPECT_EQ(rows.LabelRowAt(5).partNumber, "");
    EXPECT_EQ(rows.LabelPictureFolders().ldraw, inventory.dir / "ldraw");
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
    InventoryWindow::WhenShown([maker] {
        ASSERT_TRUE(maker->isVisible());
        EXPECT_EQ(maker->Label10->text(), maker->OffsetsText());
        maker->MoveItem(1, 0);
        maker->reject();
    });
    FindNamed<QPushButton>(*inventory.window, "BitBtn10")->click();
    IniFile saved(inventory.dir / "Tessarin.ini");
    saved.Load();
    EXPECT_EQ(saved.Value("TForm8", "Label10_Caption").value_or(QString()),
              "dx=20 dy=120 lx=10 ly=0 ex=20 ey=140 ix=-10 iy=-140");
}
