#include "app/label_rows.h"

#include "app/color_table.h"
#include "app/main_window.h"

int LabelRows::LabelRowCount() const {
    return window_.InventoryRowCount();
}

LabelRow LabelRows::LabelRowAt(int row) const {
    return {window_.InventoryCell(ColPartNumber, row), window_.InventoryCell(ColDescription, row),
            window_.Colours().LDrawColourByName(window_.InventoryCell(ColColor, row))};
}

PictureFolders LabelRows::LabelPictureFolders() const {
    return window_.PartPictureFolders();
}
