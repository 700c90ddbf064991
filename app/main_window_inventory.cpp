// The inventory commands of the main window: Add, Add Undefined and Combine Duplicates, and the windows that
// show the inventory's set fields.
#include <QLineEdit>

#include "app/add_part_dialog.h"
#include "app/main_window.h"
#include "app/settings_dialog.h"
#include "platform/ui.h"

void MainWindow::ShowSetFields(SettingsDialog* settings) {
    for (int field = 0; field < kSetFieldCount; ++field)
        settings->SetSetInformation(static_cast<SetField>(field),
                                    context_.inventory.SetInformation(static_cast<SetField>(field)));
    connect(&context_.inventory, &InventoryModel::SetInformationChanged, settings,
            Guarded(context_.Prompts(), [settings](SetField field, const QString& value) {
                settings->SetSetInformation(field, value);
            }));
    connect(settings, &SettingsDialog::SetInformationEdited, &context_.inventory,
            Guarded(context_.Prompts(), [this](SetField field, const QString& value) {
                context_.inventory.SetSetInformation(field, value);
            }));
}

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
