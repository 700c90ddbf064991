#pragma once

#include <QString>
#include <functional>
#include <vector>

// How a list column compares its texts when sorted.
enum SortStyle {
    ssNone = 0,           // no comparison: always "greater"
    ssText = 1,           // ordinal, case-sensitive
    ssNumeric = 2,        // floating-point numbers in the locale's notation
    ssDateTime = 3,       // the locale's short date and time
    ssUpperText = 4,      // upper-cased texts
    ssOrdinal = 5,        // as ssText
    ssDateDMY = 6,        // day, month, year
    ssDateMDY = 7,        // month, day, year
    ssCustom = 8,         // the list's custom compare event
    ssNumericGrouped = 9, // numbers with thousands separators
    ssRaw = 10,           // the list's raw compare event on the rows
};

// Date values are days (with the time as a fraction); 0.0 when the text is not such a date.
double ParseDateDMY(const QString& text);
double ParseDateMDY(const QString& text);

// Compares two cell texts by one of the text-only styles (every style but ssCustom and ssRaw): +1, 0 or -1.
int CompareCellTexts(SortStyle style, const QString& a, const QString& b, const QString& prefix,
                     const QString& suffix);

// The stable order of count items under compare (a positive result puts the first after the second).
// Any comparator is safe, also one that breaks the ordering rules: a merge never leaves its ranges.
std::vector<int> StableOrder(int count, const std::function<int(int, int)>& compare);
