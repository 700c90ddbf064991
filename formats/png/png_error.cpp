#include "formats/png/png_error.h"

#include <array>
#include <string>

namespace {

std::string Format(const char* text) {
    const char* heading = "Portable Network Graphics format handler error%s%s";
    std::string message(heading);
    message.replace(message.find("%s%s"), 4, std::string("\r\n\r\n") + text);
    return message;
}

// Eight tables so the data is taken eight bytes a step; the first is the classic byte table.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

const CrcTables& Tables() {
    static const CrcTables tables = [] {
        CrcTables t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][n] = c;
        }
        for (uint32_t n = 0; n < 256; ++n)
            for (size_t k = 1; k < 8; ++k)
                t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
        return t;
    }();
    return tables;
}

uint32_t Update(uint32_t crc, const uint8_t* p, size_t size) {
    const CrcTables& t = Tables();
    while (size >= 8) {
        uint32_t lo =
            crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        size -= 8;
    }
    while (size-- > 0)
        crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return crc;
}

} // namespace

EPNGImageException::EPNGImageException(const char* text) : EInvalidGraphic(Format(text)) {}

void RaisePNG(const char* text) {
    throw EPNGImageException(text);
}

uint32_t ChunkCRC(const uint8_t type[4], const uint8_t* data, size_t size) {
    return ~Update(Update(0xFFFFFFFFu, type, 4), data, size);
}
