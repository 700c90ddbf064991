#include <QCoreApplication>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>

#include "formats/jpeg/jpeg_image.h"
#include "formats/picture_formats.h"
#include "support/folder.h"
#include "ui/bitmap/bitmap32.h"

// Pictures opened by the user are read by the class their extension names, whatever the bytes are: each
// registered extension reads the same bytes and either shows them or refuses them.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    RegisterPictureFormats();
    RegisterJpegPicture();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Folder folder("tessarin-fuzz-pictures");
    for (const char* name : {"p.png", "p.GIF", "p.jpg", "p.jpeg", "p.bmp"}) {
        const std::filesystem::path file = folder.path / name;
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        Bitmap32 bitmap;
        try {
            bitmap.LoadFromFileName(file);
        } catch (const std::exception&) {
            // Refused: the bitmap stays as it was.
            if (!bitmap.Empty()) __builtin_trap();
        }
    }
    return 0;
}
