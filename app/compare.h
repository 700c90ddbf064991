#pragma once

#include <QString>
#include <QStringList>

class InventoryHost;

enum class CompareMode { Have, Need };

// False, after telling the user, when the inventory has no rows to compare.
bool InventoryReadyForCompare(const InventoryHost& inventory);

// Compares the inventory (what the user has) with a set file read through the inventory readers (what the
// set needs). Gives one result line per part of the set, in the set's order; Need with nothing missing
// says so. Throws InventoryReadError when the set file cannot be read.
QStringList CompareWithSetFile(const InventoryHost& inventory, const QString& setPath, CompareMode mode,
                               bool colourDoesNotMatter);

// The save dialog's choice: a name without extension gets ".prn", the layout the result is saved in.
QString CompareResultPath(const QString& chosenPath);
// Saves the result text under the .prn header lines; returns an error text, empty on success.
QString WriteCompareResult(const QString& path, const QString& resultText);
