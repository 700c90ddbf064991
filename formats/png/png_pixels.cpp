#include "formats/png/png_pixels.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "formats/png/png_chunks.h"
#include "formats/png/png_error.h"
#include "formats/png/png_picture.h"
#include "formats/png/z_stream.h"

namespace {

int Channels(int colorType) {
    switch (colorType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

size_t RowBytes(int64_t width, int bitsPerPixel) {
    return static_cast<size_t>((width * bitsPerPixel + 7) / 8);
}

bool IsColour(int colorType) {
    return colorType == 2 || colorType == 4 || colorType == 6;
}

// What of an image is see-through: its alpha channel, the palette alphas of its tRNS chunk or the one
// sample value (grey, or R, G, B) the chunk marks, compared on all its bits.
struct Transparency {
    bool any = false;
    const uint16_t* key = nullptr; // points into keySamples when the image has a key
    uint16_t keySamples[3] = {};
    std::vector<uint8_t> paletteAlphas;
};

Transparency TransparencyOf(const PngPicture& image, int colorType) {
    Transparency t;
    if (colorType == 4 || colorType == 6) {
        t.any = true;
        return t;
    }
    const ChunkTRNS* trns = image.Chunks().Find<ChunkTRNS>();
    if (!trns) return t;
    const std::vector<uint8_t>& bytes = trns->Bytes();
    if (colorType == 3 && !bytes.empty()) {
        t.paletteAlphas = bytes;
        t.any = true;
    }
    const size_t samples = colorType == 0 ? 1 : colorType == 2 ? 3 : 0;
    if (samples > 0 && bytes.size() >= 2 * samples) {
        for (size_t i = 0; i < samples; ++i)
            t.keySamples[i] = static_cast<uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
        t.key = t.keySamples;
        t.any = true;
    }
    return t;
}

// Pictures with anything see-through keep an alpha byte per pixel; the others are 24-bit or indexed.
PixelFormat FormatFor(int colorType, int depth, bool alpha) {
    if (alpha) return PixelFormat::pf32bit;
    if (IsColour(colorType)) return PixelFormat::pf24bit;
    if (depth == 1) return PixelFormat::pf1bit;
    return depth <= 4 ? PixelFormat::pf4bit : PixelFormat::pf8bit;
}

// Index images of depth 2 sit in a 4-bit bitmap with value v at palette slot v * 15 / 3.
constexpr int kTwoBitSpread = 15 / 3;

// The colours of the index values: the PLTE entries (through the gamma table), or evenly spaced greys.
std::vector<QRgb> IndexColours(const PngPicture& image, const ChunkIHDR& header, const uint8_t* gamma) {
    std::vector<QRgb> entries;
    if (header.ColorType() == 3) {
        const ChunkPLTE* plte = image.Chunks().Find<ChunkPLTE>();
        if (!plte) RaisePNG(png_messages::kNoPalette);
        entries = plte->Entries();
        if (gamma)
            for (QRgb& e : entries)
                e = qRgb(gamma[qRed(e)], gamma[qGreen(e)], gamma[qBlue(e)]);
    } else {
        const int levels = header.BitDepth() == 16 ? 256 : 1 << header.BitDepth();
        for (int k = 0; k < levels; ++k) {
            const int grey = k * 255 / (levels - 1);
            entries.push_back(qRgb(grey, grey, grey));
        }
    }
    return entries;
}

void PreparePalette(PngPicture& image, std::vector<QRgb> entries, int depth) {
    if (depth == 2) {
        std::vector<QRgb> spread(16, qRgb(0, 0, 0));
        for (size_t v = 0; v < entries.size() && v < 4; ++v)
            spread[v * kTwoBitSpread] = entries[v];
        entries = std::move(spread);
    }
    image.Palette() = std::move(entries);
}

// Every index value's pixel with its alpha; values beyond the palette are opaque black.
std::array<QRgb, 256> IndexPixels(std::vector<QRgb> colours, const Transparency& t) {
    std::array<QRgb, 256> pixels;
    pixels.fill(qRgb(0, 0, 0));
    for (size_t v = 0; v < colours.size() && v < pixels.size(); ++v) {
        const int alpha = v < t.paletteAlphas.size() ? t.paletteAlphas[v] : t.key && v == t.key[0] ? 0 : 255;
        pixels[v] = (colours[v] & 0x00FFFFFF) | static_cast<QRgb>(alpha) << 24;
    }
    return pixels;
}

template <int kSampleBytes> unsigned SampleAt(const uint8_t* pixel, int channel) {
    const uint8_t* p = pixel + channel * kSampleBytes;
    if constexpr (kSampleBytes == 2) return static_cast<unsigned>(p[0] << 8 | p[1]);
    return p[0];
}

// The alpha channel when there is one; else 0 for the key sample(s) and 255 for everything else.
template <int kChannels, int kSampleBytes> uint8_t AlphaAt(const uint8_t* pixel, const uint16_t* key) {
    if constexpr (kChannels == 2 || kChannels == 4) {
        return pixel[(kChannels - 1) * kSampleBytes];
    } else {
        if (!key) return 255;
        for (int c = 0; c < kChannels; ++c)
            if (SampleAt<kSampleBytes>(pixel, c) != key[c]) return 255;
        return 0;
    }
}

#ifdef __SSE2__
__m128i Load16(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Ones on those of the sixteen bytes from 16 * part in a run of 3-byte pixels that are at place in theirs.
__m128i PlaceMask(int part, int place) {
    alignas(16) uint8_t mask[16];
    for (int l = 0; l < 16; ++l)
        mask[l] = (16 * part + l) % 3 == place ? 0xFF : 0;
    return _mm_load_si128(reinterpret_cast<const __m128i*>(mask));
}

// R, G, B pixels to B, G, R, sixteen at a time: each byte takes the one two after, itself or the one two
// before by its place in the pixel. Returns the pixels done, which stop short so no read passes the row.
uint32_t SwapRedAndBlue3(const uint8_t* in, uint8_t* out, uint32_t count) {
    __m128i keep[3], fromRight[3], fromLeft[3];
    for (int part = 0; part < 3; ++part) {
        fromRight[part] = PlaceMask(part, 0);
        keep[part] = PlaceMask(part, 1);
        fromLeft[part] = PlaceMask(part, 2);
    }
    __m128i before = _mm_setzero_si128(); // the first pixel takes nothing from the left
    uint32_t i = 0;
    for (; size_t(3) * i + 50 <= size_t(3) * count; i += 16)
        for (int part = 0; part < 3; ++part) {
            const size_t at = size_t(3) * i + 16 * static_cast<size_t>(part);
            const __m128i here = Load16(in + at), right = Load16(in + at + 2);
            const __m128i left = _mm_or_si128(_mm_slli_si128(here, 2), _mm_srli_si128(before, 14));
            const __m128i swapped = _mm_or_si128(
                _mm_and_si128(here, keep[part]),
                _mm_or_si128(_mm_and_si128(right, fromRight[part]), _mm_and_si128(left, fromLeft[part])));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), swapped);
            before = here;
        }
    return i;
}

// R, G, B, A pixels to B, G, R, A, four at a time. Returns the pixels done.
uint32_t SwapRedAndBlue4(const uint8_t* in, uint8_t* out, uint32_t count) {
    uint32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i pixels = Load16(in + 4 * size_t(i));
        const __m128i redBlue = _mm_and_si128(pixels, _mm_set1_epi32(0x00FF00FF));
        const __m128i swapped =
            _mm_or_si128(_mm_and_si128(pixels, _mm_set1_epi32(static_cast<int>(0xFF00FF00))),
                         _mm_or_si128(_mm_srli_epi32(redBlue, 16), _mm_slli_epi32(redBlue, 16)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * size_t(i)), swapped);
    }
    return i;
}
#endif

// Samples to B, G, R (16-bit samples by their high byte), and the alpha when the bitmap keeps one.
template <int kChannels, int kSampleBytes, bool kAlpha, bool kGamma>
void StoreColour(const uint8_t* row, uint32_t count, uint8_t* out, size_t step, const uint8_t* gamma,
                 const uint16_t* key) {
    uint32_t i = 0;
#ifdef __SSE2__
    // Adjacent 8-bit pixels that keep their channels only change the order of red and blue.
    if constexpr (kSampleBytes == 1 && !kGamma && kChannels == (kAlpha ? 4 : 3))
        if (step == kChannels) {
            i = kChannels == 3 ? SwapRedAndBlue3(row, out, count) : SwapRedAndBlue4(row, out, count);
            row += size_t(kChannels) * i;
            out += step * i;
        }
#endif
    for (; i < count; ++i, row += kChannels * kSampleBytes, out += step) {
        uint8_t r = row[0], g = r, b = r;
        if constexpr (kChannels >= 3) {
            g = row[kSampleBytes];
            b = row[2 * kSampleBytes];
        }
        if constexpr (kGamma) {
            r = gamma[r];
            g = gamma[g];
            b = gamma[b];
        }
        out[0] = b;
        out[1] = g;
        out[2] = r;
        if constexpr (kAlpha) out[3] = AlphaAt<kChannels, kSampleBytes>(row, key);
    }
}

template <int kChannels, int kSampleBytes>
void StoreColour(const uint8_t* row, uint32_t count, uint8_t* out, size_t step, const uint8_t* gamma,
                 const Transparency& t) {
    if (t.any) {
        if (gamma)
            return StoreColour<kChannels, kSampleBytes, true, true>(row, count, out, step, gamma, t.key);
        return StoreColour<kChannels, kSampleBytes, true, false>(row, count, out, step, nullptr, t.key);
    }
    if (gamma)
        return StoreColour<kChannels, kSampleBytes, false, true>(row, count, out, step, gamma, nullptr);
    StoreColour<kChannels, kSampleBytes, false, false>(row, count, out, step, nullptr, nullptr);
}

template <int kDepth> unsigned IndexAt(const uint8_t* row, uint32_t i) {
    if constexpr (kDepth == 1) return (row[i >> 3] >> (7 - (i & 7))) & 1;
    if constexpr (kDepth == 2) return (row[i >> 2] >> (6 - 2 * (i & 3))) & 3;
    if constexpr (kDepth == 4) return (row[i >> 1] >> ((i & 1) ? 0 : 4)) & 15;
    if constexpr (kDepth == 8) return row[i];
    return row[2 * i]; // 16 bits: the high byte
}

template <PixelFormat kFormat> void PutIndex(uint8_t* scan, uint32_t x, unsigned v) {
    // The bitmap starts zeroed and every pixel is placed once, so packed pixels can be or-ed in.
    if constexpr (kFormat == PixelFormat::pf1bit)
        scan[x >> 3] = static_cast<uint8_t>(scan[x >> 3] | v << (7 - (x & 7)));
    if constexpr (kFormat == PixelFormat::pf4bit)
        scan[x >> 1] = static_cast<uint8_t>(scan[x >> 1] | v << ((x & 1) ? 0 : 4));
    if constexpr (kFormat == PixelFormat::pf8bit) scan[x] = static_cast<uint8_t>(v);
}

template <int kDepth, PixelFormat kFormat>
void StoreIndices(const uint8_t* row, uint32_t count, uint8_t* scan, uint32_t x0, uint32_t dx) {
    const unsigned spread = kDepth == 2 ? kTwoBitSpread : 1;
    for (uint32_t i = 0, x = x0; i < count; ++i, x += dx)
        PutIndex<kFormat>(scan, x, IndexAt<kDepth>(row, i) * spread);
}

template <int kDepth>
void StoreIndexPixels(const uint8_t* row, uint32_t count, uint8_t* scan, uint32_t x0, uint32_t dx,
                      const std::array<QRgb, 256>& pixels) {
    QRgb* out = reinterpret_cast<QRgb*>(scan) + x0;
    for (uint32_t i = 0; i < count; ++i, out += dx)
        *out = pixels[IndexAt<kDepth>(row, i)];
}

// Decodes the rows of the image data, pass by pass, into the bitmap.
class RowDecoder {
  public:
    // Each read of the inflater asks for as many whole rows as fit in readBytes, at least one.
    RowDecoder(PngPicture& image, const ChunkIHDR& header, const uint8_t* gamma,
               const Transparency& transparency, Stream& data, size_t readBytes)
        : image_(image), colorType_(header.ColorType()), depth_(header.BitDepth()),
          bitsPerPixel_(Channels(colorType_) * depth_), width_(header.Width()), height_(header.Height()),
          gamma_(colorType_ == 2 || colorType_ == 6 ? gamma : nullptr), transparency_(transparency),
          data_(data), readBytes_(readBytes) {
        if (!IsColour(colorType_)) {
            std::vector<QRgb> colours = IndexColours(image, header, gamma);
            if (transparency_.any)
                indexPixels_ = IndexPixels(std::move(colours), transparency_);
            else
                PreparePalette(image, std::move(colours), depth_);
        }
    }

    // False once the data has run out.
    bool Pass(uint32_t rowStart, uint32_t colStart, uint32_t rowStep, uint32_t colStep) {
        const auto passWidth = static_cast<uint32_t>((width_ - int64_t(colStart) + colStep - 1) / colStep);
        if (passWidth == 0 || rowStart >= height_) return true; // an empty pass has no filter bytes
        const size_t rowBytes = RowBytes(passWidth, bitsPerPixel_);
        const size_t lineBytes = rowBytes + 1; // the filter type, then the row
        const auto bpp = static_cast<size_t>(std::max(1, bitsPerPixel_ / 8));
        const size_t rowsLeft = (height_ - rowStart + rowStep - 1) / rowStep;
        const size_t rowsPerRead = std::min(rowsLeft, std::max<size_t>(1, readBytes_ / lineBytes));
        // The first line holds the row above the ones read, zeros above the first row of the pass.
        lines_.resize(lineBytes * (rowsPerRead + 1));
        std::fill_n(lines_.begin(), lineBytes, uint8_t{0});
        uint8_t* const read = lines_.data() + lineBytes;
        for (uint32_t y = rowStart; y < height_;) {
            const size_t rows = std::min(rowsPerRead, size_t((height_ - y + rowStep - 1) / rowStep));
            const size_t got = data_.Read(read, rows * lineBytes);
            const uint8_t* prior = lines_.data() + 1;
            for (uint8_t* line = read; line + lineBytes <= read + got; line += lineBytes, y += rowStep) {
                UnfilterRow(line[0], line + 1, prior, rowBytes, bpp);
                Store(line + 1, passWidth, y, colStart, colStep);
                prior = line + 1;
            }
            if (got != rows * lineBytes) return false;
            std::memcpy(lines_.data(), prior - 1, lineBytes);
        }
        return true;
    }

  private:
    void Store(const uint8_t* row, uint32_t count, uint32_t y, uint32_t x0, uint32_t dx) {
        uint8_t* scan = image_.ScanLine(static_cast<int>(y));
        const bool wide = depth_ == 16;
        // Colour samples, and grey ones of a full byte or more when they carry a key of all their bits.
        if (IsColour(colorType_) || (colorType_ == 0 && transparency_.any && depth_ >= 8)) {
            const size_t pixelBytes = transparency_.any ? 4 : 3;
            uint8_t* out = scan + pixelBytes * x0;
            const size_t step = pixelBytes * dx;
            const Transparency& t = transparency_;
            switch (colorType_) {
            case 2:
                return wide ? StoreColour<3, 2>(row, count, out, step, gamma_, t)
                            : StoreColour<3, 1>(row, count, out, step, gamma_, t);
            case 6:
                return wide ? StoreColour<4, 2>(row, count, out, step, gamma_, t)
                            : StoreColour<4, 1>(row, count, out, step, gamma_, t);
            case 4:
                return wide ? StoreColour<2, 2>(row, count, out, step, nullptr, t)
                            : StoreColour<2, 1>(row, count, out, step, nullptr, t);
            default:
                return wide ? StoreColour<1, 2>(row, count, out, step, nullptr, t)
                            : StoreColour<1, 1>(row, count, out, step, nullptr, t);
            }
        }
        if (transparency_.any) {
            switch (depth_) {
            case 1:
                return StoreIndexPixels<1>(row, count, scan, x0, dx, indexPixels_);
            case 2:
                return StoreIndexPixels<2>(row, count, scan, x0, dx, indexPixels_);
            case 4:
                return StoreIndexPixels<4>(row, count, scan, x0, dx, indexPixels_);
            default:
                return StoreIndexPixels<8>(row, count, scan, x0, dx, indexPixels_);
            }
        }
        if (dx == 1 && (depth_ == 1 || depth_ == 4 || depth_ == 8)) {
            std::memcpy(scan, row, RowBytes(count, depth_));
            return;
        }
        switch (depth_) {
        case 1:
            return StoreIndices<1, PixelFormat::pf1bit>(row, count, scan, x0, dx);
        case 2:
            return StoreIndices<2, PixelFormat::pf4bit>(row, count, scan, x0, dx);
        case 4:
            return StoreIndices<4, PixelFormat::pf4bit>(row, count, scan, x0, dx);
        case 8:
            return StoreIndices<8, PixelFormat::pf8bit>(row, count, scan, x0, dx);
        default:
            return StoreIndices<16, PixelFormat::pf8bit>(row, count, scan, x0, dx);
        }
    }

    PngPicture& image_;
    const int colorType_;
    const int depth_;
    const int bitsPerPixel_;
    const uint32_t width_;
    const uint32_t height_;
    const uint8_t* gamma_;
    const Transparency& transparency_;
    std::array<QRgb, 256> indexPixels_{};
    Stream& data_;
    const size_t readBytes_;
    std::vector<uint8_t> lines_;
};

// What one read of the inflater asks for: enough that the inflater's own per-call work is rare.
constexpr size_t kReadBytes = size_t(256) << 10;

struct Adam7Pass {
    uint32_t rowStart, colStart, rowStep, colStep;
};
constexpr Adam7Pass kAdam7[7] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                 {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};

} // namespace

void DecodeImageData(PngPicture& image, Stream& data) {
    const ChunkIHDR& header = *image.Chunks().Find<ChunkIHDR>();
    const uint8_t* gamma = nullptr;
    // The gAMA chunk may come after the image data; its table is built here in any case.
    if (ChunkGAMA* chunk = image.Chunks().Find<ChunkGAMA>(); chunk && chunk->Valid()) {
        chunk->BuildTables();
        gamma = chunk->Table().data();
    }
    const Transparency transparency = TransparencyOf(image, header.ColorType());
    image.SetPixelFormat(FormatFor(header.ColorType(), header.BitDepth(), transparency.any));

    // Rows are inflated many at a time, which keeps the inflater on its fast path. Data that does not
    // inflate is decoded again a row at a time, so that a bad filter type in a row before the damage is
    // still the error reported.
    for (const size_t readBytes : {kReadBytes, size_t{0}}) {
        image.SetSize(static_cast<int>(header.Width()), static_cast<int>(header.Height()));
        data.SetPosition(0);
        ZDecompressionStream inflater(data);
        RowDecoder rows(image, header, gamma, transparency, inflater, readBytes);
        // Every row must arrive: data that ends early is a damaged file, not a picture with black rows.
        try {
            if (header.InterlaceMethod() == 0) {
                if (!rows.Pass(0, 0, 1, 1)) RaisePNG(png_messages::kCorruptedData);
                return;
            }
            for (const Adam7Pass& p : kAdam7)
                if (!rows.Pass(p.rowStart, p.colStart, p.rowStep, p.colStep))
                    RaisePNG(png_messages::kCorruptedData);
            return;
        } catch (const EZLibError&) {
            if (readBytes == 0) RaisePNG(png_messages::kDamagedImageData);
        }
    }
}

void EncodeImageData(const Bitmap& bitmap, const uint8_t* inverseGamma, FilterSet filters, Stream& out) {
    const PixelFormat format = bitmap.Format();
    const bool indexed = BitsPerPixel(format) <= 8;
    const size_t rowBytes = RowBytes(bitmap.Width(), indexed ? BitsPerPixel(format) : 24);
    const size_t bpp = indexed ? 1 : 3;
    const size_t sourceStep = format == PixelFormat::pf32bit ? 4 : 3;
    std::vector<uint8_t> row(rowBytes), prior(rowBytes, 0), bufferA(rowBytes), bufferB(rowBytes);
    std::vector<uint8_t> line(rowBytes + 1);

    ZCompressionStream deflater(CompressionLevel::clDefault, out);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* scan = bitmap.ScanLine(y);
        if (indexed) {
            std::memcpy(row.data(), scan, rowBytes);
        } else {
            uint8_t* p = row.data();
            for (int x = 0; x < bitmap.Width(); ++x, scan += sourceStep, p += 3) {
                p[0] = scan[2];
                p[1] = scan[1];
                p[2] = scan[0];
            }
            if (inverseGamma)
                for (uint8_t& b : row)
                    b = inverseGamma[b];
        }
        const FilteredRow filtered =
            ChooseFilter(filters, row.data(), prior.data(), rowBytes, bpp, bufferA.data(), bufferB.data());
        line[0] = static_cast<uint8_t>(filtered.filter);
        std::memcpy(line.data() + 1, filtered.bytes, rowBytes);
        deflater.WriteBuffer(line.data(), line.size());
        std::swap(row, prior);
    }
    deflater.Finish();
}
