#include "ui/rich_list_model.h"

#include <algorithm>
#include <utility>

int RichListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int RichListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount();
}

QVariant RichListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    if (role == Qt::DisplayRole) return GetCellText(index.column(), index.row());
    if (role == Qt::CheckStateRole && index.column() == 0 && !states_.empty())
        return State(index.row()).Checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

QVariant RichListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount())
        return {};
    return captions_[static_cast<std::size_t>(section)];
}

Qt::ItemFlags RichListModel::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | (index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

QStringList RichListModel::Cells(int row) const {
    return row >= 0 && row < RowCount() ? rows_[static_cast<std::size_t>(row)] : QStringList();
}

void RichListModel::DeleteRows(std::vector<int> rows) {
    std::erase_if(rows, [this](int row) { return row < 0 || row >= RowCount(); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.size() <= 1) {
        if (!rows.empty()) DeleteRow(rows.front());
        return;
    }
    beginResetModel();
    std::vector<bool> gone(rows_.size(), false);
    for (int row : rows)
        gone[static_cast<std::size_t>(row)] = true;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (gone[i]) continue;
        rows_[kept] = std::move(rows_[i]);
        if (!states_.empty()) states_[kept] = std::move(states_[i]);
        ++kept;
    }
    rows_.resize(kept);
    if (!states_.empty()) states_.resize(kept);
    endResetModel();
}

int RichListModel::AddColumn(const QString& caption) {
    beginInsertColumns({}, ColumnCount(), ColumnCount());
    captions_.push_back(caption);
    endInsertColumns();
    return ColumnCount() - 1;
}

int RichListModel::AddRow(const QString& caption) {
    beginInsertRows({}, RowCount(), RowCount());
    rows_.push_back(QStringList{caption});
    if (!states_.empty()) states_.resize(rows_.size());
    endInsertRows();
    return RowCount() - 1;
}

void RichListModel::AppendRows(std::vector<QStringList> rows) {
    if (rows.empty()) return;
    beginInsertRows({}, RowCount(), RowCount() + static_cast<int>(rows.size()) - 1);
    for (QStringList& row : rows) {
        if (row.isEmpty()) row.append(QString());
        rows_.push_back(std::move(row));
    }
    if (!states_.empty()) states_.resize(rows_.size());
    endInsertRows();
}

void RichListModel::ResetRows(std::vector<QStringList> rows) {
    beginResetModel();
    for (QStringList& row : rows)
        if (row.isEmpty()) row.append(QString());
    rows_ = std::move(rows);
    endResetModel();
}

std::vector<QStringList> RichListModel::TakeRows() {
    beginResetModel();
    std::vector<QStringList> rows = std::exchange(rows_, {});
    endResetModel();
    return rows;
}

QString RichListModel::GetCellText(int column, int row) const {
    if (row < 0)
        return column >= 0 && column < ColumnCount() ? captions_[static_cast<std::size_t>(column)]
                                                     : QString();
    if (row >= RowCount()) return {};
    const QStringList& cells = rows_[static_cast<std::size_t>(row)];
    int cell = qMax(column, 0);
    return cell < cells.size() ? cells[cell] : QString();
}

std::vector<QStringView> RichListModel::ColumnTexts(int column) const {
    std::vector<QStringView> texts;
    texts.reserve(rows_.size());
    const qsizetype cell = qMax(column, 0);
    for (const QStringList& cells : rows_)
        texts.push_back(cell < cells.size() ? QStringView(cells[cell]) : QStringView());
    return texts;
}

void RichListModel::SetCellText(int column, int row, const QString& text) {
    if (column < 0 || row < 0 || column >= ColumnCount() || row >= RowCount()) return;
    QStringList& cells = rows_[static_cast<std::size_t>(row)];
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = text;
    QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void RichListModel::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    if (!states_.empty()) states_.erase(states_.begin() + row);
    endRemoveRows();
}

void RichListModel::ClearAll() {
    ClearRows();
    for (QString& caption : captions_)
        caption.clear();
    if (ColumnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, ColumnCount() - 1);
}

void RichListModel::ClearRows() {
    if (rows_.empty()) return;
    beginResetModel();
    rows_.clear();
    states_.clear();
    endResetModel();
}

void RichListModel::Reorder(const std::vector<int>& order) {
    if (order.size() != rows_.size()) return;
    // Only a permutation of the rows is taken: a repeated or missing row would lose or duplicate data.
    std::vector<int> newRowOf(order.size(), -1);
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] < 0 || order[i] >= RowCount() || newRowOf[static_cast<std::size_t>(order[i])] >= 0)
            return;
        newRowOf[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<QStringList> sorted;
    sorted.reserve(rows_.size());
    for (int oldRow : order)
        sorted.push_back(std::move(rows_[static_cast<std::size_t>(oldRow)]));
    rows_.swap(sorted);
    PermuteStates(order);
    QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from)
        to.append(index(newRowOf[static_cast<std::size_t>(old.row())], old.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void RichListModel::PermuteStates(const std::vector<int>& order) {
    if (states_.empty()) return;
    std::vector<ItemState> permuted;
    permuted.reserve(states_.size());
    for (int oldRow : order)
        permuted.push_back(std::move(states_[static_cast<std::size_t>(oldRow)]));
    states_.swap(permuted);
}

void RichListModel::MoveRow(int from, int to) {
    if (from < 0 || to < 0 || from >= RowCount() || to >= RowCount() || from == to) return;
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    const auto rotate = [&](auto& rows) {
        if (rows.empty()) return;
        if (from < to)
            std::rotate(rows.begin() + from, rows.begin() + from + 1, rows.begin() + to + 1);
        else
            std::rotate(rows.begin() + to, rows.begin() + from, rows.begin() + from + 1);
    };
    rotate(rows_);
    rotate(states_);
    endMoveRows();
}

const ItemState& RichListModel::State(int row) const {
    static const ItemState kNone;
    if (row < 0 || static_cast<std::size_t>(row) >= states_.size()) return kNone;
    return states_[static_cast<std::size_t>(row)];
}

void RichListModel::SetState(int row, ItemState state) {
    if (row < 0 || row >= RowCount()) return;
    if (states_.empty()) states_.resize(rows_.size());
    states_[static_cast<std::size_t>(row)] = std::move(state);
    emit dataChanged(index(row, 0), index(row, qMax(ColumnCount() - 1, 0)));
}
