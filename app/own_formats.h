#pragma once

#include <QString>

#include "app/parsed_inventory.h"

// The program's own text inventories. Readers parse a file's rows and set information and throw
// UnopenedFileError when it is no text; writers save the whole inventory atomically.
ParsedInventory ReadInvFile(const InventorySource& file, const InventoryLookups& lookups);
ParsedInventory ReadPrnFile(const InventorySource& file, const InventoryLookups& lookups);
ParsedInventory ReadTsvFile(const InventorySource& file, const InventoryLookups& lookups);
ParsedInventory ReadCsvFile(const InventorySource& file, const InventoryLookups& lookups);

WriteOutcome WriteInvFile(const InventoryContents& inv, const QString& path);
WriteOutcome WritePrnFile(const InventoryContents& inv, const QString& path);
WriteOutcome WriteCsvFile(const InventoryContents& inv, const QString& path);

// The eight set-information fields of a "Theme:" line laid out as in .prn (values in the even fields).
void ReadSetInformationLine(ParsedInventory& parsed, QStringView line);
