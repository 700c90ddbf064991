#include "app/xls_inventory.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "app/color_table.h"
#include "app/inventory_fields.h"
#include "formats/xls/xls_error.h"
#include "formats/xls/xls_read.h"
#include "formats/xls/xls_write.h"

namespace {

constexpr int kNormal = 0, kBold = 1;
constexpr int kFirstPartRow = 2;
constexpr int kLastSheetRow = 65535;
constexpr int kLastSheetColumn = 255;
const QString kGrandTotal = QStringLiteral("Grand Total");
const QString kUnknown = QStringLiteral("UNKNOWN");

// Nothing for an empty quantity, which leaves its cell empty.
std::optional<qint64> Quantity(const InventoryCells& row) {
    const QString text = row[ColQuantity].trimmed();
    if (text.isEmpty()) return std::nullopt;
    if (const std::optional<long long> value = ParseQuantity(text)) return *value;
    throw XLSError("'" + row[ColQuantity].toStdString() + "' is not a valid integer value (part " +
                   row[ColPartNumber].toStdString() + ", " + row[ColColor].toStdString() + ")");
}

QString Sum(const QString& from, const QString& to) {
    return "SUM(" + from + ":" + to + ")";
}

// One key (part and colour) with the sum of its rows' quantities; no sum when every quantity was empty.
struct KeyEntry {
    const InventoryCells* row;
    std::optional<qint64> quantity;
};

// Equal keys sum up; sorting by key puts the colours of a part side by side.
std::vector<KeyEntry> SummedByKey(const std::vector<InventoryCells>& rows) {
    std::vector<const InventoryCells*> sorted;
    sorted.reserve(rows.size());
    for (const InventoryCells& row : rows)
        sorted.push_back(&row);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](auto a, auto b) { return (*a)[ColKey] < (*b)[ColKey]; });
    std::vector<KeyEntry> entries;
    for (const InventoryCells* row : sorted) {
        const std::optional<qint64> quantity = Quantity(*row);
        if (entries.empty() || (*entries.back().row)[ColKey] != (*row)[ColKey])
            entries.push_back({row, quantity});
        else if (quantity)
            entries.back().quantity = AddQuantities(entries.back().quantity.value_or(0), *quantity);
    }
    return entries;
}

// Lays the entries out on an open sheet; returns how many inventory rows fell into the unknown column.
class SheetLayout {
  public:
    SheetLayout(XLSWrite& writer, const QStringList& colourNames)
        : writer_(writer), unknown_(XlsUnknownColumn(static_cast<int>(colourNames.size()))),
          lastLetters_(XlsColumnLetters(unknown_)), columnTotals_(static_cast<size_t>(unknown_ + 1), 0) {
        for (int k = static_cast<int>(colourNames.size()) - 1; k >= 0; --k)
            colourColumn_.insert(colourNames[k], kXlsFirstColourColumn + k);
        writer_.SetColWidth(1, 1, kNormal, 11000);
        writer_.WriteString(0, 0, kBold, "Ldraw#");
        writer_.WriteString(1, 0, kBold, "Part Name");
        writer_.WriteString(2, 0, kBold, "All");
        for (int k = 0; k < colourNames.size(); ++k)
            writer_.WriteString(kXlsFirstColourColumn + k, 0, kBold, colourNames[k]);
        writer_.WriteString(unknown_, 0, kBold, kUnknown);
    }

    void Add(const KeyEntry& entry) {
        const InventoryCells& row = *entry.row;
        if (!previous_ || (*previous_)[ColPartNumber] != row[ColPartNumber]) {
            FlushRow();
            ++r_;
            writer_.WriteString(0, r_, kNormal, row[ColPartNumber]);
            writer_.WriteString(1, r_, kNormal, row[ColDescription]);
            rowStarted_ = true;
        }
        previous_ = &row;
        const auto found = colourColumn_.constFind(row[ColColor]);
        const int column = found == colourColumn_.constEnd() ? unknown_ : *found;
        if (entry.quantity) cells_[column] = AddQuantities(cells_[column], *entry.quantity);
    }

    // The totals sit one row below a blank row; the sums run from the first part row to that blank row.
    void Finish() {
        FlushRow();
        const int totalsRow = r_ + 2;
        const QString sumEnd = QString::number(totalsRow);
        qint64 grand = 0;
        for (qint64 total : columnTotals_)
            grand = AddQuantities(grand, total);
        writer_.WriteString(1, totalsRow, kBold, kGrandTotal);
        writer_.WriteFormula(2, totalsRow, kNormal, static_cast<double>(grand), Sum("C3", "C" + sumEnd));
        writer_.WriteFormula(2, totalsRow + 1, kNormal, static_cast<double>(grand),
                             Sum("D3", lastLetters_ + sumEnd));
        for (int c = kXlsFirstColourColumn; c <= unknown_; ++c) {
            const QString letters = XlsColumnLetters(c);
            writer_.WriteFormula(c, totalsRow + 1, kNormal,
                                 static_cast<double>(columnTotals_[static_cast<size_t>(c)]),
                                 Sum(letters + "3", letters + sumEnd));
        }
    }

    bool IsKnown(const QString& colour) const { return colourColumn_.contains(colour); }

  private:
    void FlushRow() {
        if (!rowStarted_) return;
        qint64 total = 0;
        for (const auto& [column, quantity] : cells_) {
            writer_.WriteNumber(column, r_, kNormal, static_cast<double>(quantity));
            qint64& columnTotal = columnTotals_[static_cast<size_t>(column)];
            columnTotal = AddQuantities(columnTotal, quantity);
            total = AddQuantities(total, quantity);
        }
        const QString rowLabel = QString::number(r_ + 1);
        writer_.WriteFormula(2, r_, kNormal, static_cast<double>(total),
                             Sum("D" + rowLabel, lastLetters_ + rowLabel));
        cells_.clear();
        rowStarted_ = false;
    }

    XLSWrite& writer_;
    const int unknown_;
    const QString lastLetters_;
    QHash<QString, int> colourColumn_;
    std::vector<qint64> columnTotals_;
    std::map<int, qint64> cells_; // quantities of the current sheet row by column
    const InventoryCells* previous_ = nullptr;
    bool rowStarted_ = false;
    int r_ = kFirstPartRow - 1;
};

// Numbers without a fraction read as whole numbers when they fit; anything else keeps its fraction or
// exponent, so that the quantity warning names it.
QString CellText(const QVariant& value) {
    if (value.typeId() != QMetaType::Double) return value.toString();
    const double v = value.toDouble();
    constexpr double kLimit = 9223372036854775808.0; // 2^63
    if (std::isfinite(v) && v == std::trunc(v) && v >= -kLimit && v < kLimit)
        return QString::number(static_cast<qint64>(v));
    return QString::number(v, 'g', 15);
}

// Colour columns: the unbroken run of headers from the first colour on, and the unknown column wherever
// its header stands.
std::vector<std::pair<int, QString>> ColourColumns(const XLSRead& reader) {
    std::vector<std::pair<int, QString>> columns;
    QVariant value;
    int col = kXlsFirstColourColumn;
    for (; col <= kLastSheetColumn && reader.ReadCell(0, col, 0, value); ++col)
        columns.emplace_back(col, CellText(value));
    for (; col <= kLastSheetColumn; ++col) {
        if (reader.ReadCell(0, col, 0, value) && CellText(value) == kUnknown) {
            columns.emplace_back(col, kUnknown);
            break;
        }
    }
    return columns;
}

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

int WriteXlsFile(const QString& path, const std::vector<InventoryCells>& rows,
                 const QStringList& colourNames) {
    if (rows.empty()) throw XLSError("There are no rows to save");
    if (XlsUnknownColumn(static_cast<int>(colourNames.size())) > kLastSheetColumn)
        throw XLSError("Too many colours for one sheet");
    const std::vector<KeyEntry> entries = SummedByKey(rows);

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
    } catch (const XLSError& e) {
        throw XLSError(std::string(e.what()) + "\r\nPlease close Excel and try again.");
    }
    // A failure from here on leaves the writer by exception: it abandons the file.
    SheetLayout sheet(writer, colourNames);
    for (const KeyEntry& entry : entries)
        sheet.Add(entry);
    sheet.Finish();
    writer.CloseFile();
    return static_cast<int>(std::count_if(
        rows.begin(), rows.end(), [&](const InventoryCells& row) { return !sheet.IsKnown(row[ColColor]); }));
}

WriteOutcome WriteXlsInventory(const InventoryContents& inv, const QString& path) {
    QStringList colourNames;
    for (int row = 0; row < inv.colours.RowCount(); ++row)
        colourNames << inv.colours.Field(row, 1);
    int folded = 0;
    try {
        folded = WriteXlsFile(path, inv.rows, colourNames);
    } catch (const XLSError& e) {
        return {QString::fromStdString(e.what()), {}};
    }
    if (folded == 0) return {};
    return {{},
            QStringLiteral("%1: %2 rows have colours that colors.txt does not list; their quantities "
                           "were saved under UNKNOWN, without their colour names.")
                .arg(path)
                .arg(folded)};
}

QString XlsOpenTrouble(const QString& path) {
    return "I'm having trouble opening " + path + "\n" + "\rPlease close this file if it is open in Excel.";
}

ParsedInventory ReadXlsInventory(const InventorySource& file, const InventoryLookups& lookups) {
    ParsedInventory parsed;
    XLSRead reader;
    // Bytes that were read but make no workbook: nothing another program could release, so say what it is.
    try {
        reader.OpenBytes(file.bytes);
    } catch (const XLSPasswordError& error) {
        throw UnopenedFileError(file.path + "\n" + QString::fromUtf8(error.what()));
    } catch (const XLSError& error) {
        throw UnopenedFileError(
            QStringLiteral("%1 is not a workbook: %2.").arg(file.path, QString::fromUtf8(error.what())));
    }
    const std::vector<std::pair<int, QString>> columns = ColourColumns(reader);
    RowAdder rows(parsed, lookups, file.path, QStringLiteral("row"));
    QVariant value;
    for (int r = kFirstPartRow; r <= kLastSheetRow; ++r) {
        const bool hasPart = reader.ReadCell(0, 0, r, value);
        const QString part = hasPart ? CellText(value) : QString();
        const QString description = reader.ReadCell(0, 1, r, value) ? CellText(value) : QString();
        if (!hasPart) {
            if (description == kGrandTotal) break;
            continue;
        }
        for (const auto& [c, colour] : columns)
            if (reader.ReadCell(0, c, r, value))
                rows.Add(part, description, colour, CellText(value), {}, {}, r + 1);
    }
    reader.Close();
    rows.Finish();
    return parsed;
}
