#pragma once

#include <cstdint>

#include "formats/png/png_filters.h"

class Bitmap;
class PngPicture;
class Stream;

// Sizes the image's bitmap after its header, gives it its palette and fills it from the compressed
// image data. Images with an alpha channel or a tRNS chunk become 32-bit with each pixel's alpha. Data that
// ends before the last row, or that does not inflate, raises the codec's error.
void DecodeImageData(PngPicture& image, Stream& data);

// Writes the bitmap's rows, filtered and compressed, to out; colour bytes pass through the inverse
// gamma table when one is given.
void EncodeImageData(const Bitmap& bitmap, const uint8_t* inverseGamma, FilterSet filters, Stream& out);
