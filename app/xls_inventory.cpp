#include "app/xls_inventory.h"

#include <QHash>
#include <algorithm>
#include <map>

#include "app/color_table.h"
#include "formats/xls/xls_error.h"
#include "formats/xls/xls_read.h"
#include "formats/xls/xls_write.h"
#include "platform/ui.h"

namespace {

constexpr int kNormal = 0, kBold = 1;
constexpr int kFirstPartRow = 2;

qint64 Quantity(const InventoryCells& row) {
    bool ok = false;
    qint64 value = row[ColQuantity].trimmed().toLongLong(&ok);
    if (!ok) {
        throw XLSError("'" + row[ColQuantity].toStdString() + "' is not a valid integer value (part " +
                       row[ColPartNumber].toStdString() + ", " + row[ColColor].toStdString() + ")");
    }
    return value;
}

QString Sum(const QString& from, const QString& to) {
    return "SUM(" + from + ":" + to + ")";
}

// Quantities of one sheet row by column; equal columns add up.
using SheetRow = std::map<int, qint64>;

} // namespace

int XlsUnknownColumn(int colourCount) {
    return std::max(kXlsUnknownColumn, kXlsFirstColourColumn + colourCount);
}

QString XlsColumnLetters(int column) {
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar('A' + (c - 1) % 26));
    return letters;
}

bool WriteXlsFile(const QString& path, const std::vector<InventoryCells>& rows,
                  const QStringList& colourNames) {
    if (rows.empty()) return false;
    const int unknown = XlsUnknownColumn(static_cast<int>(colourNames.size()));
    if (unknown > 255) throw XLSError("Too many colours for one sheet");
    QHash<QString, int> colourIndex;
    for (int k = colourNames.size() - 1; k >= 0; --k)
        colourIndex.insert(colourNames[k], k);

    // Equal keys (part and colour) sum up; sorting by key puts the colours of a part side by side.
    std::vector<const InventoryCells*> sorted;
    for (const InventoryCells& row : rows)
        sorted.push_back(&row);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](auto a, auto b) { return (*a)[ColKey] < (*b)[ColKey]; });
    struct Entry {
        const InventoryCells* row;
        qint64 quantity;
    };
    std::vector<Entry> entries;
    for (const InventoryCells* row : sorted) {
        qint64 quantity = Quantity(*row);
        if (!entries.empty() && (*entries.back().row)[ColKey] == (*row)[ColKey])
            entries.back().quantity += quantity;
        else
            entries.push_back({row, quantity});
    }

    XLSWrite writer;
    writer.SetXLSVersion(XLSVersion::xls97);
    CellFormat normal, bold;
    normal.Name = "normal";
    bold.Name = "bold";
    bold.Font.Style = xfsBold;
    writer.Formats = {normal, bold};
    writer.FileName = path;
    try {
        writer.OpenFile();
    } catch (const XLSError&) {
        ShowMessage("Please close Excel and try again.");
        return false;
    }
    writer.SetColWidth(1, 1, kNormal, 11000);
    writer.WriteString(0, 0, kBold, "Ldraw#");
    writer.WriteString(1, 0, kBold, "Part Name");
    writer.WriteString(2, 0, kBold, "All");
    for (int k = 0; k < colourNames.size(); ++k)
        writer.WriteString(kXlsFirstColourColumn + k, 0, kBold, colourNames[k]);
    writer.WriteString(unknown, 0, kBold, "UNKNOWN");

    const QString lastLetters = XlsColumnLetters(unknown);
    std::vector<qint64> columnTotals(static_cast<size_t>(unknown + 1), 0);
    int r = kFirstPartRow - 1;
    SheetRow cells;
    auto flush = [&] {
        qint64 total = 0;
        for (const auto& [col, quantity] : cells) {
            writer.WriteNumber(col, r, kNormal, static_cast<double>(quantity));
            columnTotals[static_cast<size_t>(col)] += quantity;
            total += quantity;
        }
        if (!cells.empty()) {
            const QString rowLabel = QString::number(r + 1);
            writer.WriteFormula(2, r, kNormal, static_cast<double>(total),
                                Sum("D" + rowLabel, lastLetters + rowLabel));
        }
        cells.clear();
    };
    const InventoryCells* previous = nullptr;
    for (const Entry& e : entries) {
        if (!previous || (*previous)[ColPartNumber] != (*e.row)[ColPartNumber]) {
            flush();
            ++r;
            writer.WriteString(0, r, kNormal, (*e.row)[ColPartNumber]);
            writer.WriteString(1, r, kNormal, (*e.row)[ColDescription]);
        }
        auto found = colourIndex.constFind((*e.row)[ColColor]);
        cells[found == colourIndex.constEnd() ? unknown : kXlsFirstColourColumn + found.value()] +=
            e.quantity;
        previous = e.row;
    }
    flush();

    // The totals sit one row below a blank row; the sums run from the first part row to that blank row.
    const int totalsRow = r + 2;
    const QString sumEnd = QString::number(totalsRow);
    qint64 grand = 0;
    for (qint64 t : columnTotals)
        grand += t;
    writer.WriteString(1, totalsRow, kBold, "Grand Total");
    writer.WriteFormula(2, totalsRow, kNormal, static_cast<double>(grand), Sum("C3", "C" + sumEnd));
    writer.WriteFormula(2, totalsRow + 1, kNormal, static_cast<double>(grand),
                        Sum("D3", lastLetters + sumEnd));
    for (int c = kXlsFirstColourColumn; c <= unknown; ++c) {
        QString letters = XlsColumnLetters(c);
        writer.WriteFormula(c, totalsRow + 1, kNormal,
                            static_cast<double>(columnTotals[static_cast<size_t>(c)]),
                            Sum(letters + "3", letters + sumEnd));
    }
    writer.CloseFile();
    return true;
}

namespace {

QString CellText(const QVariant& value) {
    if (value.typeId() != QMetaType::Double) return value.toString();
    double v = value.toDouble();
    if (v == static_cast<double>(static_cast<qint64>(v))) return QString::number(static_cast<qint64>(v));
    return QString::number(v, 'g', 15);
}

} // namespace

bool ReadXlsFile(const QString& path, const AddInventoryRowFn& addRow) {
    XLSRead reader;
    reader.FileName = path;
    try {
        reader.Open();
    } catch (const XLSPasswordError& error) {
        // Nothing another program could release: say what it is.
        ShowMessage(path + "\n" + QString::fromUtf8(error.what()));
        return false;
    } catch (const XLSError&) {
        ShowMessage("I'm having trouble opening " + path + "\n" +
                    "\rPlease close this file if it is open in Excel.");
        return false;
    }
    // Colour columns: the unbroken run of headers from the first colour on, and the unknown column wherever
    // its header stands.
    std::vector<std::pair<int, QString>> columns;
    QVariant value;
    int col = kXlsFirstColourColumn;
    for (; col <= 255 && reader.ReadCell(0, col, 0, value); ++col)
        columns.emplace_back(col, CellText(value));
    for (; col <= 255; ++col) {
        if (reader.ReadCell(0, col, 0, value) && CellText(value) == "UNKNOWN") {
            columns.emplace_back(col, "UNKNOWN");
            break;
        }
    }
    for (int r = kFirstPartRow; r <= 65535 && reader.ReadCell(0, 0, r, value); ++r) {
        ProcessMessages();
        QString part = CellText(value);
        QString description = reader.ReadCell(0, 1, r, value) ? CellText(value) : QString();
        for (const auto& [c, colour] : columns) {
            if (reader.ReadCell(0, c, r, value)) addRow(part, description, colour, CellText(value), {}, {});
        }
    }
    reader.Close();
    return true;
}

QString WriteXlsInventory(const InventoryHost& host, const QString& path) {
    std::vector<InventoryCells> rows(static_cast<size_t>(host.InventoryRowCount()));
    for (size_t row = 0; row < rows.size(); ++row)
        for (int column = 0; column < InventoryColumnCount; ++column)
            rows[row][static_cast<size_t>(column)] = host.InventoryCell(column, static_cast<int>(row));
    QStringList colourNames;
    for (int row = 0; row < host.Colours().RowCount(); ++row)
        colourNames << host.Colours().Field(row, 1);
    try {
        // False: the user has been told why.
        return WriteXlsFile(path, rows, colourNames) ? QString() : QStringLiteral("nothing was written.");
    } catch (const XLSError& e) {
        return QString::fromStdString(e.what());
    }
}

void ReadXlsInventory(InventoryHost& host, const QString& path) {
    ReadXlsFile(path, [&host](const QString& partNumber, const QString& description, const QString& colour,
                              const QString& quantity, const QString& bag, const QString& notes) {
        host.AddInventoryRow(partNumber, description, colour, quantity, bag, notes);
    });
}
