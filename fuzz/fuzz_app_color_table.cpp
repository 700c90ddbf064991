#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/color_table.h"
#include "platform/text.h"

// colors.txt is edited by hand: any text reads into at most the table's slots, and every lookup by a name
// or number from the same text answers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = DecodeText(std::string_view(reinterpret_cast<const char*>(data), size));
    ColorTable table;
    (void)table.LoadText(text, QStringLiteral("colors.txt"));
    if (table.RowCount() > ColorTable::kSlots) __builtin_trap();
    for (int row = 0; row < table.RowCount(); ++row) {
        const QString name = table.Field(row, 1);
        if (table.ColourIndexByName(name) > row) __builtin_trap();
        table.LDrawColourByName(name);
        table.HtmlColourByName(name);
        table.DisplayColour(row);
        table.IsTransparent(row);
        table.ColourFieldByKey(table.Field(row, 2), 2, 4);
    }
    return 0;
}
