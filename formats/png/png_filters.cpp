#include "formats/png/png_filters.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "formats/png/png_error.h"

uint8_t PaethPredictor(uint8_t a, uint8_t b, uint8_t c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

void UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prior, size_t size, size_t bpp) {
    const size_t lead = bpp < size ? bpp : size;
    switch (static_cast<RowFilter>(filter)) {
    case RowFilter::None:
        return;
    case RowFilter::Sub:
        for (size_t i = bpp; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
        return;
    case RowFilter::Up:
        for (size_t i = 0; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + prior[i]);
        return;
    case RowFilter::Average:
        for (size_t i = 0; i < lead; ++i)
            row[i] = static_cast<uint8_t>(row[i] + (prior[i] >> 1));
        for (size_t i = bpp; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + ((row[i - bpp] + prior[i]) >> 1));
        return;
    case RowFilter::Paeth:
        for (size_t i = 0; i < lead; ++i)
            row[i] = static_cast<uint8_t>(row[i] + prior[i]);
        for (size_t i = bpp; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + PaethPredictor(row[i - bpp], prior[i], prior[i - bpp]));
        return;
    }
    RaisePNG(png_text::kUnknownFilter);
}

void FilterRow(RowFilter filter, const uint8_t* row, const uint8_t* prior, size_t size, size_t bpp,
               uint8_t* out) {
    auto left = [&](size_t i) { return i >= bpp ? row[i - bpp] : 0; };
    auto upperLeft = [&](size_t i) { return i >= bpp ? prior[i - bpp] : 0; };
    switch (filter) {
    case RowFilter::None:
        std::memcpy(out, row, size);
        return;
    case RowFilter::Sub:
        for (size_t i = 0; i < size; ++i)
            out[i] = static_cast<uint8_t>(row[i] - left(i));
        return;
    case RowFilter::Up:
        for (size_t i = 0; i < size; ++i)
            out[i] = static_cast<uint8_t>(row[i] - prior[i]);
        return;
    case RowFilter::Average:
        for (size_t i = 0; i < size; ++i)
            out[i] = static_cast<uint8_t>(row[i] - ((left(i) + prior[i]) >> 1));
        return;
    case RowFilter::Paeth:
        for (size_t i = 0; i < size; ++i)
            out[i] = static_cast<uint8_t>(row[i] - PaethPredictor(left(i), prior[i], upperLeft(i)));
        return;
    }
}

namespace {

// Positions i >= 4 whose byte equals each of the four bytes before it.
size_t RepeatCount(const uint8_t* bytes, size_t size) {
    size_t count = 0, run = 1;
    for (size_t i = 1; i < size; ++i) {
        run = bytes[i] == bytes[i - 1] ? run + 1 : 1;
        if (run >= 5) ++count;
    }
    return count;
}

} // namespace

FilteredRow ChooseFilter(FilterSet filters, const uint8_t* row, const uint8_t* prior, size_t size, size_t bpp,
                         uint8_t* bufferA, uint8_t* bufferB) {
    FilteredRow best{RowFilter::None, row};
    if ((filters | FilterBit(RowFilter::None)) == FilterBit(RowFilter::None)) return best;
    size_t bestCount = RepeatCount(row, size);
    uint8_t* work = bufferA;
    uint8_t* spare = bufferB;
    for (uint8_t f = 1; f <= 4; ++f) {
        const auto filter = static_cast<RowFilter>(f);
        if (!(filters & FilterBit(filter))) continue;
        FilterRow(filter, row, prior, size, bpp, work);
        const size_t count = RepeatCount(work, size);
        if (count > bestCount) {
            best = {filter, work};
            bestCount = count;
            std::swap(work, spare);
        }
    }
    return bestCount == 0 ? FilteredRow{RowFilter::None, row} : best;
}
