#include "formats/png/png_filters.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "formats/png/png_error.h"

namespace {

#ifdef __SSE2__
// Sub, Average and Paeth chain every byte to the one a pixel to its left. For pixels of three to eight bytes
// the channels of a pixel are worked together in 16-bit lanes, pixel after pixel.

// kBytes bytes at p in the low lanes. Three and six bytes are gathered by shifts: a memcpy of that size goes
// through the stack and stalls every pixel.
template <size_t kBytes> __m128i LoadBytes(const uint8_t* p) {
    if constexpr (kBytes == 8) return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    uint32_t low = 0;
    if constexpr (kBytes == 3)
        low = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    else
        std::memcpy(&low, p, 4);
    if constexpr (kBytes == 6)
        return _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(low)),
                                  _mm_cvtsi32_si128(static_cast<int>(uint32_t(p[4]) | uint32_t(p[5]) << 8)));
    return _mm_cvtsi32_si128(static_cast<int>(low));
}

// The low kBytes bytes of packed to p.
template <size_t kBytes> void StoreBytes(uint8_t* p, __m128i packed) {
    if constexpr (kBytes == 8) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), packed);
        return;
    }
    const auto low = static_cast<uint32_t>(_mm_cvtsi128_si32(packed));
    if constexpr (kBytes == 3) {
        const auto first = static_cast<uint16_t>(low);
        std::memcpy(p, &first, 2);
        p[2] = static_cast<uint8_t>(low >> 16);
        return;
    }
    std::memcpy(p, &low, 4);
    if constexpr (kBytes == 6) {
        const auto high = static_cast<uint16_t>(_mm_cvtsi128_si32(_mm_srli_si128(packed, 4)));
        std::memcpy(p + 4, &high, 2);
    }
}

// Where the row goes on past a pixel of three or six bytes, the pixel is read as a whole word; the lanes
// of the bytes after it are worked on too, but no lane reaches another and they are not stored. (Storing
// the word too would make the next pixel's read wait for it.)
template <size_t kStep> constexpr size_t kWordBytes = kStep == 3 ? 4 : kStep == 6 ? 8 : kStep;

// Adds the prediction to the filtered pixel at p in place, reading kBytes bytes; returns the pixel as now
// stored.
template <size_t kStep, size_t kBytes> __m128i AddToPixel(uint8_t* p, __m128i prediction) {
    const __m128i sum =
        _mm_and_si128(_mm_add_epi16(_mm_unpacklo_epi8(LoadBytes<kBytes>(p), _mm_setzero_si128()), prediction),
                      _mm_set1_epi16(0xFF));
    StoreBytes<kStep>(p, _mm_packus_epi16(sum, sum));
    return sum;
}

__m128i Abs16(__m128i x) {
    return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

// PaethPredictor lane by lane; forced inline, as a call per pixel costs about what the prediction does.
[[gnu::always_inline]] inline __m128i PaethPrediction(__m128i a, __m128i b, __m128i c) {
    const __m128i bMinusC = _mm_sub_epi16(b, c), aMinusC = _mm_sub_epi16(a, c);
    const __m128i distA = Abs16(bMinusC), distB = Abs16(aMinusC),
                  distC = Abs16(_mm_add_epi16(bMinusC, aMinusC));
    const __m128i takeB = _mm_cmplt_epi16(distB, distA);
    const __m128i nearest = _mm_or_si128(_mm_and_si128(takeB, b), _mm_andnot_si128(takeB, a));
    const __m128i takeC = _mm_cmplt_epi16(distC, _mm_min_epi16(distA, distB));
    return _mm_or_si128(_mm_and_si128(takeC, c), _mm_andnot_si128(takeC, nearest));
}

__m128i AveragePrediction(__m128i a, __m128i b, __m128i) {
    return _mm_srli_epi16(_mm_add_epi16(a, b), 1);
}

__m128i SubPrediction(__m128i a, __m128i, __m128i) {
    return a;
}

using Prediction = __m128i (*)(__m128i a, __m128i b, __m128i c);

// Unfilters the pixel at i, reading kBytes bytes of it, after the one held in left and upperLeft.
template <size_t kStep, size_t kBytes, Prediction kPredict>
void UnfilterPixel(uint8_t* row, const uint8_t* prior, size_t i, __m128i& left, __m128i& upperLeft) {
    const __m128i above = _mm_unpacklo_epi8(LoadBytes<kBytes>(prior + i), _mm_setzero_si128());
    left = AddToPixel<kStep, kBytes>(row + i, kPredict(left, above, upperLeft));
    upperLeft = above;
}

// The first pixel sees zeros on its left, as the filters define. Returns the bytes done: whole pixels.
template <size_t kStep, Prediction kPredict>
size_t UnfilterPixels(uint8_t* row, const uint8_t* prior, size_t size) {
    __m128i left = _mm_setzero_si128(), upperLeft = _mm_setzero_si128();
    size_t i = 0;
    for (; i + kWordBytes<kStep> <= size; i += kStep)
        UnfilterPixel<kStep, kWordBytes<kStep>, kPredict>(row, prior, i, left, upperLeft);
    for (; i + kStep <= size; i += kStep)
        UnfilterPixel<kStep, kStep, kPredict>(row, prior, i, left, upperLeft);
    return i;
}

// Up has no chain: sixteen bytes at a time. Returns the bytes done.
size_t AddRowAbove(uint8_t* row, const uint8_t* prior, size_t size) {
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i sum = _mm_add_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i)),
                                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(prior + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), sum);
    }
    return i;
}
#endif

// kStep is the byte step to the left neighbour when known at compile time, else 0 and step holds it.
template <size_t kStep>
void Unfilter(RowFilter filter, uint8_t* row, const uint8_t* prior, size_t size, size_t step) {
    const size_t bpp = kStep ? kStep : step;
    const size_t lead = bpp < size ? bpp : size;
    [[maybe_unused]] constexpr bool kWholePixels = kStep >= 3;
    size_t done = 0; // bytes already done by the vector code; the rest is left to the byte loops
    switch (filter) {
    case RowFilter::None:
        return;
    case RowFilter::Sub:
#ifdef __SSE2__
        if constexpr (kWholePixels) done = UnfilterPixels<kStep, SubPrediction>(row, prior, size);
#endif
        for (size_t i = std::max(done, bpp); i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
        return;
    case RowFilter::Up:
#ifdef __SSE2__
        done = AddRowAbove(row, prior, size);
#endif
        for (size_t i = done; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + prior[i]);
        return;
    case RowFilter::Average:
#ifdef __SSE2__
        if constexpr (kWholePixels) done = UnfilterPixels<kStep, AveragePrediction>(row, prior, size);
#endif
        for (size_t i = done; i < lead; ++i)
            row[i] = static_cast<uint8_t>(row[i] + (prior[i] >> 1));
        for (size_t i = std::max(done, bpp); i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + ((row[i - bpp] + prior[i]) >> 1));
        return;
    case RowFilter::Paeth:
#ifdef __SSE2__
        if constexpr (kWholePixels) done = UnfilterPixels<kStep, PaethPrediction>(row, prior, size);
#endif
        for (size_t i = done; i < lead; ++i)
            row[i] = static_cast<uint8_t>(row[i] + prior[i]);
        for (size_t i = std::max(done, bpp); i < size; ++i)
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
    case 6:
        return Unfilter<6>(f, row, prior, size, bpp);
    case 8:
        return Unfilter<8>(f, row, prior, size, bpp);
    default:
        return Unfilter<0>(f, row, prior, size, bpp);
    }
}

void FilterRow(RowFilter filter, const uint8_t* row, const uint8_t* prior, size_t size, size_t bpp,
               uint8_t* out) {
    auto left = [&](size_t i) { return i >= bpp ? row[i - bpp] : uint8_t{0}; };
    auto upperLeft = [&](size_t i) { return i >= bpp ? prior[i - bpp] : uint8_t{0}; };
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
