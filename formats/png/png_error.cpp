#include "formats/png/png_error.h"

#include <zlib.h>

#include <string>

namespace {

std::string Format(const char* text) {
    const char* heading = "Portable Network Graphics format handler error%s%s";
    std::string message(heading);
    message.replace(message.find("%s%s"), 4, std::string("\r\n\r\n") + text);
    return message;
}

} // namespace

EPngPictureError::EPngPictureError(const char* text) : EInvalidGraphic(Format(text)) {}

void RaisePNG(const char* text) {
    throw EPngPictureError(text);
}

uint32_t ChunkCRC(const uint8_t type[4], const uint8_t* data, size_t size) {
    return UpdateCRC(UpdateCRC(0, type, 4), data, size);
}

uint32_t UpdateCRC(uint32_t crc, const uint8_t* data, size_t size) {
    // zlib answers 0 for a null buffer, which an empty chunk may well have.
    return size ? static_cast<uint32_t>(crc32_z(crc, data, size)) : crc;
}
