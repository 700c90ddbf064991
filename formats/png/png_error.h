#pragma once

#include "platform/gfx/graphic.h"

// The codec's one exception; its text is the handler's heading, two line breaks and the specific text.
class EPngPictureError : public EInvalidGraphic {
  public:
    explicit EPngPictureError(const char* text);
};

namespace png_messages {
inline constexpr const char* kUnknownInterlace = "The image has an unknown interlace method.";
inline constexpr const char* kUnknownCriticalChunk =
    "The currently being loaded image contains critical(s) chunk(s) not reconized by the decoder.";
inline constexpr const char* kNoPalette = "The current image requeries a palette but it is not avaliable.";
inline constexpr const char* kTransparencyNotRGB =
    "Can not get transparency information because the current image color type is not RGB (value 3)";
inline constexpr const char* kInvalidHeader =
    "Invalid Portable Graphics Network image, it has an invalid file header.";
inline constexpr const char* kChunkIndex = "The chunk index especified is out of the range.";
inline constexpr const char* kCorruptedData = "Can't read the PNG image, it has corrupted data. ";
inline constexpr const char* kNoIHDR =
    "This PNG image is invalid, the IHDR chunk is either not present or it isn't the first chunk.";
inline constexpr const char* kNoImageData =
    "The current image being loaded has no data and could not be loaded.";
inline constexpr const char* kInvalidPalette = "The current image being loaded has an invalid palette!";
inline constexpr const char* kUnknownColorType =
    "Could not read the image because it has an unknown color type.";
inline constexpr const char* kUnknownFilter =
    "The image could not be loaded because it uses an unknown set of filter types.";
inline constexpr const char* kTooLarge = "The image is too large to be loaded.";
inline constexpr const char* kDamagedImageData = "The PNG image data is damaged.";
} // namespace png_messages

[[noreturn]] void RaisePNG(const char* text);

// CRC-32 of the PNG standard over the type bytes and then the data.
uint32_t ChunkCRC(const uint8_t type[4], const uint8_t* data, size_t size);
// Carries a CRC on over more bytes, for data that arrives in pieces.
uint32_t UpdateCRC(uint32_t crc, const uint8_t* data, size_t size);
