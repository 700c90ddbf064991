#include "app/compare.h"

#include <QHash>
#include <vector>

#include "app/file_paths.h"
#include "app/inventory_fields.h"
#include "app/inventory_files.h"
#include "app/inventory_model.h"
#include "app/user_prompts.h"
#include "platform/text.h"

namespace {

struct Need {
    long long quantity = 0;
    size_t firstRow = 0;
};

// The part number alone, or the numcolor column: part number and colour, kept with the row.
QString Key(const InventoryCells& row, bool colourDoesNotMatter) {
    return row[colourDoesNotMatter ? ColPartNumber : ColKey];
}

} // namespace

bool InventoryReadyForCompare(const InventoryHost& inventory) {
    if (inventory.Inventory().InventoryRowCount() > 0) return true;
    inventory.Prompts().Show(QStringLiteral("You need to import your inventory of parts first"));
    return false;
}

QStringList CompareWithSetFile(const InventoryHost& inventory, const QString& setPath, CompareMode mode,
                               bool colourDoesNotMatter) {
    if (!InventoryReadyForCompare(inventory)) return {};

    QHash<QString, long long> have;
    have.reserve(inventory.Inventory().InventoryRowCount());
    QuantityWarning haveWarning;
    const std::vector<InventoryCells> rows = inventory.Inventory().InventoryRows();
    for (size_t r = 0; r < rows.size(); ++r) {
        QString key = Key(rows[r], colourDoesNotMatter);
        if (key.isEmpty()) key = QStringLiteral("???");
        long long& had = have[key];
        had = AddQuantities(had, haveWarning.Count(rows[r][ColQuantity], [r] {
            return QStringLiteral("Inventory, row %1").arg(r + 1);
        }));
    }
    haveWarning.Show(inventory.Prompts());

    const std::optional<ParsedInventory> parsed = ReadInventoryFile(setPath, LookupsOf(inventory));
    if (!parsed) throw InventoryReadError(setPath + QStringLiteral(" is not an inventory file."));
    if (!parsed->warnings.isEmpty()) inventory.Prompts().Show(parsed->warnings.join(u'\n'));
    const std::vector<InventoryCells>& set = parsed->rows;

    QHash<QString, qsizetype> needIndex;
    needIndex.reserve(static_cast<qsizetype>(set.size()));
    std::vector<Need> needs;
    QuantityWarning needWarning;
    for (size_t r = 0; r < set.size(); ++r) {
        const QString key = Key(set[r], colourDoesNotMatter);
        auto it = needIndex.constFind(key);
        if (it == needIndex.cend()) {
            it = needIndex.insert(key, static_cast<qsizetype>(needs.size()));
            needs.push_back({0, r});
        }
        long long& needed = needs[static_cast<size_t>(*it)].quantity;
        needed = AddQuantities(needed, needWarning.Count(set[r][ColQuantity], [&] {
            return QStringLiteral("%1, row %2").arg(setPath).arg(r + 1);
        }));
    }
    needWarning.Show(inventory.Prompts());

    QStringList result;
    for (const Need& need : needs) {
        const InventoryCells& first = set[need.firstRow];
        const long long had = have.value(Key(first, colourDoesNotMatter), 0);
        const bool listed = mode == CompareMode::Have ? had > 0 : had < need.quantity;
        if (!listed) continue;
        const long long shown =
            mode == CompareMode::Have ? std::min(had, need.quantity) : SubtractQuantities(need.quantity, had);
        result << QStringLiteral("%1\t%2\t\t%3\t%4\t")
                      .arg(shown)
                      .arg(TabFileCell(first[ColPartNumber]), TabFileCell(first[ColColor]),
                           TabFileCell(first[ColDescription]));
    }
    if (mode == CompareMode::Need && result.isEmpty())
        inventory.Prompts().Show(QStringLiteral("You have all the parts needed.  Start Building!"));
    return result;
}

QString CompareResultPath(const QString& chosenPath) {
    return FileNameOf(chosenPath).contains(u'.') ? chosenPath : chosenPath + QStringLiteral(".prn");
}

QString WriteCompareResult(const QString& path, const QString& resultText) {
    QStringList lines{
        QStringLiteral("Set:\t\t\t"),
        QStringLiteral("Theme:\t\tYear:\t\tPcs:\t\tFigs:\t\tMSRP:\t\tInventoried By:\t\tSource:\t\tDate:\t\t"
                       "Element Count:\t\t\t"),
        QStringLiteral("\t\t\t"), QStringLiteral("Quantity\tLdraw #\tBag(if any)\tColor\tPart Name\tNotes")};
    lines << SplitLines(resultText);
    return QString::fromStdString(WriteTextFile(ToFsPath(path), lines));
}
