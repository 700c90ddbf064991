#pragma once

#include <array>
#include <vector>

#include "app/inventory_fields.h"
#include "app/inventory_host.h"
#include "ui/list/list_model.h"

class ColorTable;

// The inventory: its rows of seven cells, their sort and the colour of their Bag cells, the set name and
// information, the piece count and whether it changed since it was last read or saved. The main window
// shows it in invlist; headless callers use it alone.
class InventoryModel : public ListModel {
    Q_OBJECT
  public:
    explicit InventoryModel(QObject* parent = nullptr);

    int RowCount() const override { return static_cast<int>(rows_.size()); }
    int ColumnCount() const override { return InventoryColumnCount; }
    QString GetCellText(int column, int row) const override;
    void SetCellText(int column, int row, const QString& text) override;
    QStringView CellView(int column, int row) const override;
    QStringList Cells(int row) const override;
    // Pasted rows take their first seven cells.
    void AppendRows(std::vector<QStringList> rows) override;
    // The Bag cell in the colour the row names (white when the colour table lacks it), its text readable.
    void StyleCell(int row, int subItem, CellStyle& style) const override;

    // One row as the user adds it: the colour renamed, the count updated.
    void AddInventoryRow(const QString& partNumber, const QString& description, const QString& colour,
                         const QString& quantity, const QString& bag, const QString& notes);
    // Rows read from a file, colours already renamed, in one insertion.
    void AppendInventoryRows(std::vector<InventoryCells> rows);
    int InventoryRowCount() const { return RowCount(); }
    // Out-of-range cells read as empty.
    QString InventoryCell(int column, int row) const { return GetCellText(column, row); }
    InventoryCells InventoryRow(int row) const;
    const std::vector<InventoryCells>& InventoryRows() const { return rows_; }
    // Every row gone in one change; the count becomes 0.
    void ClearInventory();
    // Rows with equal keys become the first of them, holding the sum of their quantities; the rows come
    // back in one reset, sorted by the sort column (the description before any sort) in its direction,
    // equal values in descending key order. The warning names the first quantity that counted as 0.
    QuantityWarning CombineDuplicates();

    // The colour names of the Bag cells; none gives every Bag cell white. The table must outlive its use.
    void UseColours(const ColorTable* colours) { colours_ = colours; }

    // The colour name a row stores for an older name.
    static QString RenamedColour(const QString& colour);

    QString SetName() const { return setName_; }
    void SetSetName(const QString& name);
    QString SetInformation(SetField field) const { return setInfo_[static_cast<size_t>(field)]; }
    void SetSetInformation(SetField field, const QString& value);

    // Quantities that are not whole numbers count as 0; the reader or Combine Duplicates names them. Every
    // change of rows or of a quantity keeps the count.
    QString CountText() const { return QString::number(count_); }
    void UpdateCount();

    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

  signals:
    void CountChanged(const QString& countText);
    void SetNameChanged(const QString& name);
    void SetInformationChanged(SetField field, const QString& value);

  protected:
    void PermuteRows(const std::vector<int>& order) override;
    void EraseRows(const std::vector<bool>& gone) override;
    void RotateRow(int from, int to) override;

  private:
    void SetCount(long long count);

    std::vector<InventoryCells> rows_;
    const ColorTable* colours_ = nullptr;
    QString setName_;
    std::array<QString, kSetFieldCount> setInfo_;
    long long count_ = 0;
    bool modified_ = false;
};
