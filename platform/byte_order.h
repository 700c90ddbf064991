#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Little-endian fields inside byte strings. Callers check the bounds first.

inline uint16_t Get16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
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
