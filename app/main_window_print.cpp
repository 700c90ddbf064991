// The Print command: the inventory report of the rows as the list shows them.
#include "app/main_window.h"

namespace {

// A column or set field added on one side only must not write past the report's rows.
static_assert(InventoryReportData::kRowCells == size_t{InventoryColumnCount});
static_assert(InventoryReportData::kSetFields == size_t{kSetFieldCount});

InventoryReportData ReportData(const InventoryModel& inventory) {
    InventoryReportData data;
    data.Title = inventory.SetName();
    const int rows = inventory.InventoryRowCount();
    data.Rows.resize(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < InventoryColumnCount; ++column)
            data.Rows[static_cast<size_t>(row)][static_cast<size_t>(column)] =
                inventory.InventoryCell(column, row);
    for (int field = 0; field < kSetFieldCount; ++field)
        data.SetFields[static_cast<size_t>(field)] = inventory.SetInformation(static_cast<SetField>(field));
    data.CountText = inventory.CountText();
    return data;
}

} // namespace

void MainWindow::BitBtn9Click() {
    report_.Print(ReportData(context_.inventory));
}
