#pragma once

#include <vector>

#include "app/master_list.h"
#include "ui/list/list_model.h"

// The master parts list as the list shows it: the columns "Part Number" and "Description" over master rows,
// whose texts are made only for the cells asked for. Sorting and deleting reorder row numbers; the rows
// themselves come from master.txt only.
class MasterListModel : public ListModel {
    Q_OBJECT
  public:
    using ListModel::ListModel;

    // All rows replaced in one reset, in file order.
    void ResetRows(MasterRows rows);

    int RowCount() const override { return static_cast<int>(order_.size()); }
    int ColumnCount() const override { return 2; }
    QString GetCellText(int column, int row) const override;
    QStringView CellView(int column, int row) const override;
    QStringList Cells(int row) const override;
    // Master rows are read, never edited or added through the list: both are ignored.
    void SetCellText(int column, int row, const QString& text) override;
    void AppendRows(std::vector<QStringList> rows) override;

  protected:
    void PermuteRows(const std::vector<int>& order) override;
    void EraseRows(const std::vector<bool>& gone) override;
    void RotateRow(int from, int to) override;

  private:
    // The cell of a master row; column 0 the part number, 1 the description, others none.
    QStringView Cell(int column, int row) const;

    MasterRows rows_;
    std::vector<int> order_; // the master row shown at each list row
};
