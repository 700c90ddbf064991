#pragma once

#include <QString>
#include <array>
#include <vector>

class ColorTable;

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

class InventoryModel;
class LDrawColours;
class UserPrompts;

// What the inventory file commands and the compare need beside the rows: the window's look-ups, status line
// selection and prompts.
class InventoryHost {
  public:
    virtual ~InventoryHost() = default;

    virtual InventoryModel& Inventory() = 0;
    virtual const InventoryModel& Inventory() const = 0;
    // Master-list description of a part, empty when the part is not listed.
    virtual QString MasterDescription(const QString& partNumber) const = 0;
    virtual const ColorTable& Colours() const = 0;
    // The edge colours of LDraw models read into the inventory.
    virtual const LDrawColours& LDrawColourTable() const = 0;
    // The status line; an empty text hides it.
    virtual void SetStatusText(const QString& text) = 0;
    virtual void SelectLastRow() = 0;
    virtual UserPrompts& Prompts() const = 0;
};
