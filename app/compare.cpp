#include "app/compare.h"

#include <QHash>
#include <vector>

#include "app/file_paths.h"
#include "app/inventory_fields.h"
#include "app/inventory_files.h"
#include "app/inventory_host.h"
#include "app/memory_inventory.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace {

struct Need {
    long long quantity = 0;
    int firstRow = 0;
};

QString Key(const InventoryHost& rows, int row, bool colourDoesNotMatter) {
    return colourDoesNotMatter ? rows.InventoryCell(ColPartNumber, row)
                               : rows.InventoryCell(ColPartNumber, row) + rows.InventoryCell(ColColor, row);
}

} // namespace

bool InventoryReadyForCompare(const InventoryHost& inventory) {
    if (inventory.InventoryRowCount() > 0) return true;
    ShowMessage(QStringLiteral("You need to import your inventory of parts first"));
    return false;
}

QStringList CompareWithSetFile(const InventoryHost& inventory, const QString& setPath, CompareMode mode,
                               bool colourDoesNotMatter) {
    if (!InventoryReadyForCompare(inventory)) return {};

    QHash<QString, long long> have;
    have.reserve(inventory.InventoryRowCount());
    QuantityWarning haveWarning;
    for (int r = 0; r < inventory.InventoryRowCount(); ++r) {
        QString key = Key(inventory, r, colourDoesNotMatter);
        if (key.isEmpty()) key = QStringLiteral("???");
        long long& had = have[key];
        had = AddQuantities(had, haveWarning.Count(inventory.InventoryCell(ColQuantity, r), [r] {
            return QStringLiteral("Inventory, row %1").arg(r + 1);
        }));
    }
    haveWarning.Show();

    MemoryInventory set(
        inventory.Colours(), [&](const QString& part) { return inventory.MasterDescription(part); },
        [&](const QString& colour) { return inventory.RenamedColour(colour); },
        &inventory.LDrawColourTable());
    if (!ReadInventoryFile(set, setPath))
        throw InventoryReadError(setPath + QStringLiteral(" is not an inventory file."));

    QHash<QString, qsizetype> needIndex;
    std::vector<Need> needs;
    QuantityWarning needWarning;
    for (int r = 0; r < set.InventoryRowCount(); ++r) {
        const QString key = Key(set, r, colourDoesNotMatter);
        auto it = needIndex.constFind(key);
        if (it == needIndex.cend()) {
            it = needIndex.insert(key, static_cast<qsizetype>(needs.size()));
            needs.push_back({0, r});
        }
        long long& needed = needs[static_cast<size_t>(*it)].quantity;
        needed = AddQuantities(needed, needWarning.Count(set.InventoryCell(ColQuantity, r), [&] {
            return QStringLiteral("%1, row %2").arg(setPath).arg(r + 1);
        }));
    }
    needWarning.Show();

    QStringList result;
    for (const Need& need : needs) {
        const long long had = have.value(Key(set, need.firstRow, colourDoesNotMatter), 0);
        const bool listed = mode == CompareMode::Have ? had > 0 : had < need.quantity;
        if (!listed) continue;
        const long long shown =
            mode == CompareMode::Have ? std::min(had, need.quantity) : SubtractQuantities(need.quantity, had);
        result << QStringLiteral("%1\t%2\t\t%3\t%4\t")
                      .arg(shown)
                      .arg(TabFileCell(set.InventoryCell(ColPartNumber, need.firstRow)),
                           TabFileCell(set.InventoryCell(ColColor, need.firstRow)),
                           TabFileCell(set.InventoryCell(ColDescription, need.firstRow)));
    }
    if (mode == CompareMode::Need && result.isEmpty())
        ShowMessage(QStringLiteral("You have all the parts needed.  Start Building!"));
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
