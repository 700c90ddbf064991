#pragma once

#include <QString>

class InventoryHost;

// Inventories that other programs produce. Each appends rows and throws InventoryReadError when the file
// cannot be read; content it cannot use is passed over.
void ReadLDrawFile(InventoryHost& host, const QString& path);
void ReadBlkFile(InventoryHost& host, const QString& path);
void ReadBrickLinkXmlFile(InventoryHost& host, const QString& path);
void ReadPeeronHtmlFile(InventoryHost& host, const QString& path);

// Marketplace colour id to colour name, "NotFound" when no colour has it.
QString MarketplaceColourName(const InventoryHost& host, const QString& colourId);
// Master-list description, else the file's own description behind "BLK DESC - ".
QString MarketplaceDescription(const InventoryHost& host, const QString& partNumber,
                               const QString& fileDescription);
