#include "app/inventory_model.h"

#include "app/inventory_fields.h"

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

} // namespace

InventoryModel::InventoryModel(QObject* parent) : RichListModel(parent) {
    for (const char* caption : kCaptions)
        AddColumn(QLatin1String(caption));
}

void InventoryModel::AddInventoryRow(const QString& partNumber, const QString& description,
                                     const QString& colour, const QString& quantity, const QString& bag,
                                     const QString& notes) {
    const QString stored = RenamedColour(colour);
    AppendInventoryRows({{partNumber + stored, quantity, partNumber, bag, stored, description, notes}});
}

void InventoryModel::AppendInventoryRows(std::vector<InventoryCells> rows) {
    long long count = count_;
    std::vector<QStringList> cells;
    cells.reserve(rows.size());
    for (InventoryCells& row : rows) {
        count = AddQuantities(count, QuantityOf(row[ColQuantity]));
        cells.emplace_back(std::make_move_iterator(row.begin()), std::make_move_iterator(row.end()));
    }
    AppendRows(std::move(cells));
    SetCount(count);
}

QString InventoryModel::InventoryCell(int column, int row) const {
    return column >= 0 && column < InventoryColumnCount ? GetCellText(column, row) : QString();
}

InventoryCells InventoryModel::InventoryRow(int row) const {
    InventoryCells cells;
    for (int column = 0; column < InventoryColumnCount; ++column)
        cells[static_cast<size_t>(column)] = GetCellText(column, row);
    return cells;
}

std::vector<InventoryCells> InventoryModel::InventoryRows() const {
    std::vector<InventoryCells> rows;
    rows.reserve(static_cast<size_t>(RowCount()));
    for (int row = 0; row < RowCount(); ++row)
        rows.push_back(InventoryRow(row));
    return rows;
}

void InventoryModel::ClearInventory() {
    ClearRows();
    SetCount(0);
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
    for (int row = 0; row < RowCount(); ++row)
        sum = AddQuantities(sum, QuantityOf(GetCellText(ColQuantity, row)));
    SetCount(sum);
}

void InventoryModel::SetCount(long long count) {
    count_ = count;
    emit CountChanged(CountText());
}
