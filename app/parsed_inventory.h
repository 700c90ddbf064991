#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/inventory_host.h"

class ColorTable;
class LDrawColours;

// What the readers look up while they parse: master descriptions, the colour table and the colour renames.
struct InventoryLookups {
    using Lookup = std::function<QString(const QString&)>;
    const ColorTable& colours;
    Lookup masterDescription;                   // empty: no descriptions
    Lookup renameColour;                        // empty: no renames
    const LDrawColours* ldrawColours = nullptr; // edge colours of LDraw models; null: the built-in ones

    QString Description(const QString& partNumber) const {
        return masterDescription ? masterDescription(partNumber) : QString();
    }
    QString Renamed(const QString& colour) const { return renameColour ? renameColour(colour) : colour; }
};

// The text of a file beside the inventory by its name (LDraw submodels); nothing when there is none.
using BesideFileLookup = std::function<std::optional<QString>(const QString& name)>;

// An inventory file's bytes with its path (for names and messages) and the files beside it.
struct InventorySource {
    QString path;
    std::string bytes;
    BesideFileLookup beside;
};

// A set name or set-information value a file gives. Some formats only fill what the inventory lacks.
struct SetValue {
    std::optional<QString> value;
    bool onlyIntoEmpty = false;
};

// One file's inventory, read but not yet put anywhere.
struct ParsedInventory {
    std::vector<InventoryCells> rows;
    SetValue setName;
    std::array<SetValue, kSetFieldCount> setFields;
    // Bad quantities, missing submodels, a file that ended early: for one message.
    QStringList warnings;

    void ReplaceName(const QString& name) { setName = {name, false}; }
    // Within one file the first non-empty value wins.
    void FillName(const QString& name) { Fill(setName, name); }
    void ReplaceField(SetField field, const QString& value) { At(field) = {value, false}; }
    void FillField(SetField field, const QString& value) { Fill(At(field), value); }
    SetValue& At(SetField field) { return setFields[static_cast<size_t>(field)]; }

  private:
    static void Fill(SetValue& to, const QString& value) {
        if (!to.value || to.value->isEmpty()) to = {value, true};
    }
};

// What a writer reports: why the file was not written (empty when it was), and a note on a file it wrote.
struct WriteOutcome {
    QString error;
    QString notice;
};

// What a writer saves: the rows, the set name and information, and the colour table a workbook lays out.
struct InventoryContents {
    const std::vector<InventoryCells>& rows;
    QString setName;
    std::array<QString, kSetFieldCount> setFields;
    const ColorTable& colours;

    QString SetInformation(SetField field) const { return setFields[static_cast<size_t>(field)]; }
};
