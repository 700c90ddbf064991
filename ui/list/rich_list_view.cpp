#include "ui/list/rich_list_view.h"

#include <QMouseEvent>
#include <QScrollBar>

#include "ui/list/list_sort.h"
#include "ui/list/mini_html.h"
#include "ui/list/rich_header_view.h"
#include "ui/list/rich_list_delegate.h"

RichListView::RichListView(QWidget* parent)
    : QTreeView(parent), header_(new RichHeaderView(*this)), delegate_(new RichListDelegate(*this)),
      textCache_(std::make_unique<HtmlTextCache>()) {
    setHeader(header_);
    setItemDelegate(delegate_);
    setModel(model_);
    SelectionColor = palette().color(QPalette::Highlight);
    SelectionTextColor = palette().color(QPalette::HighlightedText);
    headerFont_ = font();
    setMouseTracking(true);
    SetUpInput();
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    // unguarded: its owner guards the handlers it sets
    connect(header(), &QHeaderView::sectionClicked, this, &RichListView::HeaderClicked);
    // unguarded: its owner guards the handlers it sets
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (OnLeftClickCell) OnLeftClickCell(index.row(), index.column());
    });
}

RichListView::~RichListView() {
    std::vector<int> widths;
    for (int column = 0; column < ColumnCount(); ++column)
        widths.push_back(columnWidth(column));
    SaveColumnSizes(ColumnSizes, widths);
}

void RichListView::ShowModel(ListModel& model) {
    model_ = &model;
    setModel(model_);
    // A model that goes first leaves the list its own, empty one.
    // unguarded: falls back to the list's own model only
    connect(&model, &QObject::destroyed, this, [this] {
        model_ = &ownModel_;
        setModel(model_);
    });
}

int RichListView::AddColumn(const QString& caption, int width, Qt::Alignment alignment) {
    int column = model_->AddColumn(caption);
    if (column < 0) return column;
    setColumnWidth(column, width);
    alignments_.resize(static_cast<std::size_t>(ColumnCount()), Qt::AlignLeft);
    alignments_[static_cast<std::size_t>(column)] = alignment;
    return column;
}

Qt::Alignment RichListView::ColumnAlignment(int column) const {
    return column >= 0 && static_cast<std::size_t>(column) < alignments_.size()
               ? alignments_[static_cast<std::size_t>(column)]
               : Qt::AlignLeft;
}

void RichListView::SetHeaderHeight(int height) {
    headerHeight_ = height;
    updateGeometries();
    Remeasure();
}

void RichListView::SetHeaderFont(const QFont& font) {
    headerFont_ = font;
    updateGeometries();
    header_->viewport()->update();
}

void RichListView::SetHeaderOwnerDraw(bool on) {
    headerOwnerDraw_ = on;
    updateGeometries();
    header_->viewport()->update();
}

bool RichListView::FilterBar() const {
    return header_->FilterBar();
}

void RichListView::SetFilterBar(bool on) {
    header_->SetFilterBar(on);
    updateGeometries();
    Remeasure();
}

QString RichListView::FilterText(int column) const {
    return header_->FilterText(column);
}

void RichListView::SetHeaderFlatStyle(bool on) {
    // A flat header's captions are no buttons.
    header_->setSectionsClickable(!on);
}

void RichListView::SetHeaderHotTrack(bool on) {
    header_->setMouseTracking(on);
    header_->setAttribute(Qt::WA_Hover, on);
}

void RichListView::SetHeaderDragDrop(bool on) {
    header_->setSectionsMovable(on);
}

void RichListView::SelectItemAt(int index) {
    if (index < 0 || index >= RowCount()) return;
    QModelIndex cell = model_->index(index, 0);
    auto mode = selectionMode() == QAbstractItemView::SingleSelection ? QItemSelectionModel::ClearAndSelect
                                                                      : QItemSelectionModel::Select;
    selectionModel()->select(cell, mode | QItemSelectionModel::Rows);
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    scrollTo(cell);
}

void RichListView::scrollTo(const QModelIndex& index, QAbstractItemView::ScrollHint hint) {
    const int sideways = horizontalScrollBar()->value();
    QTreeView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(sideways);
}

int RichListView::SelectedRow() const {
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

void RichListView::SetSortColumn(int column) {
    const int previous = model_->LastSortColumn();
    model_->SetSortColumn(column, Order());
    ShowSortIndicator(previous, column);
}

void RichListView::ClickColumn(int column) {
    const int previous = model_->LastSortColumn();
    model_->ClickColumn(column, Order());
    ShowSortIndicator(previous, column);
}

void RichListView::SortByColumn(int column) {
    const int previous = model_->LastSortColumn();
    model_->SortByColumn(column, Order());
    ShowSortIndicator(previous, column);
}

void RichListView::ShowSortIndicator(int previous, int column) {
    if (!SortShow) return;
    if (column != previous && previous >= 0) header()->setSortIndicatorShown(false);
    if (column >= ColumnCount()) return;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column,
                               GetSortDirection() == sdDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void RichListView::SortItems() {
    model_->Reorder(SortOrder());
}

std::vector<int> RichListView::SortOrder() const {
    // The compare reads the column as the shared state holds it: -1 means the caption, column c the
    // sub-item c, one past in the model's cells.
    const int column = model_->SharedSort().column;
    const int sign = model_->SharedSort().sign;
    SortStyle style = ssText;
    QString prefix, suffix;
    if (OnGetFormat) OnGetFormat(column, style, prefix, suffix);
    if (style != ssCustom && style != ssRaw) return model_->TextOrder(style, prefix, suffix);
    // The compare events see the rows as they are; only the order is built aside.
    return StableOrder(RowCount(), [&](int row1, int row2) {
        int result = 1;
        if (style == ssRaw && OnRawCompare)
            OnRawCompare(column, row1, row2, result);
        else if (style == ssCustom && OnCustomCompare)
            OnCustomCompare(column, model_->GetCellText(column + 1, row1),
                            model_->GetCellText(column + 1, row2), result);
        return sign * result;
    });
}

void RichListView::HeaderClicked(int column) {
    if (SortShow) {
        if (column == model_->LastSortColumn())
            SetSortDirection(GetSortDirection() == sdAscending ? sdDescending : sdAscending);
        bool enable = true;
        if (OnSortStart) OnSortStart(column, enable);
        if (enable) {
            SortByColumn(column);
            if (OnSortDone) OnSortDone(column);
        }
    }
    if (OnColumnClick) OnColumnClick(column);
}

bool RichListView::CellAtPoint(const QPoint& point, int& row, int& column) const {
    QModelIndex index = indexAt(point);
    if (!index.isValid()) return false;
    row = index.row();
    column = index.column();
    return true;
}

QString RichListView::CellTextAtPoint(const QPoint& point) const {
    int row = 0, column = 0;
    return CellAtPoint(point, row, column) ? GetCellText(column, row) : QString();
}

QRect RichListView::CellRect(int row, int column) const {
    return visualRect(model_->index(row, column));
}
