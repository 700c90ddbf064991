// Feeds arbitrary bytes to the GIF loader; every outcome but a clean load or a codec error is a fault.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "formats/gif/gif_image.h"
#include "platform/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    GIFImage image;
    try {
        image.LoadFromStream(stream);
        // What loaded must also show, and save in both codings.
        image.ToImage();
        if (image.FrameCount() > 0 && !image.Frame(0).Empty()) image.Frame(0).Bitmap();
        for (int encoding : {0, 1}) {
            image.SetEncoding(encoding);
            MemoryStream out;
            image.SaveToStream(out);
        }
    } catch (const std::exception&) {
    }
    return 0;
}
