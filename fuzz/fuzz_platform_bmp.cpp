#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/stream.h"

// BMP files: refused, or loaded, shown and saved so that they load again to the same size and depth.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    Bitmap bitmap;
    try {
        bitmap.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return 0;
    } catch (const EStreamError&) {
        return 0;
    }
    bitmap.ToImage();
    MemoryStream saved;
    bitmap.SaveToStream(saved);
    saved.SetPosition(0);
    Bitmap again;
    again.LoadFromStream(saved);
    if (again.Width() != bitmap.Width() || again.Height() != bitmap.Height() ||
        again.Format() != bitmap.Format())
        __builtin_trap();
    return 0;
}
