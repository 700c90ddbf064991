// Feeds arbitrary bytes to the PNG loader; every outcome but a clean load or a codec error is a fault.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "formats/png/png_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    PngPicture image;
    try {
        image.LoadFromStream(stream);
        // What loaded must also save.
        MemoryStream out;
        image.SaveToStream(out);
    } catch (const std::exception&) {
    }
    return 0;
}
