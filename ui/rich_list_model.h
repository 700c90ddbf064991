#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <functional>
#include <vector>

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
    // Ignored out of range.
    void DeleteRow(int row);
    // Every row gone and every column caption blanked.
    void ClearAll();
    // Every row gone; the column captions stay.
    void ClearRows();
    // Puts the rows into the given order (order[i] is the old index of the new row i); anything but a
    // permutation of the rows is ignored.
    void Reorder(const std::vector<int>& order);

    // The background of a cell, or an invalid colour for the default one.
    std::function<QColor(int column, int row)> CellColor;

  private:
    std::vector<QString> captions_;
    std::vector<QStringList> rows_;
};
