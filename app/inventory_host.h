#pragma once

#include <QString>
#include <array>

class ColorTable;
class LDrawColours;

// Column order of an inventory row.
enum InventoryColumn : int {
    ColKey = 0, // part number immediately followed by the colour name ("numcolor")
    ColQuantity,
    ColPartNumber,
    ColBag,
    ColColor,
    ColDescription,
    ColNotes,
    InventoryColumnCount
};

// The cells of one inventory row, indexed by InventoryColumn.
using InventoryCells = std::array<QString, InventoryColumnCount>;

// The eight set-information fields held by the settings window, in file order.
enum class SetField : int { Theme, Year, Pcs, Figs, MSRP, InvBy, Source, Date };
inline constexpr int kSetFieldCount = 8;

// What the inventory readers, writers and the compare logic need from the window holding the rows.
class InventoryHost {
  public:
    virtual ~InventoryHost() = default;

    // The only way rows enter the inventory.
    virtual void AddInventoryRow(const QString& partNumber, const QString& description, const QString& colour,
                                 const QString& quantity, const QString& bag, const QString& notes) = 0;
    virtual int InventoryRowCount() const = 0;
    // Out-of-range cells read as empty.
    virtual QString InventoryCell(int column, int row) const = 0;
    // Removes every row in one batch; the count becomes 0 and the edit panel is emptied.
    virtual void ClearInventory() = 0;

    // Master-list description of a part, empty when the part is not listed.
    virtual QString MasterDescription(const QString& partNumber) const = 0;
    virtual const ColorTable& Colours() const = 0;
    // The edge colours of LDraw models read into the inventory.
    virtual const LDrawColours& LDrawColourTable() const = 0;
    // The colour name AddInventoryRow would store for an older name.
    virtual QString RenamedColour(const QString& colour) const = 0;

    virtual QString SetName() const = 0;
    virtual void SetSetName(const QString& name) = 0;
    virtual QString SetInformation(SetField field) const = 0;
    virtual void SetSetInformation(SetField field, const QString& value) = 0;

    // The count label's text.
    virtual QString CountText() const = 0;
    virtual void UpdateCount() = 0;

    // Brackets a read of several files: one batch update; with `loading` set, added rows are not selected
    // one by one.
    virtual void BeginLoading(bool loading) = 0;
    virtual void EndLoading() = 0;
    // The status line; an empty text hides it.
    virtual void SetStatusText(const QString& text) = 0;
    virtual void SelectLastRow() = 0;

    virtual bool Modified() const = 0;
    virtual void SetModified(bool modified) = 0;
};
