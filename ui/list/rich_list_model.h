#pragma once

#include <QStringList>
#include <vector>

#include "ui/list/list_model.h"

// The rows of a report list as texts: each row holds its caption (column 0) and its sub-items (column c is
// sub-item c - 1), and a row may hold fewer sub-items than there are columns.
class RichListModel : public ListModel {
    Q_OBJECT
  public:
    using ListModel::ListModel;

    QVariant data(const QModelIndex& index, int role) const override;

    int AddColumn(const QString& caption) override;
    int ColumnCount() const override { return static_cast<int>(captions_.size()); }
    int RowCount() const override { return static_cast<int>(rows_.size()); }

    // A new row with its caption; returns its index.
    int AddRow(const QString& caption);
    void AppendRows(std::vector<QStringList> rows) override;
    // All rows replaced in one reset; the column captions stay.
    void ResetRows(std::vector<QStringList> rows);
    QString GetCellText(int column, int row) const override;
    QStringView CellView(int column, int row) const override;
    // Pads the row with empty sub-items up to the column.
    void SetCellText(int column, int row, const QString& text) override;
    // The caption and the sub-items the row holds.
    QStringList Cells(int row) const override;
    // Every row gone and every column caption blanked.
    void ClearAll();
    const ItemState& State(int row) const override;
    void SetState(int row, ItemState state) override;

  protected:
    void PermuteRows(const std::vector<int>& order) override;
    void EraseRows(const std::vector<bool>& gone) override;
    void RotateRow(int from, int to) override;

  private:
    std::vector<QString> captions_;
    std::vector<QStringList> rows_;
    // Parallel to rows_ once any row has a state; empty while none has.
    std::vector<ItemState> states_;
};
