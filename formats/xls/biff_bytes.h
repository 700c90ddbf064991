#pragma once

#include <QString>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/bytes.h"

// Little-endian fields of workbook records.

inline void Add8(std::string& b, uint8_t v) {
    b.push_back(static_cast<char>(v));
}
inline void Add16(std::string& b, uint16_t v) {
    Add8(b, static_cast<uint8_t>(v & 0xFF));
    Add8(b, static_cast<uint8_t>(v >> 8));
}
inline void Add32(std::string& b, uint32_t v) {
    Add16(b, static_cast<uint16_t>(v & 0xFFFF));
    Add16(b, static_cast<uint16_t>(v >> 16));
}
inline void AddDouble(std::string& b, double v) {
    uint64_t bits = std::bit_cast<uint64_t>(v);
    Add32(b, static_cast<uint32_t>(bits & 0xFFFFFFFF));
    Add32(b, static_cast<uint32_t>(bits >> 32));
}

inline double GetDouble(std::string_view b, size_t at) {
    uint64_t bits = static_cast<uint64_t>(Get32(b, at)) | static_cast<uint64_t>(Get32(b, at + 4)) << 32;
    return std::bit_cast<double>(bits);
}

// The workbook window of the globals, repeated in each BIFF5 sheet.
inline std::string Window1Record() {
    std::string r;
    for (uint16_t v : std::initializer_list<uint16_t>{120, 120, 23820, 15720, 56, 0, 0, 1, 600})
        Add16(r, v);
    return r;
}

// BIFF8 text is 8-bit when every character is Latin-1, else UTF-16.
inline bool NeedsWide(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() > 0xFF) return true;
    }
    return false;
}
inline void AddChars(std::string& b, const QString& text, bool wide) {
    for (QChar c : text) {
        if (wide)
            Add16(b, c.unicode());
        else
            Add8(b, static_cast<uint8_t>(c.unicode()));
    }
}
// Character count (u8 or u16), option byte, characters.
inline void AddUnicodeString(std::string& b, const QString& text, bool shortCount) {
    bool wide = NeedsWide(text);
    if (shortCount)
        Add8(b, static_cast<uint8_t>(text.size()));
    else
        Add16(b, static_cast<uint16_t>(text.size()));
    Add8(b, wide ? 1 : 0);
    AddChars(b, text, wide);
}
