// Feeds the same bytes to every inventory reader.
#include <QCoreApplication>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/color_table.h"
#include "app/imported_formats.h"
#include "app/inventory_fields.h"
#include "app/ldraw_model.h"
#include "app/memory_inventory.h"
#include "app/own_formats.h"
#include "app/xls_inventory.h"
#include "platform/ui.h"

namespace {
class SilentSink : public MessageSink {
  public:
    void Show(const QString&) override {}
    bool AskYesNo(const QString&) override { return false; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static SilentSink sink;
    SetMessageSink(&sink);
    static ColorTable colours = [] {
        ColorTable t;
        t.LoadText(QStringLiteral("Red\t4\t\t5\t#FF0000\n"), QStringLiteral("colors"));
        return t;
    }();
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("fuzz-inventory-" + std::to_string(getpid()));
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const QString path = QString::fromStdString(file.string());
    using Reader = void (*)(InventoryHost&, const QString&);
    // Models are read in memory: every file a model names beside it has the same bytes, so that submodels,
    // loops and nesting are all reached without touching the folder.
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ReadLDrawModel(
        text, QStringLiteral("fuzz.mpd"), [&](const QString&) { return std::optional<QString>(text); },
        LDrawColours());
    for (Reader reader : {ReadInvFile, ReadPrnFile, ReadTsvFile, ReadCsvFile, ReadBlkFile,
                          ReadBrickLinkXmlFile, ReadPeeronHtmlFile, ReadXlsInventory}) {
        MemoryInventory inv(colours);
        try {
            reader(inv, path);
        } catch (const InventoryReadError&) {
            // A file that is no text is refused as a whole.
        }
    }
    return 0;
}
