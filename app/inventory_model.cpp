#include "app/inventory_model.h"

#include <QHash>
#include <algorithm>

#include "app/color_table.h"
#include "ui/list/list_sort.h"

namespace {

// Older colour names and the names rows store instead, tested in this order.
constexpr std::array<std::pair<const char16_t*, const char16_t*>, 9> kColourRenames = {{
    {u"DkGray", u"OldDkGray"},
    {u"Brown", u"OldBrown"},
    {u"Gray", u"OldGray"},
    {u"Silver", u"ChromeSilver"},
    {u"DkPurple", u"MdLilac"},
    {u"LtSwampGreen", u"Lime"},
    {u"Gold", u"ChromeGold"},
    {u"LtGray", u"ScalaGray"},
    {u"FlatSilver", u"PearlLtGray"},
}};

constexpr std::array<const char*, InventoryColumnCount> kCaptions = {
    "numcolor", "Quantity", "Part Number", "Bag", "Color", "Description", "Notes"};

long long QuantityOf(const QString& cell) {
    return ParseQuantity(cell).value_or(0);
}

bool InRange(int column, int row, std::size_t rows) {
    return column >= 0 && column < InventoryColumnCount && row >= 0 && static_cast<std::size_t>(row) < rows;
}

struct MergedRows {
    // The first row of each key, in list order; the other rows are the duplicates.
    std::vector<int> kept;
    // The piece count of the merged rows.
    long long count = 0;
    QuantityWarning warning;
};

// Rows with equal keys become the first of them, holding the sum of their quantities; everything else of
// that first row (bag, notes) is kept. One pass, in list order; the duplicates stay where they are.
MergedRows MergeDuplicates(std::vector<InventoryCells>& rows) {
    MergedRows merged;
    std::vector<long long> sums;
    std::vector<bool> repeated;
    // Views of the keys: the rows do not move while the hash lives.
    QHash<QStringView, size_t> firstOf;
    firstOf.reserve(static_cast<qsizetype>(rows.size()));
    for (size_t row = 0; row < rows.size(); ++row) {
        const InventoryCells& cells = rows[row];
        const long long quantity = merged.warning.Count(cells[ColQuantity], [&] {
            return QStringLiteral("Row %1 (%2 %3)").arg(row + 1).arg(cells[ColPartNumber], cells[ColColor]);
        });
        const QStringView key = cells[ColKey];
        const auto it = firstOf.constFind(key);
        if (it == firstOf.constEnd()) {
            firstOf.insert(key, merged.kept.size());
            merged.kept.push_back(static_cast<int>(row));
            sums.push_back(quantity);
            repeated.push_back(false);
        } else {
            sums[*it] = AddQuantities(sums[*it], quantity);
            repeated[*it] = true;
        }
    }
    for (size_t i = 0; i < merged.kept.size(); ++i) {
        if (repeated[i]) rows[static_cast<size_t>(merged.kept[i])][ColQuantity] = QString::number(sums[i]);
        merged.count = AddQuantities(merged.count, sums[i]);
    }
    return merged;
}

std::vector<QStringView> TextsOf(const std::vector<InventoryCells>& rows, const std::vector<int>& which,
                                 int column) {
    std::vector<QStringView> texts;
    texts.reserve(which.size());
    for (int row : which)
        texts.push_back(rows[static_cast<size_t>(row)][static_cast<size_t>(column)]);
    return texts;
}

// The kept rows in the order of a stable sort by key descending followed by a stable sort by the column's
// texts with the sign: the second reads the texts in the order of the first, and the rows move once.
std::vector<int> CombinedOrder(const std::vector<InventoryCells>& rows, const std::vector<int>& kept,
                               int column, int sign) {
    const std::vector<int> byKey = KeyedOrder(TextsOf(rows, kept, ColKey), ssText, -1, {}, {});
    const std::vector<QStringView> texts = TextsOf(rows, kept, column);
    std::vector<QStringView> inKeyOrder;
    inKeyOrder.reserve(kept.size());
    for (int position : byKey)
        inKeyOrder.push_back(texts[static_cast<size_t>(position)]);
    std::vector<int> order;
    order.reserve(kept.size());
    for (int position : KeyedOrder(inKeyOrder, ssText, sign, {}, {}))
        order.push_back(kept[static_cast<size_t>(byKey[static_cast<size_t>(position)])]);
    return order;
}

} // namespace

InventoryModel::InventoryModel(QObject* parent) : ListModel(parent) {}

QString InventoryModel::GetCellText(int column, int row) const {
    if (row == -1 && column >= 0 && column < InventoryColumnCount)
        return QLatin1String(kCaptions[static_cast<size_t>(column)]);
    return InRange(column, row, rows_.size()) ? rows_[static_cast<size_t>(row)][static_cast<size_t>(column)]
                                              : QString();
}

void InventoryModel::SetCellText(int column, int row, const QString& text) {
    if (!InRange(column, row, rows_.size())) return;
    rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
    if (column == ColQuantity) UpdateCount();
}

QStringView InventoryModel::CellView(int column, int row) const {
    if (row < 0 || row >= RowCount()) return {};
    const InventoryCells& cells = rows_[static_cast<size_t>(row)];
    const size_t cell = static_cast<size_t>(std::max(column, 0));
    return cell < cells.size() ? QStringView(cells[cell]) : QStringView();
}

QStringList InventoryModel::Cells(int row) const {
    if (row < 0 || row >= RowCount()) return {};
    const InventoryCells& cells = rows_[static_cast<size_t>(row)];
    return QStringList(cells.begin(), cells.end());
}

void InventoryModel::AppendRows(std::vector<QStringList> rows) {
    std::vector<InventoryCells> cells(rows.size());
    for (size_t row = 0; row < rows.size(); ++row) {
        const qsizetype fit = std::min<qsizetype>(rows[row].size(), InventoryColumnCount);
        for (qsizetype column = 0; column < fit; ++column)
            cells[row][static_cast<size_t>(column)] = std::move(rows[row][column]);
    }
    AppendInventoryRows(std::move(cells));
}

void InventoryModel::StyleCell(int row, int subItem, CellStyle& style) const {
    if (subItem != ColBag - 1) return;
    static const ColorTable kNone;
    const ColorTable& colours = colours_ ? *colours_ : kNone;
    style.Brush = QColor::fromString(colours.HtmlColourByName(GetCellText(ColColor, row)));
    style.FontColor = ReadableTextColor(style.Brush);
}

void InventoryModel::AddInventoryRow(const QString& partNumber, const QString& description,
                                     const QString& colour, const QString& quantity, const QString& bag,
                                     const QString& notes) {
    const QString stored = RenamedColour(colour);
    AppendInventoryRows({{partNumber + stored, quantity, partNumber, bag, stored, description, notes}});
}

void InventoryModel::AppendInventoryRows(std::vector<InventoryCells> rows) {
    if (rows.empty()) return;
    long long count = count_;
    for (const InventoryCells& row : rows)
        count = AddQuantities(count, QuantityOf(row[ColQuantity]));
    beginInsertRows({}, RowCount(), RowCount() + static_cast<int>(rows.size()) - 1);
    if (rows_.empty())
        rows_ = std::move(rows);
    else
        rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
    SetCount(count);
}

InventoryCells InventoryModel::InventoryRow(int row) const {
    return row >= 0 && row < RowCount() ? rows_[static_cast<size_t>(row)] : InventoryCells();
}

void InventoryModel::ClearInventory() {
    ClearRows();
    SetCount(0);
}

QuantityWarning InventoryModel::CombineDuplicates() {
    const int sortColumn = SortColumn() >= 0 ? SortColumn() : int(ColDescription);
    // The sign follows this list's direction, as a sort of it sets it.
    SetSortDirection(GetSortDirection());
    beginResetModel();
    MergedRows merged = MergeDuplicates(rows_);
    // Equal sort values stay in key order, as if the rows had been merged in a list sorted by key.
    std::vector<InventoryCells> combined;
    combined.reserve(merged.kept.size());
    for (int row : CombinedOrder(rows_, merged.kept, sortColumn, SharedSort().sign))
        combined.push_back(std::move(rows_[static_cast<size_t>(row)]));
    rows_ = std::move(combined);
    endResetModel();
    SortedBy(sortColumn);
    SetCount(merged.count);
    return merged.warning;
}

QString InventoryModel::RenamedColour(const QString& colour) {
    QString name = colour;
    for (auto [old, now] : kColourRenames)
        if (name == QStringView(old)) name = QString::fromUtf16(now);
    return name;
}

void InventoryModel::SetSetName(const QString& name) {
    if (name == setName_) return;
    setName_ = name;
    emit SetNameChanged(name);
}

void InventoryModel::SetSetInformation(SetField field, const QString& value) {
    QString& stored = setInfo_[static_cast<size_t>(field)];
    if (value == stored) return;
    stored = value;
    emit SetInformationChanged(field, value);
}

void InventoryModel::UpdateCount() {
    long long sum = 0;
    for (const InventoryCells& row : rows_)
        sum = AddQuantities(sum, QuantityOf(row[ColQuantity]));
    SetCount(sum);
}

void InventoryModel::SetCount(long long count) {
    count_ = count;
    emit CountChanged(CountText());
}

void InventoryModel::PermuteRows(const std::vector<int>& order) {
    PermuteVector(rows_, order);
}

void InventoryModel::EraseRows(const std::vector<bool>& gone) {
    EraseMarked(rows_, gone);
    UpdateCount();
}

void InventoryModel::RotateRow(int from, int to) {
    RotateOne(rows_, from, to);
}
