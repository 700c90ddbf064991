#include "app/inventory_files.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <future>

#include "app/imported_formats.h"
#include "app/inventory_fields.h"
#include "app/inventory_model.h"
#include "app/own_formats.h"
#include "app/user_prompts.h"
#include "app/xls_inventory.h"
#include "platform/ui.h"

namespace {

using Reader = ParsedInventory (*)(const InventorySource&, const InventoryLookups&);
using Writer = WriteOutcome (*)(const InventoryContents&, const QString&);

struct ReadFormat {
    const char16_t* text;
    int listed; // place in the open dialog's list
    Reader reader;
    bool multiOpen;
    // The message for a file that cannot be opened, in place of the plain read error; none for most.
    QString (*unopened)(const QString& path);
};

struct SaveFormat {
    const char16_t* text;
    int listed; // place in the save dialog's list
    Writer writer;
    const char16_t* filter;
};

// A file name's own extension picks its format; a name whose extension none has is searched in this order,
// and the first text found anywhere in it wins (set.inv.bak, page.html).
constexpr std::array<ReadFormat, 11> kReadFormats = {{
    {u".INV", 2, ReadInvFile, true, nullptr},
    {u".PRN", 0, ReadPrnFile, true, nullptr},
    {u".TSV", 1, ReadTsvFile, false, nullptr},
    {u".HTM", 6, ReadPeeronHtmlFile, true, nullptr},
    {u".DAT", 3, ReadLDrawFile, true, nullptr},
    {u".LDR", 4, ReadLDrawFile, true, nullptr},
    {u".MPD", 5, ReadLDrawFile, true, nullptr},
    {u".XML", 8, ReadBrickLinkXmlFile, true, nullptr},
    {u".BLK", 7, ReadBlkFile, true, nullptr},
    {u".CSV", 9, ReadCsvFile, false, nullptr},
    {u".XLS", 10, ReadXlsInventory, false, XlsOpenTrouble},
}};

constexpr std::array<SaveFormat, 4> kSaveFormats = {{
    {u".INV", 1, WriteInvFile, u"inv (*.inv)"},
    {u".PRN", 0, WritePrnFile, u"prn (*.prn)"},
    {u".CSV", 2, WriteCsvFile, u"csv(*.csv)"},
    {u".XLS", 3, WriteXlsInventory, u"xls(*.xls)"},
}};

template <typename Format, size_t N>
const Format* FindFormat(const std::array<Format, N>& formats, const QString& path) {
    const QString name = FileNameOf(path).toUpper();
    const QStringView extension = QStringView(name).mid(std::max<qsizetype>(name.lastIndexOf(u'.'), 0));
    for (const Format& format : formats)
        if (extension == QStringView(format.text)) return &format;
    for (const Format& format : formats)
        if (name.contains(QStringView(format.text))) return &format;
    return nullptr;
}

// ".inv, .prn, ... and .xls"
template <typename Format, size_t N> QString ExtensionsOf(const std::array<Format, N>& formats) {
    QStringList extensions;
    for (const Format& format : formats)
        extensions << QString::fromUtf16(format.text).toLower();
    const QString last = extensions.takeLast();
    return extensions.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// "prn (*.prn)" -> ".prn"
QString FilterExtension(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*(\\.\\w+)"));
    const auto match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1).toLower() : QStringLiteral(".prn");
}

InventorySource LoadSource(const ReadFormat& format, const QString& path) {
    try {
        return ReadInventorySource(path);
    } catch (const InventoryReadError&) {
        if (!format.unopened) throw;
        throw UnopenedFileError(format.unopened(path));
    }
}

// The reader's own text, then the files of the command it left unread.
QString EndingError(const std::exception& error, const QStringList& unread) {
    const QString text = ExceptionText(error);
    return unread.isEmpty() ? text
                            : text + QStringLiteral("\nNot read after this error:\n") + unread.join(u'\n');
}

void ApplyValue(const SetValue& value, const QString& current,
                const std::function<void(const QString&)>& set) {
    if (value.value && (!value.onlyIntoEmpty || current.isEmpty())) set(*value.value);
}

} // namespace

namespace {

// The dialog filter of the formats that entryOf names (an empty entry leaves a format out), in their listed
// order.
template <typename Format, size_t N, typename EntryFn>
QString FilterOf(const std::array<Format, N>& formats, EntryFn entryOf) {
    std::array<QString, N> entries;
    for (const Format& format : formats)
        entries[static_cast<size_t>(format.listed)] = entryOf(format);
    QStringList listed;
    for (const QString& entry : entries)
        if (!entry.isEmpty()) listed << entry;
    return listed.join(QStringLiteral(";;"));
}

// "prn (*.prn *.PRN)" for ".PRN".
QString OpenEntry(const ReadFormat& format) {
    const QString extension = QString::fromUtf16(format.text).mid(1);
    return QStringLiteral("%1 (*.%1 *.%2)").arg(extension.toLower(), extension);
}

} // namespace

const QString InventoryFiles::kOpenFilter = FilterOf(kReadFormats, OpenEntry) + QStringLiteral(";;all (*)");
const QString InventoryFiles::kMultiOpenFilter =
    FilterOf(kReadFormats,
             [](const ReadFormat& format) { return format.multiOpen ? OpenEntry(format) : QString(); }) +
    QStringLiteral(";;all (*)");
const QString InventoryFiles::kSaveFilter =
    FilterOf(kSaveFormats, [](const SaveFormat& format) { return QString::fromUtf16(format.filter); });

std::optional<ParsedInventory> ReadInventoryFile(const QString& path, const InventoryLookups& lookups) {
    const ReadFormat* format = FindFormat(kReadFormats, path);
    if (!format) return std::nullopt;
    return format->reader(LoadSource(*format, path), lookups);
}

InventoryLookups LookupsOf(const InventoryHost& host) {
    return {host.Colours(), [&host](const QString& part) { return host.MasterDescription(part); },
            &InventoryModel::RenamedColour, &host.LDrawColourTable()};
}

void ApplyInventory(InventoryHost& host, ParsedInventory parsed) {
    InventoryModel& inventory = host.Inventory();
    ApplyValue(parsed.setName, inventory.SetName(), [&](const QString& name) { inventory.SetSetName(name); });
    for (int k = 0; k < kSetFieldCount; ++k) {
        const auto field = static_cast<SetField>(k);
        ApplyValue(parsed.At(field), inventory.SetInformation(field),
                   [&](const QString& value) { inventory.SetSetInformation(field, value); });
    }
    inventory.AppendInventoryRows(std::move(parsed.rows));
    if (!parsed.warnings.isEmpty()) host.Prompts().Show(parsed.warnings.join(u'\n'));
}

InventoryContents ContentsOf(const InventoryModel& inventory, const std::vector<InventoryCells>& rows,
                             const ColorTable& colours) {
    InventoryContents contents{rows, inventory.SetName(), {}, colours};
    for (int k = 0; k < kSetFieldCount; ++k)
        contents.setFields[static_cast<size_t>(k)] = inventory.SetInformation(static_cast<SetField>(k));
    return contents;
}

bool InventoryFiles::NewInventory() {
    if (BusyGuard::IsBusy()) return false;
    if (host_.Inventory().Modified() &&
        host_.Prompts().AskYesNo(
            QStringLiteral("Do you want to save your changes before making a new inventory?")))
        return false;
    host_.Inventory().ClearInventory();
    host_.Inventory().SetSetName(QString());
    for (int k = 0; k < kSetFieldCount; ++k)
        host_.Inventory().SetSetInformation(static_cast<SetField>(k), QString());
    host_.Inventory().SetModified(false);
    return true;
}

bool InventoryFiles::ConfirmLoad() {
    return !host_.Inventory().Modified() ||
           !host_.Prompts().AskYesNo(
               QStringLiteral("Do you want to save your changes before loading a new inventory?"));
}

// A worker parses, so that a long read leaves the window painting and answering; the window's events run
// only here between waits, never inside a reader, and the rows go in once the parse is over.
std::optional<ParsedInventory> InventoryFiles::Parse(const QString& path,
                                                     const InventoryLookups& lookups) const {
    std::future<std::optional<ParsedInventory>> parsing =
        std::async(std::launch::async, [&] { return reader_(path, lookups); });
    while (parsing.wait_for(std::chrono::milliseconds(16)) != std::future_status::ready)
        ProcessMessages();
    return parsing.get();
}

void InventoryFiles::ReadFiles(const QStringList& paths, int copies) {
    if (BusyGuard::IsBusy()) return;
    BusyGuard busy;
    const int rowsBefore = host_.Inventory().InventoryRowCount();
    int readingsWithRows = 0;
    // Files that gave nothing or were left out, and the error that ended the command: silence would read as
    // success.
    QStringList findings;
    const InventoryLookups lookups = LookupsOf(host_);
    host_.SetStatusText(QStringLiteral("Loading file . . . "));
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString& path = paths[i];
        const int before = host_.Inventory().InventoryRowCount();
        try {
            std::optional<ParsedInventory> parsed = Parse(path, lookups);
            if (!parsed) {
                findings << QStringLiteral("%1 was not read: the program reads only %2 files.")
                                .arg(path, ExtensionsOf(kReadFormats));
                continue;
            }
            // Each copy goes in as a file of its own would; what the file has to say is said once.
            for (int k = 1; k < copies; ++k) {
                ParsedInventory copy = *parsed;
                copy.warnings.clear();
                ApplyInventory(host_, std::move(copy));
            }
            ApplyInventory(host_, std::move(*parsed));
        } catch (const UnopenedFileError& e) {
            findings << ExceptionText(e);
            continue;
        } catch (const std::exception& e) {
            findings << EndingError(e, paths.mid(i + 1));
            break;
        }
        if (host_.Inventory().InventoryRowCount() > before)
            readingsWithRows += copies;
        else
            findings << QStringLiteral("No row could be read from %1.").arg(path);
        saveName_ = path;
    }
    host_.SetStatusText(QString());
    host_.SelectLastRow();
    // Rows of several files or copies together, or added to rows already there, exist in no file yet.
    if (readingsWithRows > 1 || (rowsBefore > 0 && readingsWithRows > 0)) host_.Inventory().SetModified(true);
    if (!findings.isEmpty()) host_.Prompts().Show(findings.join(u'\n'));
}

void InventoryFiles::OpenFiles(const QStringList& paths) {
    ReadFiles(paths);
}

void InventoryFiles::DropFiles(const QStringList& paths) {
    if (BusyGuard::IsBusy() || !ConfirmLoad()) return;
    ReadFiles(paths);
}

QString InventoryFiles::MultiOpenPrompt(const QString& path) {
    return QStringLiteral("How many of set ") + path + QStringLiteral(" should be added?");
}

void InventoryFiles::MultiOpen(const QString& path, int count) {
    const ReadFormat* format = FindFormat(kReadFormats, path);
    if (!format || !format->multiOpen || count <= 0) return;
    ReadFiles({path}, count);
}

QString InventoryFiles::ProposedSaveName() const {
    const qsizetype slash = saveName_.lastIndexOf(u'/');
    const qsizetype dot = saveName_.lastIndexOf(u'.');
    return dot > slash + 1 ? saveName_.left(dot) : saveName_;
}

bool InventoryFiles::Save(const QString& chosenPath, const QString& selectedFilter) {
    if (host_.Inventory().InventoryRowCount() == 0 || BusyGuard::IsBusy()) return false;
    QString path = chosenPath;
    const bool extensionAdded = !FileNameOf(path).contains(u'.');
    if (extensionAdded) path += FilterExtension(selectedFilter);
    const SaveFormat* format = FindFormat(kSaveFormats, path);
    if (!format) {
        host_.Prompts().Show(QStringLiteral("%1 was not saved: the program writes only %2 files.")
                                 .arg(path, ExtensionsOf(kSaveFormats)));
        return false;
    }
    // The dialog asked about the name without its extension, not about the file written here.
    if (extensionAdded && QFileInfo::exists(path) &&
        !host_.Prompts().AskYesNo(QStringLiteral("%1 already exists. Do you want to replace it?").arg(path)))
        return false;
    const std::vector<InventoryCells> rows = host_.Inventory().InventoryRows();
    const WriteOutcome outcome = format->writer(ContentsOf(host_.Inventory(), rows, host_.Colours()), path);
    if (!outcome.error.isEmpty()) {
        host_.Prompts().Show(QStringLiteral("%1 could not be saved: %2").arg(path, outcome.error));
        return false;
    }
    if (!outcome.notice.isEmpty()) host_.Prompts().Show(outcome.notice);
    saveName_ = path;
    host_.Inventory().SetModified(false);
    return true;
}
