#pragma once

#include <QString>

#include "app/parsed_inventory.h"

// Inventories that other programs produce. Each parses a file's rows and throws UnopenedFileError when it
// is no text; content it cannot use is passed over.
ParsedInventory ReadLDrawFile(const InventorySource& file, const InventoryLookups& lookups);
ParsedInventory ReadBlkFile(const InventorySource& file, const InventoryLookups& lookups);
ParsedInventory ReadBrickLinkXmlFile(const InventorySource& file, const InventoryLookups& lookups);
ParsedInventory ReadPeeronHtmlFile(const InventorySource& file, const InventoryLookups& lookups);

// Marketplace colour id to colour name, "NotFound" when no colour has it.
QString MarketplaceColourName(const InventoryLookups& lookups, const QString& colourId);
// Master-list description, else the file's own description behind "BLK DESC - ".
QString MarketplaceDescription(const InventoryLookups& lookups, const QString& partNumber,
                               const QString& fileDescription);
