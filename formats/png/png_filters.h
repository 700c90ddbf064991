#pragma once

#include <cstddef>
#include <cstdint>

// The row filters of the PNG standard, by their numbers in the file.
enum class RowFilter : uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

// A set of row filters, one bit per filter number.
using FilterSet = uint8_t;
constexpr FilterSet FilterBit(RowFilter filter) {
    return static_cast<FilterSet>(1u << static_cast<unsigned>(filter));
}
constexpr FilterSet kDefaultFilters = FilterBit(RowFilter::None) | FilterBit(RowFilter::Sub) |
                                      FilterBit(RowFilter::Average) | FilterBit(RowFilter::Paeth);

// The neighbour (left a, above b, upper left c) nearest to a + b - c; ties go to a, then b.
inline uint8_t PaethPredictor(uint8_t a, uint8_t b, uint8_t c) {
    int distA = b - c, distB = a - c, distC = a + b - 2 * c;
    distA = distA < 0 ? -distA : distA;
    distB = distB < 0 ? -distB : distB;
    distC = distC < 0 ? -distC : distC;
    uint8_t nearest = a;
    if (distB < distA) {
        distA = distB;
        nearest = b;
    }
    return distC < distA ? c : nearest;
}

// Undoes the filter of one row in place against the row above; bpp is the byte step to the pixel on the
// left (at least 1). Raises the codec's error for an unknown filter type.
void UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prior, size_t size, size_t bpp);

// Filters one row into out.
void FilterRow(RowFilter filter, const uint8_t* row, const uint8_t* prior, size_t size, size_t bpp,
               uint8_t* out);

struct FilteredRow {
    RowFilter filter;
    const uint8_t* bytes; // the row itself for None, else one of the two work buffers
};

// Picks the filter for a row from the set (None is always a member): the filter whose output holds the
// most bytes equal to each of the four before them, the earlier filter on a tie, None when nothing
// repeats.
FilteredRow ChooseFilter(FilterSet filters, const uint8_t* row, const uint8_t* prior, size_t size, size_t bpp,
                         uint8_t* bufferA, uint8_t* bufferB);
