// The inventory side of the main window: its rows, the edit panel, the count, Delete and Combine
// Duplicates.
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTimer>

#include "app/add_part_dialog.h"
#include "app/inventory_fields.h"
#include "app/main_window.h"
#include "app/master_list.h"
#include "app/named_widgets.h"
#include "app/settings_dialog.h"
#include "platform/ui.h"

void MainWindow::CreateInventoryPanel() {
    Edit2->setValidator(MakeQuantityValidator(Edit2));
    // Only what the user types goes back into the row; filling the panel from a row does not.
    connect(Edit2, &QLineEdit::textEdited, this,
            [this](const QString& text) { PanelEdited(ColQuantity, text); });
    connect(Edit3, &QLineEdit::textEdited, this, [this](const QString& text) { PanelEdited(ColBag, text); });
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        if (!fillingPanel_) PanelEdited(ColNotes, Memo1->toPlainText());
    });
    invlist->OnLeftClickCell = Guarded([this] { invlistClick(); });
    connect(invlist->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { RefreshPanel(); });
    connect(&context_.inventory, &InventoryModel::CountChanged, Label5, &QLabel::setText);
    // A new inventory, or rows gone in one change, leave no row for the panel.
    connect(&context_.inventory, &QAbstractItemModel::modelReset, this, [this] { ClearEditPanel(); });
    // The set name follows the inventory, and what the user types goes into it.
    connect(&context_.inventory, &InventoryModel::SetNameChanged, Edit1, &QLineEdit::setText);
    connect(Edit1, &QLineEdit::textChanged, &context_.inventory, &InventoryModel::SetSetName);
}

void MainWindow::ShowSetFields(SettingsDialog* settings) {
    for (int field = 0; field < kSetFieldCount; ++field)
        settings->SetSetInformation(static_cast<SetField>(field),
                                    context_.inventory.SetInformation(static_cast<SetField>(field)));
    connect(&context_.inventory, &InventoryModel::SetInformationChanged, settings,
            [settings](SetField field, const QString& value) { settings->SetSetInformation(field, value); });
    connect(settings, &SettingsDialog::SetInformationEdited, &context_.inventory,
            &InventoryModel::SetSetInformation);
}

void MainWindow::SelectLastRow() {
    if (context_.inventory.InventoryRowCount() > 0)
        SelectInventoryRow(context_.inventory.InventoryRowCount() - 1);
}

void MainWindow::SelectInventoryRow(int row) {
    // Scrolling lays out the whole list and moves its pixels: once, after a burst of added rows, not on
    // every change of the current row.
    const bool autoScroll = invlist->hasAutoScroll();
    invlist->setAutoScroll(false);
    invlist->selectionModel()->setCurrentIndex(
        context_.inventory.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    invlist->setAutoScroll(autoScroll);
    if (scrollPending_) return;
    scrollPending_ = true;
    QTimer::singleShot(0, this, [this] {
        scrollPending_ = false;
        invlist->scrollTo(invlist->currentIndex());
    });
}

void MainWindow::RefreshPanel() {
    const int row = PanelRow();
    if (row < 0)
        ClearEditPanel();
    else if (!panelIndex_.isValid() || panelIndex_.row() != row)
        ShowRowInPanel(row);
}

void MainWindow::ClearEditPanel() {
    const QScopedValueRollback filling(fillingPanel_, true);
    panelIndex_ = QPersistentModelIndex();
    for (QLineEdit* edit : {Edit2, Edit3})
        edit->clear();
    Memo1->clear();
    for (QLabel* label : {PN, DES, COL})
        label->clear();
}

void MainWindow::ShowRowInPanel(int row) {
    const QScopedValueRollback filling(fillingPanel_, true);
    panelIndex_ = context_.inventory.index(row, 0);
    PN->setText(context_.inventory.InventoryCell(ColPartNumber, row));
    DES->setText(context_.inventory.InventoryCell(ColDescription, row));
    COL->setText(context_.inventory.InventoryCell(ColColor, row));
    Edit2->setText(context_.inventory.InventoryCell(ColQuantity, row));
    Edit3->setText(context_.inventory.InventoryCell(ColBag, row));
    Memo1->setPlainText(context_.inventory.InventoryCell(ColNotes, row));
}

void MainWindow::PanelEdited(int column, const QString& text) {
    if (!panelIndex_.isValid()) return;
    const int row = panelIndex_.row();
    // TAB and line ends would split the row in a saved file.
    context_.inventory.SetCellText(column, row, TabFileCell(text));
    context_.inventory.SetModified(true);
}

void MainWindow::invlistClick() {
    const int row = PanelRow();
    if (row < 0) return;
    ShowRowInPanel(row);
    const QString partNumber = context_.inventory.InventoryCell(ColPartNumber, row);
    const int master = FindCaption(legolist->Model(), partNumber);
    if (master >= 0) {
        ShowMasterHit(master);
        return;
    }
    shownPart_.clear();
    ShowNoPicture();
    ListBox1->clear();
    Label2->setText(context_.inventory.InventoryCell(ColDescription, row));
    Label3->setText(partNumber);
}

void MainWindow::invlistfocus(const QString& partNumber) {
    const QString upper = partNumber.toUpper();
    for (int row = 0; row < context_.inventory.InventoryRowCount(); ++row)
        if (context_.inventory.InventoryCell(ColPartNumber, row).toUpper() == upper) {
            SelectInventoryRow(row);
            return;
        }
}

void MainWindow::BitBtn4Click() {
    RichListView* list = !legolist2->isHidden() && legolist2->SelectedRow() >= 0 ? legolist2 : legolist;
    const int row = list->SelectedRow();
    if (row < 0) return;
    if (AddPartDialog* addPart = forms_.addPart.Get())
        addPart->ShowPartDialog(list->GetCellText(0, row), list->GetCellText(1, row));
}

void MainWindow::AddUndefinedClick() {
    if (AddPartDialog* addPart = forms_.addPart.Get()) addPart->ShowUndefinedPartDialog();
}

void MainWindow::BitBtn5Click() {
    const int row = PanelRow();
    if (row < 0) return;
    if (!Prompts().AskYesNo(QStringLiteral("Do you really want to delete ") +
                            context_.inventory.InventoryCell(ColPartNumber, row) + QLatin1Char(' ') +
                            context_.inventory.InventoryCell(ColBag, row) + QLatin1Char(' ') +
                            context_.inventory.InventoryCell(ColColor, row) +
                            QStringLiteral("\n\rfrom your list?")))
        return;
    context_.inventory.DeleteRow(row);
    invlist->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    ClearEditPanel();
    context_.inventory.SetModified(true);
}

void MainWindow::CombineDuplicatesClick() {
    if (context_.inventory.InventoryRowCount() == 0) return;
    QuantityWarning warning = context_.inventory.CombineDuplicates();
    ClearEditPanel();
    warning.Show(Prompts());
}
