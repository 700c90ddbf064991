#pragma once

#include <QHash>
#include <array>
#include <functional>
#include <vector>

#include "app/inventory_host.h"
#include "ldraw/ldraw_colors.h"

// Inventory rows held in memory: the set file of a comparison is read into one, and headless callers
// (tests, benchmarks) use it in place of the main window.
class MemoryInventory : public InventoryHost {
  public:
    using Lookup = std::function<QString(const QString&)>;
    using Row = InventoryCells;

    // masterDescription and renameColour may be empty: no descriptions, no renames; without ldrawColours
    // only the built-in LDraw colours are known.
    MemoryInventory(const ColorTable& colours, Lookup masterDescription = {}, Lookup renameColour = {},
                    const LDrawColours* ldrawColours = nullptr);

    void AddInventoryRow(const QString& partNumber, const QString& description, const QString& colour,
                         const QString& quantity, const QString& bag, const QString& notes) override;
    int InventoryRowCount() const override { return static_cast<int>(rows_.size()); }
    QString InventoryCell(int column, int row) const override;
    void ClearInventory() override;

    QString MasterDescription(const QString& partNumber) const override;
    const ColorTable& Colours() const override { return colours_; }
    const LDrawColours& LDrawColourTable() const override {
        return ldrawColours_ ? *ldrawColours_ : builtIn_;
    }
    QString RenamedColour(const QString& colour) const override;

    QString SetName() const override { return setName_; }
    void SetSetName(const QString& name) override { setName_ = name; }
    QString SetInformation(SetField field) const override { return setInfo_[static_cast<size_t>(field)]; }
    void SetSetInformation(SetField field, const QString& value) override {
        setInfo_[static_cast<size_t>(field)] = value;
    }

    QString CountText() const override { return QString::number(count_); }
    void UpdateCount() override;

    void BeginLoading(bool loading) override;
    void EndLoading() override;
    void SetStatusText(const QString& text) override { statusText_ = text; }
    void SelectLastRow() override { selectedRow_ = InventoryRowCount() - 1; }

    bool Modified() const override { return modified_; }
    void SetModified(bool modified) override { modified_ = modified; }

    const std::vector<Row>& Rows() const { return rows_; }
    int SelectedRow() const { return selectedRow_; }
    bool Loading() const { return loading_; }
    int BatchDepth() const { return batchDepth_; }
    const QString& StatusText() const { return statusText_; }

  private:
    const ColorTable& colours_;
    const LDrawColours* ldrawColours_;
    LDrawColours builtIn_;
    Lookup masterDescription_;
    Lookup renameColour_;
    std::vector<Row> rows_;
    QString setName_;
    std::array<QString, kSetFieldCount> setInfo_;
    long long count_ = 0;
    int selectedRow_ = -1;
    int batchDepth_ = 0;
    bool loading_ = false;
    bool modified_ = false;
    QString statusText_;
};
