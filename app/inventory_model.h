#pragma once

#include <array>
#include <vector>

#include "app/inventory_host.h"
#include "ui/rich_list_model.h"

// The inventory: its rows of seven cells, the set name and information, the piece count and whether it
// changed since it was last read or saved. The main window shows it in invlist; headless callers use it
// alone.
class InventoryModel : public RichListModel {
    Q_OBJECT
  public:
    explicit InventoryModel(QObject* parent = nullptr);

    // One row as the user adds it: the colour renamed, the count updated.
    void AddInventoryRow(const QString& partNumber, const QString& description, const QString& colour,
                         const QString& quantity, const QString& bag, const QString& notes);
    // Rows read from a file, colours already renamed, in one insertion.
    void AppendInventoryRows(std::vector<InventoryCells> rows);
    int InventoryRowCount() const { return RowCount(); }
    // Out-of-range cells read as empty.
    QString InventoryCell(int column, int row) const;
    InventoryCells InventoryRow(int row) const;
    std::vector<InventoryCells> InventoryRows() const;
    // Every row gone in one change; the count becomes 0.
    void ClearInventory();

    // The colour name a row stores for an older name.
    static QString RenamedColour(const QString& colour);

    QString SetName() const { return setName_; }
    void SetSetName(const QString& name);
    QString SetInformation(SetField field) const { return setInfo_[static_cast<size_t>(field)]; }
    void SetSetInformation(SetField field, const QString& value);

    // Quantities that are not whole numbers count as 0; the reader or Combine Duplicates names them.
    QString CountText() const { return QString::number(count_); }
    void UpdateCount();

    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

  signals:
    void CountChanged(const QString& countText);
    void SetNameChanged(const QString& name);
    void SetInformationChanged(SetField field, const QString& value);

  private:
    void SetCount(long long count);

    QString setName_;
    std::array<QString, kSetFieldCount> setInfo_;
    long long count_ = 0;
    bool modified_ = false;
};
