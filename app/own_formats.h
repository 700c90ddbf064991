#pragma once

#include <QString>

class InventoryHost;

// The program's own text inventories. Readers append rows and throw InventoryReadError when the file cannot
// be read; writers save the whole inventory atomically and return an error text, empty on success.
void ReadInvFile(InventoryHost& host, const QString& path);
void ReadPrnFile(InventoryHost& host, const QString& path);
void ReadTsvFile(InventoryHost& host, const QString& path);
void ReadCsvFile(InventoryHost& host, const QString& path);

QString WriteInvFile(const InventoryHost& host, const QString& path);
QString WritePrnFile(const InventoryHost& host, const QString& path);
QString WriteCsvFile(const InventoryHost& host, const QString& path);

// Fills the eight set-information fields from a "Theme:" line laid out as in .prn (values in the even
// fields).
void ReadSetInformationLine(InventoryHost& host, const QString& line);
