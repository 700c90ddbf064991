#include "app/imported_formats.h"

#include "app/color_table.h"
#include "app/inventory_fields.h"
#include "app/inventory_host.h"
#include "app/own_formats.h"

namespace {

constexpr int kColourNameField = 1;
constexpr int kLDrawNumberField = 2;
constexpr int kMarketplaceIdField = 4;
// Type, colour, three coordinates and nine matrix entries come before the referenced file name.
constexpr int kFieldsBeforeFileName = 14;

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// A type-1 line split at runs of blanks and TABs: colour and file name (the rest of the line, which may hold
// blanks). False for any other line.
bool SplitReference(const QString& line, QString& colour, QString& fileName) {
    const qsizetype n = line.size();
    qsizetype pos = 0;
    for (int field = 1; field <= kFieldsBeforeFileName; ++field) {
        while (pos < n && IsBlank(line[pos]))
            ++pos;
        const qsizetype start = pos;
        while (pos < n && !IsBlank(line[pos]))
            ++pos;
        if (start == pos) return false;
        const QStringView token = QStringView(line).mid(start, pos - start);
        if (field == 1 && token != u"1") return false;
        if (field == 2) colour = token.toString();
    }
    fileName = TrimField(line.mid(pos));
    return !fileName.isEmpty();
}

QString LDrawColourName(const InventoryHost& host, const QString& number) {
    bool ok = false;
    const int value = number.toInt(&ok, 10);
    if (!ok) return QStringLiteral("NotFound");
    return host.Colours().ColourFieldByKey(QString::number(value), kLDrawNumberField, kColourNameField);
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
    const QStringList lines = ReadInventoryLines(path);
    RowAdder rows(host, path);
    QString colour, fileName;
    for (int i = 0; i < lines.size(); ++i) {
        if (!SplitReference(lines[i], colour, fileName)) continue;
        const QString partNumber = fileName.left(fileName.size() - 4).toLower();
        QString description = host.MasterDescription(partNumber);
        if (description.isEmpty()) description = QStringLiteral("Unknown Part");
        rows.Add(partNumber, description, LDrawColourName(host, colour), QStringLiteral("1"), QString(),
                 QString(), i + 1);
    }
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
