#include "app/master_list_model.h"

#include <numeric>
#include <utility>

void MasterListModel::ResetRows(MasterRows rows) {
    beginResetModel();
    rows_ = std::move(rows);
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), 0);
    endResetModel();
}

QStringView MasterListModel::Cell(int column, int row) const {
    const auto shown = static_cast<std::size_t>(order_[static_cast<std::size_t>(row)]);
    if (column <= 0) return rows_.Part(shown);
    return column == 1 ? rows_.Description(shown) : QStringView();
}

QString MasterListModel::GetCellText(int column, int row) const {
    if (row < 0) {
        if (column == 0) return QStringLiteral("Part Number");
        return column == 1 ? QStringLiteral("Description") : QString();
    }
    return row < RowCount() ? Cell(column, row).toString() : QString();
}

QStringView MasterListModel::CellView(int column, int row) const {
    return row >= 0 && row < RowCount() ? Cell(column, row) : QStringView();
}

QStringList MasterListModel::Cells(int row) const {
    if (row < 0 || row >= RowCount()) return {};
    return {Cell(0, row).toString(), Cell(1, row).toString()};
}

void MasterListModel::SetCellText(int, int, const QString&) {}

void MasterListModel::AppendRows(std::vector<QStringList>) {}

void MasterListModel::PermuteRows(const std::vector<int>& order) {
    PermuteVector(order_, order);
}

void MasterListModel::EraseRows(const std::vector<bool>& gone) {
    EraseMarked(order_, gone);
}

void MasterListModel::RotateRow(int from, int to) {
    RotateOne(order_, from, to);
}
