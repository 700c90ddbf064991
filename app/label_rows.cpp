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

PictureFolders LabelRows::LabelPictureFolders() const {
    return context_.folders.Pictures();
}
