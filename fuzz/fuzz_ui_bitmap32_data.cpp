#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/stream.h"
#include "ui/bitmap/bitmap32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    Bitmap32 bitmap;
    try {
        bitmap.ReadData(stream);
    } catch (const EStreamError&) {
    }
    return 0;
}
