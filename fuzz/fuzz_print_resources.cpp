#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "platform/stream.h"
#include "print/preview/pv_page_list.h"
#include "print/preview/pv_resources.h"
#include "tests/support/quiet_prompts.h"

namespace {

std::vector<uint8_t> Saved(const PvPageList& pages) {
    MemoryStream stream;
    pages.SaveToStream(stream);
    return stream.Bytes();
}

// The bytes as a whole stored document: refused or loaded, and what loaded saves and loads again to the
// same bytes.
void LoadDocument(const uint8_t* data, size_t size) {
    static QuietPrompts quiet;
    static PvPageList pages(quiet);
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    try {
        if (!pages.LoadFromStream(stream)) return;
    } catch (const std::exception&) {
        return;
    }
    const std::vector<uint8_t> once = Saved(pages);
    MemoryStream again(once);
    pages.LoadFromStream(again);
    if (Saved(pages) != once) __builtin_trap();
}

} // namespace

// Stored resource lists and documents come from files: the loaders must refuse what does not fit, never
// over-allocate or read past the stream, and what they loaded must save and load again to the same items.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    (void)offscreen;

    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    PvResourceTable table;
    std::vector<PvRef<PvPen>> pens;
    std::vector<PvRef<PvGraphic>> pictures;
    std::vector<PvRef<PvMemo>> memos;
    try {
        PvValueList values;
        values.LoadFromStream(stream);
        LoadBrushes(stream, table.Brushes);
        pens = LoadPens(stream, table.Pens);
        LoadFonts(stream, table.Fonts);
        pictures = LoadGraphics(stream, table.Graphics, true);
        memos = LoadMemos(stream, table.Memos);
    } catch (const std::exception&) {
    }
    MemoryStream saved;
    SavePens(saved, table.Pens);
    SaveGraphics(saved, table.Graphics);
    SaveMemos(saved, table.Memos);
    saved.SetPosition(0);
    PvResourceTable again;
    const auto pensAgain = LoadPens(saved, again.Pens);
    const auto picturesAgain = LoadGraphics(saved, again.Graphics, true);
    const auto memosAgain = LoadMemos(saved, again.Memos);
    if (again.Pens.Count() != table.Pens.Count() || again.Graphics.Count() != table.Graphics.Count() ||
        again.Memos.Count() != table.Memos.Count())
        __builtin_trap();

    LoadDocument(data, size);
    return 0;
}
