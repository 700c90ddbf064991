#include "ui/list/rich_list_model.h"

#include <utility>

QVariant RichListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::CheckStateRole && checkIndex(index, CheckIndexOption::IndexIsValid) &&
        index.column() == 0 && !states_.empty())
        return State(index.row()).Checked ? Qt::Checked : Qt::Unchecked;
    return ListModel::data(index, role);
}

QStringList RichListModel::Cells(int row) const {
    return row >= 0 && row < RowCount() ? rows_[static_cast<std::size_t>(row)] : QStringList();
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
    // New rows start with no state of their own; states stay parallel to the rows once any row has one.
    if (!states_.empty()) states_.assign(rows_.size(), ItemState{});
    endResetModel();
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

QStringView RichListModel::CellView(int column, int row) const {
    if (row < 0 || row >= RowCount()) return {};
    const QStringList& cells = rows_[static_cast<std::size_t>(row)];
    const qsizetype cell = qMax(column, 0);
    return cell < cells.size() ? QStringView(cells[cell]) : QStringView();
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

void RichListModel::ClearAll() {
    ClearRows();
    for (QString& caption : captions_)
        caption.clear();
    if (ColumnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, ColumnCount() - 1);
}

void RichListModel::PermuteRows(const std::vector<int>& order) {
    PermuteVector(rows_, order);
    PermuteVector(states_, order);
}

void RichListModel::EraseRows(const std::vector<bool>& gone) {
    EraseMarked(rows_, gone);
    EraseMarked(states_, gone);
}

void RichListModel::RotateRow(int from, int to) {
    RotateOne(rows_, from, to);
    RotateOne(states_, from, to);
}

const ItemState& RichListModel::State(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= states_.size()) return ListModel::State(row);
    return states_[static_cast<std::size_t>(row)];
}

void RichListModel::SetState(int row, ItemState state) {
    if (row < 0 || row >= RowCount()) return;
    if (states_.empty()) states_.resize(rows_.size());
    states_[static_cast<std::size_t>(row)] = std::move(state);
    emit dataChanged(index(row, 0), index(row, qMax(ColumnCount() - 1, 0)));
}
