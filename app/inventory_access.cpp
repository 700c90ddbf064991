#include "app/inventory_access.h"

#include "app/app_context.h"

InventoryModel& InventoryAccess::Inventory() {
    return context_.inventory;
}

const InventoryModel& InventoryAccess::Inventory() const {
    return context_.inventory;
}

QString InventoryAccess::MasterDescription(const QString& partNumber) const {
    return context_.master.Description(partNumber);
}

const ColorTable& InventoryAccess::Colours() const {
    return context_.colours;
}

const LDrawColours& InventoryAccess::LDrawColourTable() const {
    return context_.renderer.Colours();
}

UserPrompts& InventoryAccess::Prompts() const {
    return context_.Prompts();
}
