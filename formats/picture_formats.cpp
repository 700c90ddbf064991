#include "formats/picture_formats.h"

#include "formats/gif/gif_image.h"
#include "formats/png/png_picture.h"

void RegisterPictureFormats() {
    PictureRegistry::Register("PNG", "Portable Network Graphics",
                              [] { return std::make_unique<PngPicture>(); });
    PictureRegistry::Register("GIF", "GIF Image", [] { return std::make_unique<GIFImage>(); });
}
