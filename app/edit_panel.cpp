#include "app/edit_panel.h"

#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextLayout>
#include <QTimer>

#include "app/app_context.h"
#include "app/inventory_fields.h"
#include "app/named_widgets.h"
#include "platform/ui.h"

namespace {

// The text as the label can show it in whole lines: wrapped at its width, as many lines as its height holds,
// the last one cut short with an ellipsis when the text goes on.
QString WholeLines(const QString& text, const QLabel& label) {
    const QFontMetrics metrics = label.fontMetrics();
    const QRect box = label.contentsRect();
    // Lines stand a line spacing apart; the last needs no leading below it.
    const qsizetype fitting = std::max(1, (box.height() + metrics.leading()) / metrics.lineSpacing());
    QTextLayout layout(text, label.font(), &label);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        if (lines.size() + 1 == fitting) {
            lines << metrics.elidedText(text.mid(line.textStart()), Qt::ElideRight, box.width());
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines.join(QLatin1Char('\n'));
}

} // namespace

EditPanel::EditPanel(AppContext& context, QWidget* client, const std::shared_ptr<SortState>& sortState)
    : QObject(client), context_(context) {
    CreatePanel(client);
    CreateList(client, sortState);
    InventoryModel& inventory = context_.inventory;
    Edit2->setValidator(MakeQuantityValidator(Edit2));
    // Only what the user types goes back into the row; filling the panel from a row does not.
    UserPrompts& prompts = context_.Prompts();
    connect(Edit2, &QLineEdit::textEdited, this,
            Guarded(prompts, [this](const QString& text) { PanelEdited(ColQuantity, text); }));
    connect(Edit3, &QLineEdit::textEdited, this,
            Guarded(prompts, [this](const QString& text) { PanelEdited(ColBag, text); }));
    connect(Memo1, &QPlainTextEdit::textChanged, this, Guarded(prompts, [this] {
                if (!fillingPanel_) PanelEdited(ColNotes, Memo1->toPlainText());
            }));
    invlist->OnLeftClickCell = Guarded(prompts, [this] { invlistClick(); });
    connect(invlist->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            Guarded(prompts, [this] { RefreshPanel(); }));
    // A new inventory, or rows gone in one change, leave no row for the panel.
    connect(&inventory, &QAbstractItemModel::modelReset, this,
            Guarded(prompts, [this] { ClearEditPanel(); }));
}

// The panel is as tall as its lines in the window's font: the "Other jpgs" list below it keeps room for a
// few names at the smallest window size.
void EditPanel::CreatePanel(QWidget* client) {
    Panel1 = MakeNamed<QFrame>(client, "Panel1");
    Panel1->setFrameShape(QFrame::StyledPanel);
    const int line = client->fontMetrics().height();
    PN = MakePlainLabel(Panel1, "PN", QString(), QRect(8, 6, 184, line));
    DES = MakePlainLabel(Panel1, "DES", QString(), QRect(8, PN->y() + line + 2, 184, 2 * line));
    // Filled in whole lines (WholeLines): a wrapped label would centre more lines than it holds and cut
    // the first and last.
    DES->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    COL = MakePlainLabel(Panel1, "COL", QString(), QRect(8, DES->y() + 2 * line + 2, 184, line));
    Edit2 = MakeNamed<QLineEdit>(Panel1, "Edit2");
    const int editTop = COL->y() + line + 6, editHeight = Edit2->sizeHint().height();
    Edit2->setGeometry(8, editTop, 60, editHeight);
    Edit3 = MakeNamed<QLineEdit>(Panel1, "Edit3");
    Edit3->setGeometry(76, editTop, 60, editHeight);
    Memo1 = MakeNamed<QPlainTextEdit>(Panel1, "Memo1");
    Memo1->setGeometry(8, editTop + editHeight + 6, 184, 2 * line + 12);
    Panel1->setGeometry(0, 0, 200, Memo1->y() + Memo1->height() + 8);
    Button1 = MakeNamed<QPushButton>(Panel1, "Button1", QString());
    Button1->hide();
}

void EditPanel::CreateList(QWidget* client, const std::shared_ptr<SortState>& sortState) {
    invlist = MakeNamed<RichListView>(client, "invlist");
    invlist->ShowModel(context_.inventory);
    for (int column = 0; int width : {0, 75, 75, 30, 75, 300, 160})
        invlist->setColumnWidth(column++, width);
    invlist->setColumnHidden(0, true);
    // The stored widths, widened where the font needs more for a caption ("Part Number").
    for (int column = 1; column < invlist->ColumnCount(); ++column)
        invlist->setColumnWidth(
            column, std::max(invlist->columnWidth(column), invlist->header()->sectionSizeHint(column)));
    invlist->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Printsettings& print = invlist->PrintSettings;
    print.Time = print.Date = ppBottomRight;
    print.PageNr = ppBottomLeft;
    print.Title = ppBottomCenter;
    print.RepeatHeaders = true;
    invlist->setGeometry(8, 0, 400, 100);
    // One sort sign and column with the master lists; it starts ascending.
    invlist->ShareSortState(sortState);
    invlist->SetSortDirection(sdAscending);
    invlist->OnColumnClick = [this](int column) { invlist->ClickColumn(column); };
}

void EditPanel::SelectLastRow() {
    const int rows = context_.inventory.InventoryRowCount();
    if (rows > 0) SelectInventoryRow(rows - 1);
}

void EditPanel::SelectInventoryRow(int row) {
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

void EditPanel::SelectPart(const QString& partNumber) {
    const InventoryModel& inventory = context_.inventory;
    const QString upper = partNumber.toUpper();
    for (int row = 0; row < inventory.InventoryRowCount(); ++row)
        if (inventory.InventoryCell(ColPartNumber, row).toUpper() == upper) {
            SelectInventoryRow(row);
            return;
        }
}

int EditPanel::LDrawColourOf(const QString& partNumber) const {
    const int row = Row();
    const InventoryModel& inventory = context_.inventory;
    if (row < 0 || inventory.InventoryCell(ColPartNumber, row) != partNumber) return 7;
    return context_.colours.LDrawColourByName(inventory.InventoryCell(ColColor, row));
}

void EditPanel::RefreshPanel() {
    const int row = Row();
    if (row < 0)
        ClearEditPanel();
    else if (!panelIndex_.isValid() || panelIndex_.row() != row)
        ShowRowInPanel(row);
}

void EditPanel::ClearEditPanel() {
    const QScopedValueRollback filling(fillingPanel_, true);
    panelIndex_ = QPersistentModelIndex();
    for (QLineEdit* edit : {Edit2, Edit3})
        edit->clear();
    Memo1->clear();
    for (QLabel* label : {PN, DES, COL})
        label->clear();
}

void EditPanel::ShowRowInPanel(int row) {
    const QScopedValueRollback filling(fillingPanel_, true);
    const InventoryModel& inventory = context_.inventory;
    panelIndex_ = inventory.index(row, 0);
    PN->setText(inventory.InventoryCell(ColPartNumber, row));
    DES->setText(WholeLines(inventory.InventoryCell(ColDescription, row), *DES));
    COL->setText(inventory.InventoryCell(ColColor, row));
    Edit2->setText(inventory.InventoryCell(ColQuantity, row));
    Edit3->setText(inventory.InventoryCell(ColBag, row));
    Memo1->setPlainText(inventory.InventoryCell(ColNotes, row));
}

void EditPanel::PanelEdited(int column, const QString& text) {
    if (!panelIndex_.isValid()) return;
    // TAB and line ends would split the row in a saved file.
    context_.inventory.SetCellText(column, panelIndex_.row(), TabFileCell(text));
    context_.inventory.SetModified(true);
}

void EditPanel::invlistClick() {
    const int row = Row();
    if (row < 0) return;
    ShowRowInPanel(row);
    const InventoryModel& inventory = context_.inventory;
    emit RowShown(inventory.InventoryCell(ColPartNumber, row), inventory.InventoryCell(ColDescription, row));
}

void EditPanel::DeleteSelected() {
    const int row = Row();
    if (row < 0) return;
    InventoryModel& inventory = context_.inventory;
    if (!context_.Prompts().AskYesNo(
            QStringLiteral("Do you really want to delete ") + inventory.InventoryCell(ColPartNumber, row) +
            QLatin1Char(' ') + inventory.InventoryCell(ColBag, row) + QLatin1Char(' ') +
            inventory.InventoryCell(ColColor, row) + QStringLiteral("\n\rfrom your list?")))
        return;
    inventory.DeleteRow(row);
    invlist->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    ClearEditPanel();
    inventory.SetModified(true);
}
