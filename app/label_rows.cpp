#include "app/label_rows.h"

#include "app/color_table.h"
#include "app/main_window.h"

int LabelRows::LabelRowCount() const {
    return window_.Inventory().InventoryRowCount();
}

LabelRow LabelRows::LabelRowAt(int row) const {
    return {window_.Inventory().InventoryCell(ColPartNumber, row),
            window_.Inventory().InventoryCell(ColDescription, row),
            window_.Colours().LDrawColourByName(window_.Inventory().InventoryCell(ColColor, row))};
}

PictureFolders LabelRows::LabelPictureFolders() const {
    return window_.PartPictureFolders();
}
