#include "app/imported_formats.h"

#include "app/color_table.h"
#include "app/file_paths.h"
#include "app/inventory_fields.h"
#include "app/ldraw_model.h"
#include "app/own_formats.h"
#include "ldraw/ldraw_colors.h"

namespace {

constexpr int kColourNameField = 1;
constexpr int kLDrawNumberField = 2;
constexpr int kMarketplaceIdField = 4;

QString LDrawColourName(const InventoryLookups& lookups, const QString& number) {
    bool ok = false;
    const int value = number.toInt(&ok, 10);
    if (!ok) return QStringLiteral("NotFound");
    return lookups.colours.ColourFieldByKey(QString::number(value), kLDrawNumberField, kColourNameField);
}

// A part's row fields as the lists know them.
struct PartFields {
    QString partNumber;
    QString description;
    QString colourName;
};

PartFields LookUpPart(const InventoryLookups& lookups, const ModelPart& part) {
    const QString partNumber = part.fileName.left(part.fileName.size() - 4).toLower();
    QString description = lookups.Description(partNumber);
    if (description.isEmpty()) description = QStringLiteral("Unknown Part");
    return {partNumber, description, LDrawColourName(lookups, part.colour)};
}

} // namespace

QString MarketplaceColourName(const InventoryLookups& lookups, const QString& colourId) {
    return lookups.colours.ColourFieldByKey(colourId, kMarketplaceIdField, kColourNameField);
}

QString MarketplaceDescription(const InventoryLookups& lookups, const QString& partNumber,
                               const QString& fileDescription) {
    const QString master = lookups.Description(partNumber);
    return master.isEmpty() ? QStringLiteral("BLK DESC - ") + fileDescription : master;
}

ParsedInventory ReadLDrawFile(const InventorySource& file, const InventoryLookups& lookups) {
    ParsedInventory parsed;
    const LDrawColours builtIn;
    // A submodel that is no text leaves the whole model out: the message names the model as well.
    const auto submodel = [&](const QString& name) -> std::optional<QString> {
        if (!file.beside) return std::nullopt;
        try {
            return file.beside(name);
        } catch (const UnopenedFileError& error) {
            throw UnopenedFileError(file.path + QStringLiteral(": ") + QString::fromUtf8(error.what()));
        }
    };
    const LDrawModel model = ReadLDrawModel(InventoryText(file), FileNameOf(file.path), submodel,
                                            lookups.ldrawColours ? *lookups.ldrawColours : builtIn);
    RowAdder rows(parsed, lookups, file.path);
    // Models place the same part in the same colour again and again: each pair is looked up once.
    QHash<std::pair<QString, QString>, PartFields> known;
    for (const ModelPart& part : model.parts) {
        auto fields = known.constFind({part.fileName, part.colour});
        if (fields == known.cend())
            fields = known.insert({part.fileName, part.colour}, LookUpPart(lookups, part));
        rows.Add(fields->partNumber, fields->description, fields->colourName, QStringLiteral("1"), QString(),
                 QString(), part.lineNo);
    }
    for (const QString& problem : model.problems)
        rows.Note(file.path + QStringLiteral(": ") + problem);
    rows.Finish();
    return parsed;
}

ParsedInventory ReadBlkFile(const InventorySource& file, const InventoryLookups& lookups) {
    ParsedInventory parsed;
    const TextLines lines = InventoryLines(file);
    if (lines.isEmpty()) return parsed;
    parsed.FillName(FieldLine(lines[0]).Raw(2));
    if (lines.size() > 1 && lines[1].contains(u"Theme:")) ReadSetInformationLine(parsed, lines[1]);
    RowAdder rows(parsed, lookups, file.path);
    for (int i = 4; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) continue;
        const FieldLine f(lines[i]);
        rows.Add(f.Raw(2), MarketplaceDescription(lookups, f.Raw(2), f.Raw(5)),
                 MarketplaceColourName(lookups, f.Raw(12)), f.Raw(1), QString(), QString(), i + 1);
    }
    rows.Finish();
    return parsed;
}
