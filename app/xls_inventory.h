#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "app/inventory_host.h"

// The inventory as a colour-by-part workbook: one sheet row per part, one column per colour of the colour
// table, the quantities in the cells and SUM formulas for row, column and grand totals.

using AddInventoryRowFn =
    std::function<void(const QString& partNumber, const QString& description, const QString& colour,
                       const QString& quantity, const QString& bag, const QString& notes)>;

// Column of the first colour, and of the colours not in the table when the table has at most 78 colours;
// with more colours the unknown column follows the last one.
constexpr int kXlsFirstColourColumn = 3;
constexpr int kXlsUnknownColumn = 81;
int XlsUnknownColumn(int colourCount);
// Column letters of a zero-based column: 0 -> A, 26 -> AA, 81 -> CD.
QString XlsColumnLetters(int column);

// Writes the rows (colourNames: the names of the colour table's rows in order). Returns false when nothing
// was written: an empty inventory, or a file that cannot be created (the user is told to close the other
// program). Throws XLSError when a quantity is not a whole number, before the file is touched.
bool WriteXlsFile(const QString& path, const std::vector<InventoryCells>& rows,
                  const QStringList& colourNames);

// The host's rows written with the whole colour table's names; an error text, empty when the file was
// written.
QString WriteXlsInventory(const InventoryHost& host, const QString& path);
// Appends the workbook's rows to the host.
void ReadXlsInventory(InventoryHost& host, const QString& path);

// Appends the rows of such a workbook through addRow. Returns false, after telling the user, when the file
// cannot be opened.
bool ReadXlsFile(const QString& path, const AddInventoryRowFn& addRow);
