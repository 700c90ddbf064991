#include "app/own_formats.h"

#include <QList>

#include "app/file_paths.h"
#include "app/inventory_fields.h"
#include "platform/text.h"

namespace {

constexpr int kOwnHeaderLines = 4;

// Rows start after the header lines; empty lines are skipped.
template <typename RowFn> void ForEachDataLine(const TextLines& lines, int firstLine, RowFn&& addRow) {
    for (int i = firstLine; i < lines.size(); ++i)
        if (!lines[i].isEmpty()) addRow(FieldLine(lines[i]), i + 1);
}

void ReadOwnInv(ParsedInventory& parsed, const TextLines& lines, RowAdder& rows) {
    parsed.FillName(FieldLine(lines[0])[2]);
    ForEachDataLine(lines, kOwnHeaderLines, [&](const FieldLine& f, int lineNo) {
        rows.Add(f[2], f[3], f[4], f[1], QString(), QString(), lineNo);
    });
}

// Information lines of a downloaded inventory begin with a blank; each fills its field only once.
void ReadRawInfoLine(ParsedInventory& parsed, QStringView line) {
    auto fill = [&](SetField field, const QString& value) { parsed.FillField(field, TrimField(value)); };
    if (line.contains(u"Submitted by")) {
        fill(SetField::InvBy, line.toString().remove(QStringLiteral(" Submitted by  ")));
    } else if (line.contains(u"Inventoried by")) {
        fill(SetField::InvBy, line.toString().remove(QStringLiteral(" Inventoried by ")));
    } else if (line.contains(u"Source:")) {
        fill(SetField::Source, line.toString().remove(QStringLiteral(" Source: ")));
    } else if (const qsizetype at = line.indexOf(u"Added to"); at >= 0) {
        // "Added to <host> on <date>": the date is what follows " on ".
        const qsizetype on = line.indexOf(u" on ", at);
        if (on >= 0) fill(SetField::Date, line.mid(on + 4).toString());
    }
}

void ReadRawInv(ParsedInventory& parsed, const QString& path, const TextLines& lines, RowAdder& rows) {
    parsed.FillName(FileNameOf(path).remove(QStringLiteral(".inv")));
    for (int i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (line.isEmpty()) continue;
        if (line[0] == u' ') {
            ReadRawInfoLine(parsed, line);
            continue;
        }
        const FieldLine f(line);
        rows.Add(f[2], f[5], f[4], f[1], f[3], f[6], i + 1);
    }
}

QString CountCell(const InventoryContents& inv) {
    long long count = 0;
    for (const InventoryCells& row : inv.rows)
        count = AddQuantities(count, ParseQuantity(row[ColQuantity]).value_or(0));
    return QString::number(count);
}

QString Cell(const InventoryCells& row, int column) {
    return TabFileCell(row[static_cast<size_t>(column)]);
}

QString SetInfo(const InventoryContents& inv, SetField field) {
    return TabFileCell(inv.SetInformation(field));
}

QString Save(const QString& path, const QStringList& lines) {
    return QString::fromStdString(WriteTextFile(ToFsPath(path), lines));
}

QString CsvValue(const QString& value) {
    QString quoted = value;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// RFC 4180 records over the whole text; a quote inside a quoted value that is not doubled and not followed
// by a comma or a line end is taken as it stands, as older files wrote them unescaped.
QList<QStringList> ParseCsv(const QString& text) {
    QList<QStringList> records;
    QStringList record;
    QString value;
    bool quoted = false;  // inside a quoted value
    bool started = false; // the current value has begun
    const qsizetype n = text.size();
    auto endValue = [&] {
        record << value;
        value.clear();
        started = quoted = false;
    };
    auto endRecord = [&] {
        if (started || !record.isEmpty()) endValue();
        if (!record.isEmpty()) records << record;
        record.clear();
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            const QChar next = i + 1 < n ? text[i + 1] : QChar(u'\n');
            if (c != u'"' || next == u'"') {
                value += c;
                if (c == u'"') ++i;
            } else if (next == u',' || next == u'\r' || next == u'\n') {
                quoted = false;
            } else {
                value += c;
            }
            continue;
        }
        if (c == u',') {
            endValue();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            endRecord();
        } else if (c == u'"' && !started) {
            quoted = started = true;
        } else {
            value += c;
            started = true;
        }
    }
    endRecord();
    return records;
}

} // namespace

void ReadSetInformationLine(ParsedInventory& parsed, QStringView line) {
    const FieldLine f(line);
    for (int k = 0; k < kSetFieldCount; ++k)
        parsed.ReplaceField(static_cast<SetField>(k), f[2 * (k + 1)]);
}

ParsedInventory ReadInvFile(const InventorySource& file, const InventoryLookups& lookups) {
    ParsedInventory parsed;
    const TextLines lines = InventoryLines(file);
    if (lines.isEmpty()) return parsed;
    RowAdder rows(parsed, lookups, file.path);
    if (lines[0].contains(u"Set:"))
        ReadOwnInv(parsed, lines, rows);
    else
        ReadRawInv(parsed, file.path, lines, rows);
    rows.Finish();
    return parsed;
}

ParsedInventory ReadPrnFile(const InventorySource& file, const InventoryLookups& lookups) {
    ParsedInventory parsed;
    const TextLines lines = InventoryLines(file);
    if (lines.isEmpty()) return parsed;
    parsed.FillName(FieldLine(lines[0])[2]);
    if (lines.size() > 1 && lines[1].contains(u"Theme:")) ReadSetInformationLine(parsed, lines[1]);
    RowAdder rows(parsed, lookups, file.path);
    ForEachDataLine(lines, kOwnHeaderLines, [&](const FieldLine& f, int lineNo) {
        rows.Add(f[2], f[5], f[4], f[1], f[3], f[6], lineNo);
    });
    rows.Finish();
    return parsed;
}

ParsedInventory ReadTsvFile(const InventorySource& file, const InventoryLookups& lookups) {
    ParsedInventory parsed;
    const TextLines lines = InventoryLines(file);
    RowAdder rows(parsed, lookups, file.path);
    ForEachDataLine(lines, 1, [&](const FieldLine& f, int lineNo) {
        rows.Add(f[2], f[4], f[3], f[1], QString(), f[5], lineNo);
    });
    rows.Finish();
    return parsed;
}

ParsedInventory ReadCsvFile(const InventorySource& file, const InventoryLookups& lookups) {
    ParsedInventory parsed;
    const QList<QStringList> records = ParseCsv(InventoryText(file));
    RowAdder rows(parsed, lookups, file.path);
    for (int i = 1; i < records.size(); ++i) {
        const QStringList& r = records[i];
        auto field = [&](int n) { return n <= r.size() ? TrimField(r[n - 1]) : QString(); };
        rows.Add(field(2), field(5), field(4), field(1), field(3), field(6), i + 1);
    }
    rows.Finish();
    return parsed;
}

WriteOutcome WriteInvFile(const InventoryContents& inv, const QString& path) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(inv.rows.size()) + kOwnHeaderLines);
    lines << QStringLiteral("Set:\t%1\t\t").arg(TabFileCell(inv.setName))
          << QStringLiteral("Pieces:\t%1\t\t").arg(CountCell(inv)) << QStringLiteral("\t\t\t")
          << QStringLiteral("Count\tPart #\tPart\tColor");
    for (const InventoryCells& row : inv.rows)
        lines << Cell(row, ColQuantity) + u'\t' + Cell(row, ColPartNumber) + u'\t' +
                     Cell(row, ColDescription) + u'\t' + Cell(row, ColColor);
    return {Save(path, lines), {}};
}

WriteOutcome WritePrnFile(const InventoryContents& inv, const QString& path) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(inv.rows.size()) + kOwnHeaderLines);
    lines << QStringLiteral("#Set:\t%1\t\t").arg(TabFileCell(inv.setName));
    static const char* const kLabels[kSetFieldCount] = {
        "#Theme:", "Year:", "Pcs:", "Figs:", "MSRP:", "Inventoried By:", "Source:", "Date:"};
    QString info;
    for (int k = 0; k < kSetFieldCount; ++k)
        info += QLatin1String(kLabels[k]) + u'\t' + SetInfo(inv, static_cast<SetField>(k)) + u'\t';
    info += QStringLiteral("Element Count:\t\t") + CountCell(inv) + u'\t';
    lines << info << QStringLiteral("\t\t\t")
          << QStringLiteral("#Quantity\tLdraw #\tBag(if any)\tColor\tPart Name\tNotes");
    for (const InventoryCells& row : inv.rows)
        lines << Cell(row, ColQuantity) + u'\t' + Cell(row, ColPartNumber) + u'\t' + Cell(row, ColBag) +
                     u'\t' + Cell(row, ColColor) + u'\t' + Cell(row, ColDescription) + u'\t' +
                     Cell(row, ColNotes);
    return {Save(path, lines), {}};
}

WriteOutcome WriteCsvFile(const InventoryContents& inv, const QString& path) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(inv.rows.size()) + 1);
    lines << QStringLiteral("\"Quantity\",\"Ldraw #\",\"Bag(if any)\",\"Color\",\"Part Name\",\"Notes\"");
    static constexpr int kColumns[] = {ColQuantity, ColPartNumber,  ColBag,
                                       ColColor,    ColDescription, ColNotes};
    for (const InventoryCells& row : inv.rows) {
        QString line;
        for (int column : kColumns) {
            if (!line.isEmpty()) line += u',';
            line += CsvValue(row[static_cast<size_t>(column)]);
        }
        lines << line;
    }
    return {Save(path, lines), {}};
}
