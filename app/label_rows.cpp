#include "app/label_rows.h"

#include "app/app_context.h"

int LabelRows::LabelRowCount() const {
    return context_.inventory.InventoryRowCount();
}

LabelRow LabelRows::LabelRowAt(int row) const {
    const InventoryModel& inventory = context_.inventory;
    return {inventory.InventoryCell(ColPartNumber, row), inventory.InventoryCell(ColDescription, row),
            context_.colours.LDrawColourByName(inventory.InventoryCell(ColColor, row))};
}

LabelPicture LabelRows::LabelPictureFor(const QString& partNumber) {
    const PictureFolders folders = context_.folders.Pictures();
    const PictureChoice choice = chooser_.Choose(folders, partNumber);
    if (choice.kind == PictureKind::None) return {};
    if (choice.kind == PictureKind::LDraw) return {LabelPicture::LDrawPart, choice.file, folders.ldraw};
    return {LabelPicture::PictureFile, choice.file, {}};
}
