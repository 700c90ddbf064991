#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "ui/list/list_compare.h"

// What a row shows beside its cells: a check mark, an image of the list's small images (-1 for none), an
// indent in steps of 16 pixels, and images of its sub-items.
struct ItemState {
    bool Checked = false;
    int ImageIndex = -1;
    int Indent = 0;
    QList<int> SubImages;
};

// What a cell is drawn with; the rows' own style first, then the list's OnDrawItemProp may change it.
struct CellStyle {
    QColor Brush;
    QFont Font;
    QColor FontColor;
};

// Black on light backgrounds, white on dark ones.
QColor ReadableTextColor(const QColor& background);

enum SortDirection { sdAscending, sdDescending };

// The sort sign and column that the lists of a window share: a list that sorts without setting its own
// direction sorts with the sign another list set last, ascending while none has set one.
struct SortState {
    int sign = 1;
    int column = 0;
};

// The rows a report list shows, addressed by (column, row) with the captions at row -1, and their sort: the
// sort column, the direction and the shared sign live with the rows, so that a sort needs no list. The row
// order is the list's order, also after a sort. Models keep their rows as they like; the changes of the row
// order and of the row count go through here, each inside its signals.
class ListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    // Cells are edited in place through the list, never through setData.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    // Captions by row -1, '' out of range.
    virtual QString GetCellText(int column, int row) const = 0;
    // Ignored out of range.
    virtual void SetCellText(int column, int row, const QString& text) = 0;
    // One cell's text (column 0 the caption) as a view valid until a row changes; empty out of range.
    virtual QStringView CellView(int column, int row) const = 0;
    // The texts of one column, as views valid until a row changes.
    std::vector<QStringView> ColumnTexts(int column) const;
    // The cells the row holds, as the clipboard copies them; none out of range.
    virtual QStringList Cells(int row) const = 0;
    // Many rows in one insertion; each list holds the cells in column order.
    virtual void AppendRows(std::vector<QStringList> rows) = 0;
    // A new last column; -1 where the columns are fixed.
    virtual int AddColumn(const QString& caption);
    // The row's state; a default one out of range and where rows have none.
    virtual const ItemState& State(int row) const;
    // Ignored out of range and where rows have no state.
    virtual void SetState(int row, ItemState state);
    // The look the rows give a cell (subItem is column - 1) before the list's own event; none by default.
    virtual void StyleCell(int row, int subItem, CellStyle& style) const;

    // Ignored out of range.
    void DeleteRow(int row);
    // Deletes many rows in one change; indexes out of range are ignored.
    void DeleteRows(std::vector<int> rows);
    // Every row gone; the column captions stay.
    void ClearRows();
    // Moves a row so that it ends at index to; selection and focus move with it.
    void MoveRow(int from, int to);
    // Puts the rows into the given order (order[i] is the old index of the new row i); anything but a
    // permutation of the rows is ignored.
    void Reorder(const std::vector<int>& order);

    void ShareSortState(std::shared_ptr<SortState> state) { sortState_ = std::move(state); }
    const SortState& SharedSort() const { return *sortState_; }
    void SetSortDirection(SortDirection direction);
    SortDirection GetSortDirection() const { return sortDirection_; }
    int SortColumn() const { return sortColumn_; }
    int LastSortColumn() const { return lastSortColumn_; }
    // The order of the rows by the column the shared state holds (-1 the captions) under a text-only style,
    // in the direction of the shared sign.
    std::vector<int> TextOrder(SortStyle style, const QString& prefix, const QString& suffix) const;
    // Sorts by column and remembers it as the last sort column; while order runs, the sort column is
    // column - 1. Without an order the texts compare as text.
    using OrderFunction = std::function<std::vector<int>()>;
    void SortByColumn(int column, const OrderFunction& order = {});
    // Sorts by column and remembers it as the sort column.
    void SetSortColumn(int column, const OrderFunction& order = {});
    // A click on a column header of the program's lists: the sort column flips its direction, another
    // column sorts in the direction last set on any list that shares the sign.
    void ClickColumn(int column, const OrderFunction& order = {});
    // Takes column as the sort column of rows the model has just put in that order itself.
    void SortedBy(int column);

  protected:
    // The row storage under the changes above, called inside their signals.
    virtual void PermuteRows(const std::vector<int>& order) = 0;
    virtual void EraseRows(const std::vector<bool>& gone) = 0;
    virtual void RotateRow(int from, int to) = 0;

  private:
    std::shared_ptr<SortState> sortState_ = std::make_shared<SortState>();
    SortDirection sortDirection_ = sdAscending;
    int sortColumn_ = -2;
    int lastSortColumn_ = -1;
};

// The storage steps of the row changes, for models that keep their rows in a vector.
template <class Row> void PermuteVector(std::vector<Row>& rows, const std::vector<int>& order) {
    if (rows.empty()) return;
    std::vector<Row> permuted;
    permuted.reserve(rows.size());
    for (int old : order)
        permuted.push_back(std::move(rows[static_cast<std::size_t>(old)]));
    rows.swap(permuted);
}

template <class Row> void EraseMarked(std::vector<Row>& rows, const std::vector<bool>& gone) {
    if (rows.empty()) return;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!gone[i]) rows[kept++] = std::move(rows[i]);
    rows.resize(kept);
}

template <class Row> void RotateOne(std::vector<Row>& rows, int from, int to) {
    if (rows.empty()) return;
    if (from < to)
        std::rotate(rows.begin() + from, rows.begin() + from + 1, rows.begin() + to + 1);
    else
        std::rotate(rows.begin() + to, rows.begin() + from, rows.begin() + from + 1);
}
