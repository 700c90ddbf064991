#include "ui/list/list_model.h"

#include "ui/list/list_sort.h"

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    if (role == Qt::DisplayRole) return GetCellText(index.column(), index.row());
    return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount())
        return {};
    return GetCellText(section, -1);
}

// The view's layout asks for every row's index and flags each time rows come or go: both are answered
// here, without the base classes' checks through rowCount and columnCount.
QModelIndex ListModel::index(int row, int column, const QModelIndex& parent) const {
    const bool inside =
        !parent.isValid() && row >= 0 && column >= 0 && row < RowCount() && column < ColumnCount();
    return inside ? createIndex(row, column) : QModelIndex();
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return QAbstractTableModel::flags(index);
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

int ListModel::AddColumn(const QString&) {
    return -1;
}

const ItemState& ListModel::State(int) const {
    static const ItemState kNone;
    return kNone;
}

void ListModel::SetState(int, ItemState) {}

void ListModel::StyleCell(int, int, CellStyle&) const {}

void ListModel::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    beginRemoveRows({}, row, row);
    std::vector<bool> gone(static_cast<std::size_t>(RowCount()), false);
    gone[static_cast<std::size_t>(row)] = true;
    EraseRows(gone);
    endRemoveRows();
}

void ListModel::DeleteRows(std::vector<int> rows) {
    std::erase_if(rows, [this](int row) { return row < 0 || row >= RowCount(); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.size() <= 1) {
        if (!rows.empty()) DeleteRow(rows.front());
        return;
    }
    beginResetModel();
    std::vector<bool> gone(static_cast<std::size_t>(RowCount()), false);
    for (int row : rows)
        gone[static_cast<std::size_t>(row)] = true;
    EraseRows(gone);
    endResetModel();
}

void ListModel::ClearRows() {
    if (RowCount() == 0) return;
    beginResetModel();
    EraseRows(std::vector<bool>(static_cast<std::size_t>(RowCount()), true));
    endResetModel();
}

void ListModel::MoveRow(int from, int to) {
    if (from < 0 || to < 0 || from >= RowCount() || to >= RowCount() || from == to) return;
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    RotateRow(from, to);
    endMoveRows();
}

void ListModel::Reorder(const std::vector<int>& order) {
    if (order.size() != static_cast<std::size_t>(RowCount())) return;
    // Only a permutation of the rows is taken: a repeated or missing row would lose or duplicate data.
    std::vector<int> newRowOf(order.size(), -1);
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] < 0 || order[i] >= RowCount() || newRowOf[static_cast<std::size_t>(order[i])] >= 0)
            return;
        newRowOf[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    PermuteRows(order);
    QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from)
        to.append(index(newRowOf[static_cast<std::size_t>(old.row())], old.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListModel::SetSortDirection(SortDirection direction) {
    sortDirection_ = direction;
    sortState_->sign = direction == sdDescending ? -1 : 1;
}

std::vector<int> ListModel::TextOrder(SortStyle style, const QString& prefix, const QString& suffix) const {
    // Column c of the shared state is sub-item c, one past in the cells.
    return KeyedOrder(ColumnTexts(sortState_->column + 1), style, sortState_->sign, prefix, suffix);
}

void ListModel::SortByColumn(int column, const OrderFunction& order) {
    if (column < ColumnCount()) {
        lastSortColumn_ = column;
        sortColumn_ = column - 1;
        sortState_->column = column - 1;
        Reorder(order ? order() : TextOrder(ssText, {}, {}));
    }
    sortColumn_ = lastSortColumn_;
    sortState_->column = lastSortColumn_;
}

void ListModel::SetSortColumn(int column, const OrderFunction& order) {
    sortState_->column = column;
    sortColumn_ = column;
    SortByColumn(column, order);
}

void ListModel::SortedBy(int column) {
    lastSortColumn_ = sortColumn_ = sortState_->column = column;
}

void ListModel::ClickColumn(int column, const OrderFunction& order) {
    if (column == SortColumn())
        SetSortDirection(GetSortDirection() == sdAscending ? sdDescending : sdAscending);
    SetSortColumn(column, order);
}

std::vector<QStringView> ListModel::ColumnTexts(int column) const {
    std::vector<QStringView> texts;
    texts.reserve(static_cast<std::size_t>(RowCount()));
    for (int row = 0; row < RowCount(); ++row)
        texts.push_back(CellView(column, row));
    return texts;
}
