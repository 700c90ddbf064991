#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

#include "app/parsed_inventory.h"

class ColorTable;
class InventoryHost;
class InventoryModel;

// Runs the reader chosen by the file name (not the folders above it). Nothing when no reader knows the
// name. Throws InventoryReadError when the file cannot be read.
std::optional<ParsedInventory> ReadInventoryFile(const QString& path, const InventoryLookups& lookups);
// The host's master descriptions and colours, and the inventory's colour renames.
InventoryLookups LookupsOf(const InventoryHost& host);
// Puts a parsed inventory into the host: its set name and information, its rows in one insertion, and one
// message with its warnings.
void ApplyInventory(InventoryHost& host, ParsedInventory parsed);
// What a writer saves of the inventory, over its rows.
InventoryContents ContentsOf(const InventoryModel& inventory, const std::vector<InventoryCells>& rows,
                             const ColorTable& colours);

// The inventory file commands. The window shows the file dialogs and passes the choice in; questions and
// errors go through the message layer.
class InventoryFiles {
  public:
    static const QString kOpenFilter;
    static const QString kMultiOpenFilter;
    static const QString kSaveFilter;

    // Parses one file; nothing when no reader knows its name.
    using FileReader =
        std::function<std::optional<ParsedInventory>(const QString& path, const InventoryLookups& lookups)>;

    explicit InventoryFiles(InventoryHost& host) : host_(host) {}
    // Tests count or hold the reads here.
    void UseReader(FileReader reader) { reader_ = std::move(reader); }

    // New: false when the user keeps the unsaved inventory.
    bool NewInventory();
    // The question before loading: false when the user wants to save first.
    bool ConfirmLoad();
    // Open: appends the files in order, then selects the last row.
    void OpenFiles(const QStringList& paths);
    // Drop: asks the question before loading, then appends like Open, selecting rows as they come.
    void DropFiles(const QStringList& paths);
    static QString MultiOpenPrompt(const QString& path);
    // Multi-Open: reads one set file once and appends its rows `count` times, like Open.
    void MultiOpen(const QString& path, int count);

    // The name to propose in the save dialog: the last file read or saved, without its extension.
    QString ProposedSaveName() const;
    // Save to the chosen path; `selectedFilter` gives the extension of a name that has none, and replacing an
    // existing file under that added extension is asked first. True when the file was written (only then is
    // the inventory no longer modified).
    bool Save(const QString& path, const QString& selectedFilter);

  private:
    // Each file is parsed once and put into the inventory `copies` times.
    void ReadFiles(const QStringList& paths, int copies = 1);
    std::optional<ParsedInventory> Parse(const QString& path, const InventoryLookups& lookups) const;

    InventoryHost& host_;
    FileReader reader_ = ReadInventoryFile;
    QString saveName_;
};
