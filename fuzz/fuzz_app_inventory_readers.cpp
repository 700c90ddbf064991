// Feeds the same bytes to every inventory reader, in memory.
#include <QCoreApplication>
#include <cstdint>
#include <string>

#include "app/color_table.h"
#include "app/imported_formats.h"
#include "app/inventory_fields.h"
#include "app/own_formats.h"
#include "app/xls_inventory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static ColorTable colours = [] {
        ColorTable t;
        (void)t.LoadText(QStringLiteral("Red\t4\t\t5\t#FF0000\n"), QStringLiteral("colors"));
        return t;
    }();
    // Everything is read in memory: every file a model names beside it has the same bytes, so that
    // submodels, loops and nesting are all reached without touching a folder.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const InventorySource source{QStringLiteral("fuzz.mpd"), bytes,
                                 [&](const QString&) { return std::optional<QString>(text); }};
    const InventoryLookups lookups{colours, {}, {}};
    using Reader = ParsedInventory (*)(const InventorySource&, const InventoryLookups&);
    for (Reader reader : {ReadInvFile, ReadPrnFile, ReadTsvFile, ReadCsvFile, ReadBlkFile, ReadLDrawFile,
                          ReadBrickLinkXmlFile, ReadPeeronHtmlFile, ReadXlsInventory}) {
        try {
            reader(source, lookups);
        } catch (const InventoryReadError&) {
            // A file that is no text is refused as a whole.
        }
    }
    return 0;
}
