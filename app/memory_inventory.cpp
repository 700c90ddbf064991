#include "app/memory_inventory.h"

#include "app/inventory_fields.h"

MemoryInventory::MemoryInventory(const ColorTable& colours, Lookup masterDescription, Lookup renameColour,
                                 const LDrawColours* ldrawColours)
    : colours_(colours), ldrawColours_(ldrawColours), masterDescription_(std::move(masterDescription)),
      renameColour_(std::move(renameColour)) {}

void MemoryInventory::AddInventoryRow(const QString& partNumber, const QString& description,
                                      const QString& colour, const QString& quantity, const QString& bag,
                                      const QString& notes) {
    const QString stored = RenamedColour(colour);
    rows_.push_back({partNumber + stored, quantity, partNumber, bag, stored, description, notes});
    if (!loading_) selectedRow_ = InventoryRowCount() - 1;
    count_ = AddQuantities(count_, ParseQuantity(quantity).value_or(0));
}

QString MemoryInventory::InventoryCell(int column, int row) const {
    if (row < 0 || row >= InventoryRowCount() || column < 0 || column >= InventoryColumnCount) return {};
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

void MemoryInventory::ClearInventory() {
    rows_.clear();
    count_ = 0;
    selectedRow_ = -1;
}

QString MemoryInventory::MasterDescription(const QString& partNumber) const {
    return masterDescription_ ? masterDescription_(partNumber) : QString();
}

QString MemoryInventory::RenamedColour(const QString& colour) const {
    return renameColour_ ? renameColour_(colour) : colour;
}

void MemoryInventory::UpdateCount() {
    count_ = 0;
    for (const Row& row : rows_)
        count_ = AddQuantities(count_, ParseQuantity(row[ColQuantity]).value_or(0));
}

void MemoryInventory::BeginLoading(bool loading) {
    ++batchDepth_;
    loading_ = loading;
}

void MemoryInventory::EndLoading() {
    --batchDepth_;
    loading_ = false;
}
