#pragma once

#include <QHash>

#include "app/color_table.h"
#include "app/inventory_fields.h"
#include "app/inventory_files.h"
#include "app/inventory_model.h"
#include "ldraw/ldraw_colors.h"
#include "support/test_support.h"
#include "test_prompts.h"

// A headless inventory with a small colour table and master list.
struct TestInventory : InventoryHost {
    ColorTable colours;
    LDrawColours ldrawColours;
    QHash<QString, QString> master{{QStringLiteral("3001"), QStringLiteral("Brick 2 x 4")},
                                   {QStringLiteral("3020"), QStringLiteral("Plate 2 x 4")}};
    InventoryModel rows;
    QString statusText;
    int selectedRow = -1;
    mutable TestPrompts prompts;

    InventoryModel& Inventory() override { return rows; }
    const InventoryModel& Inventory() const override { return rows; }
    QString MasterDescription(const QString& part) const override { return master.value(part); }
    const ColorTable& Colours() const override { return colours; }
    const LDrawColours& LDrawColourTable() const override { return ldrawColours; }
    void SetStatusText(const QString& text) override { statusText = text; }
    void SelectLastRow() override { selectedRow = rows.InventoryRowCount() - 1; }
    UserPrompts& Prompts() const override { return prompts; }

    TestInventory() {
        (void)colours.LoadText(QStringLiteral("; name ldraw lego market display transparent\n"
                                              "Black\t0\t26\t11\t#1B2A34\tNo\n"
                                              "Blue\t1\t23\t7\t#1E5AA8\tNo\n"
                                              "Red\t4\t21\t5\t#B40000\tNo\n"
                                              "OldGray\t7\t2\t9\t#8A928D\tNo\n"
                                              "White\t15\t1\t1\t#F4F4F4\tNo\n"
                                              "Yellow\t14\t24\t3\t#FAC80A\tNo\n"),
                               QStringLiteral("colors.txt"));
    }

    using Reader = ParsedInventory (*)(const InventorySource&, const InventoryLookups&);
    // Parses the file with the reader and applies it, as opening does.
    void Read(Reader reader, const QString& path) {
        ApplyInventory(*this, reader(ReadInventorySource(path), LookupsOf(*this)));
    }
    // The same with the reader the file name picks; false when none does.
    bool ReadFile(const QString& path) {
        std::optional<ParsedInventory> parsed = ReadInventoryFile(path, LookupsOf(*this));
        if (parsed) ApplyInventory(*this, std::move(*parsed));
        return parsed.has_value();
    }
    // What a writer saves of these rows.
    InventoryContents Contents() {
        saved = rows.InventoryRows();
        return ContentsOf(rows, saved, colours);
    }
    std::vector<InventoryCells> saved;

    // Cells of one row: quantity, part number, bag, colour, description, notes.
    QStringList Row(int r) const {
        QStringList cells;
        for (int c = ColQuantity; c < InventoryColumnCount; ++c)
            cells << rows.InventoryCell(c, r);
        return cells;
    }
};

inline QString Fixture(const char* name) {
    return QString::fromStdString(TestData(std::string("inventory/") + name).string());
}

inline QString PathIn(const TempDir& dir, const char* name) {
    return QString::fromStdString((dir / name).string());
}
