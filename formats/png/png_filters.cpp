#include "formats/png/png_filters.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "formats/png/png_error.h"

namespace {

// kStep is the byte step to the left neighbour when known at compile time, else 0 and step holds it.
template <size_t kStep>
void Unfilter(RowFilter filter, uint8_t* row, const uint8_t* prior, size_t size, size_t step) {
    const size_t bpp = kStep ? kStep : step;
    const size_t lead = bpp < size ? bpp : size;
    switch (filter) {
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
}

} // namespace

void UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prior, size_t size, size_t bpp) {
    if (filter > static_cast<uint8_t>(RowFilter::Paeth)) RaisePNG(png_messages::kUnknownFilter);
    const auto f = static_cast<RowFilter>(filter);
    switch (bpp) {
    case 1:
        return Unfilter<1>(f, row, prior, size, bpp);
    case 2:
        return Unfilter<2>(f, row, prior, size, bpp);
    case 3:
        return Unfilter<3>(f, row, prior, size, bpp);
    case 4:
        return Unfilter<4>(f, row, prior, size, bpp);
    default:
        return Unfilter<0>(f, row, prior, size, bpp);
    }
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
