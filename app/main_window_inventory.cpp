// The inventory commands of the main window: Add, Add Undefined and Combine Duplicates.
#include <QLineEdit>

#include "app/add_part_dialog.h"
#include "app/main_window.h"
#include "platform/ui.h"

void MainWindow::BitBtn4Click() {
    QString partNumber, description;
    if (!master_->SelectedForAdd(partNumber, description)) return;
    if (AddPartDialog* addPart = forms_.addPart.Get()) addPart->ShowPartDialog(partNumber, description);
}

void MainWindow::AddUndefinedClick() {
    if (AddPartDialog* addPart = forms_.addPart.Get()) addPart->ShowUndefinedPartDialog();
}

void MainWindow::CombineDuplicatesClick() {
    if (context_.inventory.InventoryRowCount() == 0) return;
    QuantityWarning warning = context_.inventory.CombineDuplicates();
    panel_->ClearEditPanel();
    warning.Show(context_.Prompts());
}
