#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/jpeg/jpeg_image.h"
#include "platform/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    JpegImage jpeg;
    try {
        jpeg.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
