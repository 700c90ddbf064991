#include "formats/picture_formats.h"

#include "formats/png/png_image.h"

void RegisterPictureFormats() {
    PictureRegistry::Register("PNG", "Portable Network Graphics",
                              [] { return std::make_unique<PNGImage>(); });
}
