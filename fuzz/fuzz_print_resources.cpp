#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "platform/stream.h"
#include "print/preview/pv_resources.h"

// Stored resource lists come from files: the loaders must refuse what does not fit, never over-allocate or
// read past the stream, and what they loaded must save and load again to the same items.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    PvResourceTable table;
    std::vector<PvRef<PvPen>> pens;
    std::vector<PvRef<PvGraphic>> pictures;
    try {
        PvValueList values;
        values.LoadFromStream(stream);
        LoadBrushes(stream, table.Brushes);
        pens = LoadPens(stream, table.Pens);
        LoadFonts(stream, table.Fonts);
        pictures = LoadGraphics(stream, table.Graphics, true);
    } catch (const std::exception&) {
    }
    MemoryStream saved;
    SavePens(saved, table.Pens);
    SaveGraphics(saved, table.Graphics);
    saved.SetPosition(0);
    PvResourceTable again;
    const auto pensAgain = LoadPens(saved, again.Pens);
    const auto picturesAgain = LoadGraphics(saved, again.Graphics, true);
    if (again.Pens.Count() != table.Pens.Count() || again.Graphics.Count() != table.Graphics.Count())
        __builtin_trap();
    return 0;
}
