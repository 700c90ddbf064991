#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/graphic.h"
#include "platform/stream.h"
#include "ui/kit/kit_container.h"
#include "ui/kit/kit_list_items.h"
#include "ui/kit/kit_wave.h"

// Container files with their item records: sized and compressed bitmaps, image strips, string lists and
// waves. Every kind of list reads the bytes; all but the one the magic names refuse them at once.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KitBitmapList bitmaps;
    KitImageList images;
    KitStringList strings;
    KitWaveList waves;
    for (KitCustomContainer* list :
         std::initializer_list<KitCustomContainer*>{&bitmaps, &images, &strings, &waves}) {
        MemoryStream stream(std::vector<uint8_t>(data, data + size));
        try {
            list->LoadFromStream(stream, "fuzz");
        } catch (const EStreamError&) {
        } catch (const EInvalidGraphic&) {
        } catch (const EInvalidGraphicOperation&) {
        } catch (const EInvalidWave&) {
        } catch (const EErrorCheckingWave&) {
        }
    }
    return 0;
}
