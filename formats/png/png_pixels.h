#pragma once

#include <cstdint>

#include "formats/png/png_filters.h"

class Bitmap;
class PNGImage;
class Stream;

// Sizes the image's bitmap after its header, gives it its palette and fills it from the compressed
// image data. Rows the data does not reach stay zero.
void DecodeImageData(PNGImage& image, Stream& data);

// Writes the bitmap's rows, filtered and compressed, to out; colour bytes pass through the inverse
// gamma table when one is given.
void EncodeImageData(const Bitmap& bitmap, const uint8_t* inverseGamma, FilterSet filters, Stream& out);
