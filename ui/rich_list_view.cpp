#include "ui/rich_list_view.h"

#include <QMouseEvent>

#include "ui/list_sort.h"
#include "ui/mini_html.h"
#include "ui/rich_header_view.h"
#include "ui/rich_list_delegate.h"

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
    connect(header(), &QHeaderView::sectionClicked, this, &RichListView::HeaderClicked);
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

void RichListView::ShowModel(RichListModel& model) {
    model_ = &model;
    setModel(model_);
    // A model that goes first leaves the list its own, empty one.
    connect(&model, &QObject::destroyed, this, [this] {
        model_ = &ownModel_;
        setModel(model_);
    });
}

int RichListView::AddColumn(const QString& caption, int width, Qt::Alignment alignment) {
    int column = model_->AddColumn(caption);
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

int RichListView::SelectedRow() const {
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

void RichListView::SetSortDirection(SortDirection direction) {
    sortDirection_ = direction;
    sortState_->sign = direction == sdDescending ? -1 : 1;
}

void RichListView::SetSortColumn(int column) {
    sortState_->column = column;
    sortColumn_ = column;
    SortByColumn(column);
}

void RichListView::SortByColumn(int column) {
    if (column != lastSortColumn_ && lastSortColumn_ >= 0 && SortShow) header()->setSortIndicatorShown(false);
    if (column < ColumnCount()) {
        lastSortColumn_ = column;
        sortColumn_ = column - 1;
        sortState_->column = column - 1;
        if (SortShow) {
            header()->setSortIndicatorShown(true);
            header()->setSortIndicator(column, sortDirection_ == sdDescending ? Qt::DescendingOrder
                                                                              : Qt::AscendingOrder);
        }
        SortItems();
    }
    sortColumn_ = lastSortColumn_;
    sortState_->column = lastSortColumn_;
}

void RichListView::SortItems() {
    // The compare reads the column as the shared state holds it: -1 means the caption, column c the
    // sub-item c, one past in the model's cells.
    const int column = sortState_->column;
    const int sign = sortState_->sign;
    SortStyle style = ssText;
    QString prefix, suffix;
    if (OnGetFormat) OnGetFormat(column, style, prefix, suffix);
    if (style != ssCustom && style != ssRaw) {
        model_->Reorder(KeyedOrder(model_->ColumnTexts(column + 1), style, sign, prefix, suffix));
        return;
    }
    // The compare events see the rows as they are; only the order is built aside.
    model_->Reorder(StableOrder(RowCount(), [&](int row1, int row2) {
        int result = 1;
        if (style == ssRaw && OnRawCompare)
            OnRawCompare(column, row1, row2, result);
        else if (style == ssCustom && OnCustomCompare)
            OnCustomCompare(column, model_->GetCellText(column + 1, row1),
                            model_->GetCellText(column + 1, row2), result);
        return sign * result;
    }));
}

void RichListView::HeaderClicked(int column) {
    if (SortShow) {
        if (column == lastSortColumn_)
            SetSortDirection(sortDirection_ == sdAscending ? sdDescending : sdAscending);
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
