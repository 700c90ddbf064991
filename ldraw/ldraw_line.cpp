#include "ldraw/ldraw_line.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void SkipBlanks(const char*& cursor) {
    while (IsBlank(*cursor))
        ++cursor;
}

// Beyond this every float is zero or infinite anyway.
constexpr int kMaxExponent = 99;

// Numbers each drawing type uses.
constexpr int kNumbersOfType[] = {0, 12, 6, 9, 12, 12};

} // namespace

bool LDrawLineRecord::Complete() const {
    return type < 1 || type > 5 || count >= kNumbersOfType[type];
}

int ScanInt(const char*& cursor) {
    SkipBlanks(cursor);
    bool negative = *cursor == '-';
    if (negative) ++cursor;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int>::max()} + 1;
    int64_t value = 0;
    // Direct colours are written in hexadecimal: 0x2RRGGBB.
    if (cursor[0] == '0' && (cursor[1] == 'x' || cursor[1] == 'X') && HexValue(cursor[2]) >= 0) {
        for (cursor += 2; HexValue(*cursor) >= 0; ++cursor)
            value = std::min(value * 16 + HexValue(*cursor), kLimit);
    } else {
        for (; IsDigit(*cursor); ++cursor)
            value = std::min(value * 10 + (*cursor - '0'), kLimit);
    }
    if (negative) return static_cast<int>(-value);
    return static_cast<int>(std::min<int64_t>(value, std::numeric_limits<int>::max()));
}

float ScanFloat(const char*& cursor) {
    SkipBlanks(cursor);
    float sign = 1;
    if (*cursor == '-') {
        sign = -1;
        ++cursor;
    }
    float value = 0;
    for (; IsDigit(*cursor); ++cursor)
        value = 10 * value + static_cast<float>(*cursor - '0');
    if (*cursor == '.') {
        ++cursor;
        float scale = 0.1f;
        for (; IsDigit(*cursor); ++cursor) {
            value += static_cast<float>(*cursor - '0') * scale;
            scale *= 0.1f;
        }
    }
    // An exponent as the library writes them: 1e-3, -5.5e-005.
    const char* exponent = cursor;
    if (*exponent == 'e' || *exponent == 'E') {
        ++exponent;
        const int exponentSign = *exponent == '-' ? -1 : 1;
        if (*exponent == '-' || *exponent == '+') ++exponent;
        if (IsDigit(*exponent)) {
            int power = 0;
            for (; IsDigit(*exponent); ++exponent)
                power = std::min(power * 10 + (*exponent - '0'), kMaxExponent);
            value = static_cast<float>(static_cast<double>(value) * std::pow(10.0, exponentSign * power));
            cursor = exponent;
        }
    }
    return value * sign;
}

LDrawLineRecord ParseLDrawLine(const std::string& text) {
    LDrawLineRecord record;
    const char* cursor = text.c_str();
    record.type = ScanInt(cursor);
    if (record.type == 0) {
        record.name.assign(cursor);
        return record;
    }
    record.colour = ScanInt(cursor);
    while (*cursor != '\0' && record.count < 12)
        record.numbers[record.count++] = ScanFloat(cursor);
    if (record.type == 1 && record.count == 12) {
        SkipBlanks(cursor);
        std::string_view rest(cursor);
        record.name.assign(rest.substr(0, kMaxLDrawNameLength));
    }
    return record;
}
