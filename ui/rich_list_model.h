#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

// What a row shows beside its cells: a check mark, an image of the list's small images (-1 for none), an
// indent in steps of 16 pixels, and images of its sub-items.
struct ItemState {
    bool Checked = false;
    int ImageIndex = -1;
    int Indent = 0;
    QList<int> SubImages;
};

// The rows of a report list: each row holds its caption (column 0) and its sub-items (column c is sub-item
// c - 1), and a row may hold fewer sub-items than there are columns. The model's row order is the list's
// order, also after a sort.
class RichListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Cells are edited in place through the list, never through setData.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int AddColumn(const QString& caption);
    int ColumnCount() const { return static_cast<int>(captions_.size()); }
    int RowCount() const { return static_cast<int>(rows_.size()); }

    // A new row with its caption; returns its index.
    int AddRow(const QString& caption);
    // Many rows in one insertion; each list holds the caption and then the sub-items.
    void AppendRows(std::vector<QStringList> rows);
    // All rows replaced in one reset; the column captions stay.
    void ResetRows(std::vector<QStringList> rows);
    // Every row handed over and gone from the list, in one reset; the column captions stay.
    std::vector<QStringList> TakeRows();
    // Captions by row -1, '' out of range.
    QString GetCellText(int column, int row) const;
    // The texts of one column (0 the captions), as views valid until a row changes.
    std::vector<QStringView> ColumnTexts(int column) const;
    // Ignored out of range; pads the row with empty sub-items up to the column.
    void SetCellText(int column, int row, const QString& text);
    // The caption and the sub-items the row holds; none out of range.
    QStringList Cells(int row) const;
    // Ignored out of range.
    void DeleteRow(int row);
    // Deletes many rows in one change; indexes out of range are ignored.
    void DeleteRows(std::vector<int> rows);
    // Every row gone and every column caption blanked.
    void ClearAll();
    // Every row gone; the column captions stay.
    void ClearRows();
    // Moves a row so that it ends at index to; selection and focus move with it.
    void MoveRow(int from, int to);
    // The row's state; a default one out of range.
    const ItemState& State(int row) const;
    // Ignored out of range.
    void SetState(int row, ItemState state);

    // Puts the rows into the given order (order[i] is the old index of the new row i); anything but a
    // permutation of the rows is ignored.
    void Reorder(const std::vector<int>& order);

  private:
    void PermuteStates(const std::vector<int>& order);

    std::vector<QString> captions_;
    std::vector<QStringList> rows_;
    // Parallel to rows_ once any row has a state; empty while none has.
    std::vector<ItemState> states_;
};
