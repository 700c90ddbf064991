#include "ui/rich_list_model.h"

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
    if (role == Qt::BackgroundRole && CellColor) {
        QColor colour = CellColor(index.column(), index.row());
        if (colour.isValid()) return colour;
    }
    return {};
}

QVariant RichListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount())
        return {};
    return captions_[static_cast<std::size_t>(section)];
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
    QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from)
        to.append(index(newRowOf[static_cast<std::size_t>(old.row())], old.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
