#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "app/parsed_inventory.h"

// The inventory as a colour-by-part workbook: one sheet row per part, one column per colour of the colour
// table, the quantities in the cells and SUM formulas for row, column and grand totals.

// Column of the first colour, and of the colours not in the table when the table has at most 78 colours;
// with more colours the unknown column follows the last one.
constexpr int kXlsFirstColourColumn = 3;
constexpr int kXlsUnknownColumn = 81;
int XlsUnknownColumn(int colourCount);
// Column letters of a zero-based column: 0 -> A, 26 -> AA, 81 -> CD.
QString XlsColumnLetters(int column);

// Writes the rows (colourNames: the names of the colour table's rows in order); an empty quantity leaves
// its cell empty. Returns how many rows had a colour not in the table (their quantities are under
// UNKNOWN). Throws XLSError with the text to show when nothing was saved: no rows, a quantity that is not a
// whole number, or a file that could not be written; an existing file then stays as it was.
int WriteXlsFile(const QString& path, const std::vector<InventoryCells>& rows,
                 const QStringList& colourNames);

// The rows written with the whole colour table's names; an error text, empty when the file was
// written. A save that folded colours into UNKNOWN says how many rows it folded.
WriteOutcome WriteXlsInventory(const InventoryContents& inv, const QString& path);
// What the user is told when a workbook file cannot be opened: another program may hold it.
QString XlsOpenTrouble(const QString& path);
// The part rows of such a workbook down to its "Grand Total" row, passing over empty rows. Throws
// UnopenedFileError when the bytes are no workbook it can read.
ParsedInventory ReadXlsInventory(const InventorySource& file, const InventoryLookups& lookups);
