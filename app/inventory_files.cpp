#include "app/inventory_files.h"

#include <QRegularExpression>
#include <array>

#include "app/imported_formats.h"
#include "app/inventory_fields.h"
#include "app/inventory_host.h"
#include "app/own_formats.h"
#include "app/xls_inventory.h"
#include "platform/ui.h"

namespace {

using Reader = void (*)(InventoryHost&, const QString&);
using Writer = QString (*)(const InventoryHost&, const QString&);

struct ReadFormat {
    const char16_t* text;
    Reader reader;
    bool multiOpen;
};

struct SaveFormat {
    const char16_t* text;
    Writer writer;
};

// Searched in this order in the upper-cased file name; the first text found anywhere in it wins.
constexpr std::array<ReadFormat, 11> kReadFormats = {{
    {u".INV", ReadInvFile, true},
    {u".PRN", ReadPrnFile, true},
    {u".TSV", ReadTsvFile, false},
    {u".HTM", ReadPeeronHtmlFile, true},
    {u".DAT", ReadLDrawFile, true},
    {u".LDR", ReadLDrawFile, true},
    {u".MPD", ReadLDrawFile, true},
    {u".XML", ReadBrickLinkXmlFile, true},
    {u".BLK", ReadBlkFile, true},
    {u".CSV", ReadCsvFile, false},
    {u".XLS", ReadXlsInventory, false},
}};

constexpr std::array<SaveFormat, 4> kSaveFormats = {{
    {u".INV", WriteInvFile},
    {u".PRN", WritePrnFile},
    {u".CSV", WriteCsvFile},
    {u".XLS", WriteXlsInventory},
}};

template <typename Format, size_t N>
const Format* FindFormat(const std::array<Format, N>& formats, const QString& path) {
    const QString name = FileNameOf(path).toUpper();
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

} // namespace

const QString InventoryFiles::kOpenFilter = QStringLiteral(
    "prn (*.prn *.PRN);;tsv (*.tsv *.TSV);;inv (*.inv *.INV);;dat (*.dat *.DAT);;ldr (*.ldr *.LDR);;"
    "mpd (*.mpd *.MPD);;htm (*.htm *.HTM);;blk (*.blk *.BLK);;xml (*.xml *.XML);;csv (*.csv *.CSV);;"
    "xls (*.xls *.XLS);;all (*)");
const QString InventoryFiles::kMultiOpenFilter = QStringLiteral(
    "prn (*.prn *.PRN);;inv (*.inv *.INV);;dat (*.dat *.DAT);;ldr (*.ldr *.LDR);;mpd (*.mpd *.MPD);;"
    "htm (*.htm *.HTM);;blk (*.blk *.BLK);;xml (*.xml *.XML);;all (*)");
const QString InventoryFiles::kSaveFilter =
    QStringLiteral("prn (*.prn);;inv (*.inv);;csv(*.csv);;xls(*.xls)");

bool ReadInventoryFile(InventoryHost& host, const QString& path) {
    const ReadFormat* format = FindFormat(kReadFormats, path);
    if (!format) return false;
    format->reader(host, path);
    return true;
}

bool InventoryFiles::NewInventory() {
    if (BusyGuard::IsBusy()) return false;
    if (host_.Modified() &&
        AskYesNo(QStringLiteral("Do you want to save your changes before making a new inventory?")))
        return false;
    host_.ClearInventory();
    host_.SetSetName(QString());
    host_.UpdateCount();
    for (int k = 0; k < kSetFieldCount; ++k)
        host_.SetSetInformation(static_cast<SetField>(k), QString());
    host_.SetModified(false);
    return true;
}

bool InventoryFiles::ConfirmLoad() {
    return !host_.Modified() ||
           !AskYesNo(QStringLiteral("Do you want to save your changes before loading a new inventory?"));
}

void InventoryFiles::ReadFiles(const QStringList& paths, bool loading) {
    if (BusyGuard::IsBusy()) return;
    BusyGuard busy;
    const int rowsBefore = host_.InventoryRowCount();
    int filesWithRows = 0;
    // Files that gave nothing, and the error that ended the command: silence would read as success.
    QStringList findings;
    host_.BeginLoading(loading);
    host_.SetStatusText(QStringLiteral("Loading file . . . "));
    for (const QString& path : paths) {
        const int before = host_.InventoryRowCount();
        try {
            if (!ReadInventoryFile(host_, path)) {
                findings << QStringLiteral("%1 was not read: the program reads only %2 files.")
                                .arg(path, ExtensionsOf(kReadFormats));
                continue;
            }
        } catch (const std::exception& e) {
            findings << ExceptionText(e);
            break;
        }
        if (host_.InventoryRowCount() > before)
            ++filesWithRows;
        else
            findings << QStringLiteral("No row could be read from %1.").arg(path);
        saveName_ = path;
    }
    host_.SetStatusText(QString());
    host_.EndLoading();
    host_.SelectLastRow();
    host_.UpdateCount();
    // Rows of several files together, or added to rows already there, exist in no file yet.
    if (filesWithRows > 1 || (rowsBefore > 0 && filesWithRows > 0)) host_.SetModified(true);
    if (!findings.isEmpty()) ShowMessage(findings.join(u'\n'));
}

void InventoryFiles::OpenFiles(const QStringList& paths) {
    ReadFiles(paths, true);
}

void InventoryFiles::DropFiles(const QStringList& paths) {
    if (BusyGuard::IsBusy() || !ConfirmLoad()) return;
    ReadFiles(paths, false);
}

QString InventoryFiles::MultiOpenPrompt(const QString& path) {
    return QStringLiteral("How many of set ") + path + QStringLiteral(" should be added?");
}

void InventoryFiles::MultiOpen(const QString& path, int count) {
    const ReadFormat* format = FindFormat(kReadFormats, path);
    if (!format || !format->multiOpen || count <= 0) return;
    ReadFiles(QStringList(count, path), true);
}

QString InventoryFiles::ProposedSaveName() const {
    const qsizetype slash = saveName_.lastIndexOf(u'/');
    const qsizetype dot = saveName_.lastIndexOf(u'.');
    return dot > slash + 1 ? saveName_.left(dot) : saveName_;
}

bool InventoryFiles::Save(const QString& chosenPath, const QString& selectedFilter) {
    if (host_.InventoryRowCount() == 0 || BusyGuard::IsBusy()) return false;
    QString path = chosenPath;
    if (!FileNameOf(path).contains(u'.')) path += FilterExtension(selectedFilter);
    const SaveFormat* format = FindFormat(kSaveFormats, path);
    if (!format) {
        ShowMessage(QStringLiteral("%1 was not saved: the program writes only %2 files.")
                        .arg(path, ExtensionsOf(kSaveFormats)));
        return false;
    }
    if (const QString error = format->writer(host_, path); !error.isEmpty()) {
        ShowMessage(QStringLiteral("%1 could not be saved: %2").arg(path, error));
        return false;
    }
    saveName_ = path;
    host_.SetModified(false);
    return true;
}
