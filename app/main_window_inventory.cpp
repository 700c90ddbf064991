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

namespace {

const ColorTable& NoColours() {
    static const ColorTable none;
    return none;
}

} // namespace

void MainWindow::CreateInventoryPanel() {
    Edit2->setValidator(MakeQuantityValidator(Edit2));
    // Only what the user types goes back into the row; filling the panel from a row does not.
    connect(Edit2, &QLineEdit::textEdited, this,
            Guarded(*prompts_, [this](const QString& text) { PanelEdited(ColQuantity, text); }));
    connect(Edit3, &QLineEdit::textEdited, this,
            Guarded(*prompts_, [this](const QString& text) { PanelEdited(ColBag, text); }));
    connect(Memo1, &QPlainTextEdit::textChanged, this, Guarded(*prompts_, [this] {
                if (!fillingPanel_) PanelEdited(ColNotes, Memo1->toPlainText());
            }));
    invlist->OnLeftClickCell = Guarded(*prompts_, [this] { invlistClick(); });
    connect(invlist->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            Guarded(*prompts_, [this] { RefreshPanel(); }));
    connect(&inventory_, &InventoryModel::CountChanged, Label5, &QLabel::setText); // unguarded: Qt's own slot
    // A new inventory, or rows gone in one change, leave no row for the panel.
    connect(&inventory_, &QAbstractItemModel::modelReset, this,
            Guarded(*prompts_, [this] { ClearEditPanel(); }));
    // The set name follows the inventory, and what the user types goes into it.
    connect(&inventory_, &InventoryModel::SetNameChanged, Edit1,
            &QLineEdit::setText); // unguarded: Qt's own slot
    connect(Edit1, &QLineEdit::textChanged, &inventory_,
            Guarded(*prompts_, [this](const QString& name) { inventory_.SetSetName(name); }));
}

void MainWindow::ShowSetFields(SettingsDialog* settings) {
    connect(&inventory_, &InventoryModel::SetInformationChanged, settings,
            Guarded(*prompts_, [settings](SetField field, const QString& value) {
                settings->SetSetInformation(field, value);
            }));
    connect(settings, &SettingsDialog::SetInformationEdited, &inventory_,
            Guarded(*prompts_, [this](SetField field, const QString& value) {
                inventory_.SetSetInformation(field, value);
            }));
}

const ColorTable& MainWindow::Colours() const {
    const AddPartDialog* addPart = forms_.addPart.Built();
    return addPart ? addPart->Colours() : NoColours();
}

void MainWindow::SelectLastRow() {
    if (inventory_.InventoryRowCount() > 0) SelectInventoryRow(inventory_.InventoryRowCount() - 1);
}

void MainWindow::SelectInventoryRow(int row) {
    // Scrolling lays out the whole list and moves its pixels: once, after a burst of added rows, not on
    // every change of the current row.
    const bool autoScroll = invlist->hasAutoScroll();
    invlist->setAutoScroll(false);
    invlist->selectionModel()->setCurrentIndex(inventory_.index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                             QItemSelectionModel::Rows);
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
    panelIndex_ = inventory_.index(row, 0);
    PN->setText(inventory_.InventoryCell(ColPartNumber, row));
    DES->setText(inventory_.InventoryCell(ColDescription, row));
    COL->setText(inventory_.InventoryCell(ColColor, row));
    Edit2->setText(inventory_.InventoryCell(ColQuantity, row));
    Edit3->setText(inventory_.InventoryCell(ColBag, row));
    Memo1->setPlainText(inventory_.InventoryCell(ColNotes, row));
}

void MainWindow::PanelEdited(int column, const QString& text) {
    if (!panelIndex_.isValid()) return;
    const int row = panelIndex_.row();
    // TAB and line ends would split the row in a saved file.
    inventory_.SetCellText(column, row, TabFileCell(text));
    inventory_.SetModified(true);
}

void MainWindow::invlistClick() {
    const int row = PanelRow();
    if (row < 0) return;
    ShowRowInPanel(row);
    const QString partNumber = inventory_.InventoryCell(ColPartNumber, row);
    const int master = FindCaption(legolist->Model(), partNumber);
    if (master >= 0) {
        ShowMasterHit(master);
        return;
    }
    shownPart_.clear();
    ShowNoPicture();
    ListBox1->clear();
    Label2->setText(inventory_.InventoryCell(ColDescription, row));
    Label3->setText(partNumber);
}

void MainWindow::invlistfocus(const QString& partNumber) {
    const QString upper = partNumber.toUpper();
    for (int row = 0; row < inventory_.InventoryRowCount(); ++row)
        if (inventory_.InventoryCell(ColPartNumber, row).toUpper() == upper) {
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
    if (!prompts_->AskYesNo(QStringLiteral("Do you really want to delete ") +
                            inventory_.InventoryCell(ColPartNumber, row) + QLatin1Char(' ') +
                            inventory_.InventoryCell(ColBag, row) + QLatin1Char(' ') +
                            inventory_.InventoryCell(ColColor, row) + QStringLiteral("\n\rfrom your list?")))
        return;
    inventory_.DeleteRow(row);
    invlist->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    ClearEditPanel();
    inventory_.SetModified(true);
}

void MainWindow::CombineDuplicatesClick() {
    if (inventory_.InventoryRowCount() == 0) return;
    QuantityWarning warning = inventory_.CombineDuplicates();
    ClearEditPanel();
    warning.Show(*prompts_);
}
