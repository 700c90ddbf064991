#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Fixed-width integers inside byte strings: little-endian as compound files and workbook records store
// them, big-endian as PNG files do. Callers check the bounds first.

inline uint8_t Get8(std::string_view b, size_t at) {
    return static_cast<uint8_t>(b[at]);
}
inline uint16_t Get16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(Get8(b, at) | Get8(b, at + 1) << 8);
}
inline uint32_t Get32(std::string_view b, size_t at) {
    return static_cast<uint32_t>(Get16(b, at)) | static_cast<uint32_t>(Get16(b, at + 2)) << 16;
}

inline void Set16(std::string& b, size_t at, uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}
inline void Set32(std::string& b, size_t at, uint32_t v) {
    Set16(b, at, static_cast<uint16_t>(v & 0xFFFF));
    Set16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

inline uint32_t GetBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
inline void SetBE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
