#include "app/imported_formats.h"

#include "app/color_table.h"
#include "app/file_paths.h"
#include "app/inventory_fields.h"
#include "app/inventory_host.h"
#include "app/ldraw_model.h"
#include "app/own_formats.h"
#include "platform/text.h"

namespace {

constexpr int kColourNameField = 1;
constexpr int kLDrawNumberField = 2;
constexpr int kMarketplaceIdField = 4;

QString LDrawColourName(const InventoryHost& host, const QString& number) {
    bool ok = false;
    const int value = number.toInt(&ok, 10);
    if (!ok) return QStringLiteral("NotFound");
    return host.Colours().ColourFieldByKey(QString::number(value), kLDrawNumberField, kColourNameField);
}

// A submodel file in the model's own folder, in any letter case; the folder is read afresh each time, as
// the user may just have saved the file.
std::optional<QString> FileBesideModel(const QString& modelPath, const QString& name) {
    namespace fs = std::filesystem;
    if (name.contains(u'/') || name.contains(u'\\')) return std::nullopt;
    const std::string wanted = AsciiLower(ToFsPath(name).string());
    const fs::path folder = ToFsPath(modelPath).parent_path();
    std::error_code error;
    for (fs::directory_iterator entry(folder.empty() ? fs::path(".") : folder, error), end;
         !error && entry != end; entry.increment(error)) {
        std::error_code typeError;
        if (AsciiLower(entry->path().filename().string()) == wanted && entry->is_regular_file(typeError))
            return ReadInventoryText(FromFsPath(entry->path()));
    }
    return std::nullopt;
}

} // namespace

QString MarketplaceColourName(const InventoryHost& host, const QString& colourId) {
    return host.Colours().ColourFieldByKey(colourId, kMarketplaceIdField, kColourNameField);
}

QString MarketplaceDescription(const InventoryHost& host, const QString& partNumber,
                               const QString& fileDescription) {
    const QString master = host.MasterDescription(partNumber);
    return master.isEmpty() ? QStringLiteral("BLK DESC - ") + fileDescription : master;
}

void ReadLDrawFile(InventoryHost& host, const QString& path) {
    const LDrawModel model = ReadLDrawModel(
        ReadInventoryText(path), FileNameOf(path),
        [&](const QString& name) { return FileBesideModel(path, name); }, host.LDrawColourTable());
    RowAdder rows(host, path);
    for (const ModelPart& part : model.parts) {
        const QString partNumber = part.fileName.left(part.fileName.size() - 4).toLower();
        QString description = host.MasterDescription(partNumber);
        if (description.isEmpty()) description = QStringLiteral("Unknown Part");
        rows.Add(partNumber, description, LDrawColourName(host, part.colour), QStringLiteral("1"), QString(),
                 QString(), part.lineNo);
    }
    for (const QString& problem : model.problems)
        rows.Note(path + QStringLiteral(": ") + problem);
    rows.Finish();
}

void ReadBlkFile(InventoryHost& host, const QString& path) {
    const QStringList lines = ReadInventoryLines(path);
    if (lines.isEmpty()) return;
    if (host.SetName().isEmpty()) host.SetSetName(FieldLine(lines[0]).Raw(2));
    if (lines.size() > 1 && lines[1].contains(u"Theme:")) ReadSetInformationLine(host, lines[1]);
    RowAdder rows(host, path);
    for (int i = 4; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) continue;
        const FieldLine f(lines[i]);
        rows.Add(f.Raw(2), MarketplaceDescription(host, f.Raw(2), f.Raw(5)),
                 MarketplaceColourName(host, f.Raw(12)), f.Raw(1), QString(), QString(), i + 1);
    }
    rows.Finish();
}
