#pragma once

#include <QTreeView>
#include <functional>
#include <memory>

#include "ui/list_compare.h"
#include "ui/rich_list_model.h"

enum SortDirection { sdAscending, sdDescending };

// The sort sign and column that every list of a window shares: a list that sorts without setting its own
// direction sorts with the sign another list set last.
struct SortState {
    int sign = 0;
    int column = 0;
};

// A report list of text cells addressed by (column, row), sortable by a column with a pluggable compare.
class RichListView : public QTreeView {
    Q_OBJECT
  public:
    explicit RichListView(QWidget* parent = nullptr);

    RichListModel& Model() { return model_; }
    const RichListModel& Model() const { return model_; }

    int AddColumn(const QString& caption, int width);
    int ColumnCount() const { return model_.ColumnCount(); }
    int RowCount() const { return model_.RowCount(); }
    int AddRow(const QString& caption) { return model_.AddRow(caption); }
    QString GetCellText(int column, int row) const { return model_.GetCellText(column, row); }
    void SetCellText(int column, int row, const QString& text) { model_.SetCellText(column, row, text); }
    void DeleteRow(int row) { model_.DeleteRow(row); }
    void ClearAll() { model_.ClearAll(); }
    void ClearRows() { model_.ClearRows(); }

    // Selects and focuses the row and scrolls it into view; other selected rows stay selected.
    void SelectItemAt(int index);
    // The first selected row, -1 when none.
    int SelectedRow() const;

    void ShareSortState(std::shared_ptr<SortState> state) { sortState_ = std::move(state); }
    void SetSortDirection(SortDirection direction);
    SortDirection GetSortDirection() const { return sortDirection_; }
    // Sorts by column and remembers it as the sort column.
    void SetSortColumn(int column);
    int SortColumn() const { return sortColumn_; }
    void SortByColumn(int column);
    void SortItems();

    // A column click sorts by that column (flipping the direction on a repeated click).
    bool SortShow = false;

    bool CellAtPoint(const QPoint& point, int& row, int& column) const;
    QString CellTextAtPoint(const QPoint& point) const;
    QRect CellRect(int row, int column) const;

    std::function<void(int column, SortStyle& style, QString& prefix, QString& suffix)> OnGetFormat;
    std::function<void(int column, const QString& a, const QString& b, int& result)> OnCustomCompare;
    std::function<void(int column, int row1, int row2, int& result)> OnRawCompare;
    std::function<void(int column, bool& enable)> OnSortStart;
    std::function<void(int column)> OnSortDone;
    std::function<void(int column)> OnColumnClick;
    std::function<void(int row, int column)> OnLeftClickCell;
    std::function<void(int row, int column)> OnRightClickCell;

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void HeaderClicked(int column);

    RichListModel model_;
    std::shared_ptr<SortState> sortState_ = std::make_shared<SortState>();
    SortDirection sortDirection_ = sdAscending;
    int sortColumn_ = -2;
    int lastSortColumn_ = -1;
};
