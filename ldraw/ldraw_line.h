#pragma once

#include <string>

// One parsed LDraw line. Type 1: x y z a b c d e f g h i and the sub-file name; types 2 to 5: the points'
// x y z in turn; type 0: name holds the rest of the line.
struct LDrawLineRecord {
    int type = -1;
    int colour = 0;
    float numbers[12] = {};
    int count = 0; // numbers read
    std::string name;

    // False for a drawing line (types 1 to 5) with fewer numbers than its type uses.
    bool Complete() const;
};

constexpr size_t kMaxLDrawNameLength = 255;

// Locale-independent scanners over NUL-terminated text: blanks and tabs are skipped first, an optional
// '-' is taken, and the first character that does not belong to the number is left unread.
// ScanInt reads decimal or, after "0x", hexadecimal digits (direct colours) and saturates at the limits of
// int; ScanFloat reads an optional exponent ("e-005") but no leading '+'.
int ScanInt(const char*& cursor);
float ScanFloat(const char*& cursor);

LDrawLineRecord ParseLDrawLine(const std::string& text);
