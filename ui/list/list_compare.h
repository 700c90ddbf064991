#pragma once

#include <QString>
#include <algorithm>
#include <numeric>
#include <optional>
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

// What a style compares of a text, read once per text: the number of ssNumeric and ssNumericGrouped
// (nothing when the text is no number), the date value of ssDateTime, ssDateDMY and ssDateMDY.
std::optional<double> NumberKey(QString text, const QString& prefix, const QString& suffix, bool grouped);
double DateKey(SortStyle style, const QString& text);
// The comparisons of the styles on their keys: +1, 0 or -1. Numbers compare equal when either is missing;
// upper-cased texts give -1 in both orders when the texts differ only in case.
int CompareNumberKeys(const std::optional<double>& a, const std::optional<double>& b);
int CompareDateKeys(double a, double b);
int CompareUpperKeys(QStringView upperA, QStringView upperB, QStringView a, QStringView b);
int CompareTextKeys(QStringView a, QStringView b);

// Compares two cell texts by one of the text-only styles (every style but ssCustom and ssRaw): +1, 0 or -1.
int CompareCellTexts(SortStyle style, const QString& a, const QString& b, const QString& prefix,
                     const QString& suffix);

// The stable order of count items under compare (a positive result puts the first after the second).
// Any comparator is safe, also one that breaks the ordering rules: a merge never leaves its ranges.
template <class Compare> std::vector<int> StableOrder(int count, Compare&& compare) {
    std::vector<int> order(static_cast<std::size_t>(std::max(count, 0)));
    std::iota(order.begin(), order.end(), 0);
    std::vector<int> merged(order.size());
    // Bottom-up merge sort: every step is bounded by the run lengths, whatever compare answers.
    for (std::size_t width = 1; width < order.size(); width *= 2) {
        for (std::size_t left = 0; left < order.size(); left += 2 * width) {
            const std::size_t mid = std::min(left + width, order.size());
            const std::size_t right = std::min(left + 2 * width, order.size());
            std::size_t i = left, j = mid, out = left;
            while (i < mid && j < right)
                merged[out++] = compare(order[i], order[j]) > 0 ? order[j++] : order[i++];
            while (i < mid)
                merged[out++] = order[i++];
            while (j < right)
                merged[out++] = order[j++];
        }
        order.swap(merged);
    }
    return order;
}
