#include "platform/gfx/bitmap.h"

#include <bit>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/bytes.h"
#include "platform/stream.h"

namespace {

// Blue, green, red to opaque 32-bit pixels, four at a time from three 32-bit words (the bytes of a row are
// little-endian words on the machines the program runs on).
void CopyBgrRow(const uint8_t* row, QRgb* out, int width) {
    static_assert(std::endian::native == std::endian::little);
    constexpr QRgb kOpaque = 0xFF000000u;
    int x = 0;
#ifdef __SSE2__
    // Each lane takes the sixteen bytes shifted by its pixel's offset; the alpha covers the byte after the
    // pixel. Six pixels must remain, so that the sixteen bytes read stay in the row.
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    for (; x + 6 <= width; x += 4, row += 12) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
        const __m128i first = _mm_unpacklo_epi32(bytes, _mm_srli_si128(bytes, 3));
        const __m128i second = _mm_unpacklo_epi32(_mm_srli_si128(bytes, 6), _mm_srli_si128(bytes, 9));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         _mm_or_si128(_mm_unpacklo_epi64(first, second), opaque));
    }
#endif
    for (; x + 4 <= width; x += 4, row += 12) {
        uint32_t w[3];
        std::memcpy(w, row, sizeof w);
        out[x] = kOpaque | (w[0] & 0xFFFFFF);
        out[x + 1] = kOpaque | w[0] >> 24 | (w[1] & 0xFFFF) << 8;
        out[x + 2] = kOpaque | w[1] >> 16 | (w[2] & 0xFF) << 16;
        out[x + 3] = kOpaque | w[2] >> 8;
    }
    for (; x < width; ++x, row += 3)
        out[x] = kOpaque | static_cast<QRgb>(row[2]) << 16 | static_cast<QRgb>(row[1]) << 8 | row[0];
}

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
// Larger information headers (the later versions) add colour-space fields this reader skips.
constexpr uint32_t kMaxInfoHeaderSize = 1024;

bool IsPaletteFormat(PixelFormat format) {
    return BitsPerPixel(format) <= 8;
}

std::optional<PixelFormat> FormatOfBits(int bits) {
    switch (bits) {
    case 1:
        return PixelFormat::pf1bit;
    case 4:
        return PixelFormat::pf4bit;
    case 8:
        return PixelFormat::pf8bit;
    case 24:
        return PixelFormat::pf24bit;
    case 32:
        return PixelFormat::pf32bit;
    default:
        return std::nullopt;
    }
}

[[noreturn]] void Corrupt(const char* why) {
    throw EInvalidGraphic(std::string("Invalid bitmap: ") + why);
}

} // namespace

int BitsPerPixel(PixelFormat format) {
    switch (format) {
    case PixelFormat::pf1bit:
        return 1;
    case PixelFormat::pf4bit:
        return 4;
    case PixelFormat::pf8bit:
        return 8;
    case PixelFormat::pf24bit:
        return 24;
    case PixelFormat::pf32bit:
        return 32;
    }
    return 24;
}

void Bitmap::SetSize(int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (width != 0 && height != 0 && !PictureSizeAllowed(width, height))
        throw EInvalidGraphic("Picture too large");
    width_ = width;
    height_ = height;
    Allocate();
}

void Bitmap::SetPixelFormat(PixelFormat format) {
    format_ = format;
    Allocate();
}

void Bitmap::Allocate() {
    stride_ = static_cast<int>(((static_cast<int64_t>(width_) * BitsPerPixel(format_) + 31) / 32) * 4);
    bits_.assign(static_cast<size_t>(stride_) * static_cast<size_t>(height_), 0);
}

uint8_t Bitmap::Index(int x, int y) const {
    const uint8_t* row = ScanLine(y);
    switch (format_) {
    case PixelFormat::pf1bit:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case PixelFormat::pf4bit:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    case PixelFormat::pf8bit:
        return row[x];
    default:
        return 0;
    }
}

QRgb Bitmap::Pixel(int x, int y) const {
    const uint8_t* row = ScanLine(y);
    switch (format_) {
    case PixelFormat::pf1bit:
    case PixelFormat::pf4bit:
    case PixelFormat::pf8bit: {
        const uint8_t index = Index(x, y);
        return index < palette_.size() ? palette_[index] : qRgb(0, 0, 0);
    }
    case PixelFormat::pf24bit:
        return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case PixelFormat::pf32bit:
        return qRgba(row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]);
    }
    return 0;
}

void Bitmap::SetIndex(int x, int y, uint8_t index) {
    uint8_t* row = ScanLine(y);
    switch (format_) {
    case PixelFormat::pf1bit: {
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~bit) | ((index & 1) ? bit : 0));
        break;
    }
    case PixelFormat::pf4bit: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    case PixelFormat::pf8bit:
        row[x] = index;
        break;
    default:
        break;
    }
}

uint8_t Bitmap::NearestIndex(QRgb color) const {
    uint8_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (size_t i = 0; i < palette_.size() && i < 256; ++i) {
        const int dr = qRed(palette_[i]) - qRed(color), dg = qGreen(palette_[i]) - qGreen(color),
                  db = qBlue(palette_[i]) - qBlue(color);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<uint8_t>(i);
        }
    }
    return best;
}

void Bitmap::SetPixel(int x, int y, QRgb color) {
    uint8_t* row = ScanLine(y);
    switch (format_) {
    case PixelFormat::pf24bit:
        row[3 * x] = static_cast<uint8_t>(qBlue(color));
        row[3 * x + 1] = static_cast<uint8_t>(qGreen(color));
        row[3 * x + 2] = static_cast<uint8_t>(qRed(color));
        break;
    case PixelFormat::pf32bit:
        std::memcpy(row + 4 * x, &color, 4);
        break;
    default:
        SetIndex(x, y, NearestIndex(color));
        break;
    }
}

void Bitmap::LoadFromStream(Stream& stream) {
    const int64_t start = stream.Position();
    const int64_t available = stream.Size() - start;
    if (available < int64_t(kFileHeaderSize + kInfoHeaderSize)) Corrupt("too short");
    std::string header(kFileHeaderSize + 4, '\0');
    stream.ReadBuffer(header.data(), header.size());
    if (header.compare(0, 2, "BM") != 0) Corrupt("not a bitmap file");
    const uint32_t dataOffset = Get32(header, 10);
    const uint32_t infoSize = Get32(header, 14);
    if (infoSize < kInfoHeaderSize || infoSize > kMaxInfoHeaderSize ||
        int64_t(kFileHeaderSize) + infoSize > available)
        Corrupt("bad header size");
    std::string info(infoSize, '\0');
    Set32(info, 0, infoSize);
    stream.ReadBuffer(info.data() + 4, infoSize - 4);
    const int64_t width = static_cast<int32_t>(Get32(info, 4));
    const int64_t signedHeight = static_cast<int32_t>(Get32(info, 8));
    const int bits = Get16(info, 14);
    const uint32_t compression = Get32(info, 16);
    uint32_t colours = Get32(info, 32);
    const std::optional<PixelFormat> format = FormatOfBits(bits);
    if (!format || compression != 0 || Get16(info, 12) != 1) Corrupt("unsupported format");
    const int64_t height = signedHeight < 0 ? -signedHeight : signedHeight;
    if (!PictureSizeAllowed(width, height)) Corrupt("bad size");
    if (bits > 8)
        colours = 0;
    else if (colours == 0 || colours > (1u << bits))
        colours = 1u << bits;
    const int64_t paletteEnd = int64_t(kFileHeaderSize) + infoSize + int64_t(colours) * 4;
    const int64_t stride = ((width * bits + 31) / 32) * 4;
    if (paletteEnd > available || dataOffset < paletteEnd ||
        int64_t(dataOffset) + stride * height > available)
        Corrupt("data beyond the end of the file");
    std::string palette(colours * 4, '\0');
    stream.ReadBuffer(palette.data(), palette.size());
    Bitmap loaded;
    loaded.format_ = *format;
    loaded.SetSize(static_cast<int>(width), static_cast<int>(height));
    for (uint32_t i = 0; i < colours; ++i)
        loaded.palette_.push_back(
            qRgb(Get8(palette, 4 * i + 2), Get8(palette, 4 * i + 1), Get8(palette, 4 * i)));
    stream.SetPosition(start + dataOffset);
    for (int64_t row = 0; row < height; ++row) {
        const int y = static_cast<int>(signedHeight < 0 ? row : height - 1 - row);
        stream.ReadBuffer(loaded.ScanLine(y), static_cast<size_t>(stride));
    }
    // Only the pixels are replaced: the transparency settings belong to the picture, not to the file.
    width_ = loaded.width_;
    height_ = loaded.height_;
    stride_ = loaded.stride_;
    format_ = loaded.format_;
    bits_ = std::move(loaded.bits_);
    palette_ = std::move(loaded.palette_);
}

void Bitmap::WriteBmpFile(Stream& stream) const {
    const int bits = BitsPerPixel(format_);
    const uint32_t colours = IsPaletteFormat(format_) ? 1u << bits : 0;
    const uint32_t offset = static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize + colours * 4);
    const uint32_t imageSize = static_cast<uint32_t>(stride_) * static_cast<uint32_t>(height_);
    std::string header(offset, '\0');
    header[0] = 'B';
    header[1] = 'M';
    Set32(header, 2, offset + imageSize);
    Set32(header, 10, offset);
    Set32(header, 14, kInfoHeaderSize);
    Set32(header, 18, static_cast<uint32_t>(width_));
    Set32(header, 22, static_cast<uint32_t>(height_));
    Set16(header, 26, 1);
    Set16(header, 28, static_cast<uint16_t>(bits));
    Set32(header, 34, imageSize);
    for (uint32_t i = 0; i < colours && i < palette_.size(); ++i) {
        const size_t at = kFileHeaderSize + kInfoHeaderSize + 4 * i;
        header[at] = static_cast<char>(qBlue(palette_[i]));
        header[at + 1] = static_cast<char>(qGreen(palette_[i]));
        header[at + 2] = static_cast<char>(qRed(palette_[i]));
    }
    stream.WriteBuffer(header.data(), header.size());
    for (int y = height_ - 1; y >= 0; --y)
        stream.WriteBuffer(ScanLine(y), static_cast<size_t>(stride_));
}

QImage Bitmap::ToImage() const {
    if (Empty()) return QImage();
    QImage image(width_, height_, QImage::Format_ARGB32);
    CopyPixels(reinterpret_cast<QRgb*>(image.bits()),
               static_cast<size_t>(image.bytesPerLine()) / sizeof(QRgb));
    return image;
}

bool Bitmap::CopyPixels(QRgb* rows, size_t stride) const {
    // Every index value once through the palette, then each pixel a table look-up.
    QRgb colours[256];
    for (unsigned v = 0; v < 256; ++v)
        colours[v] = (v < palette_.size() ? palette_[v] : qRgb(0, 0, 0)) | 0xFF000000u;
    // Only the transparent colour and the 32-bit format's own alpha can make a pixel see-through.
    const bool mayBeSeeThrough = Transparent() || format_ == PixelFormat::pf32bit;
    bool seeThrough = false;
    for (int y = 0; y < height_; ++y) {
        QRgb* row = rows + static_cast<size_t>(y) * stride;
        CopyRow(y, row, colours);
        seeThrough = seeThrough || (mayBeSeeThrough && AnySeeThrough(row, width_));
    }
    return seeThrough;
}

void Bitmap::CopyRow(int y, QRgb* out, const QRgb* colours) const {
    const uint8_t* row = ScanLine(y);
    const int bits = BitsPerPixel(format_);
    if (format_ == PixelFormat::pf32bit) {
        std::memcpy(out, row, static_cast<size_t>(width_) * sizeof(QRgb));
    } else if (format_ == PixelFormat::pf24bit) {
        CopyBgrRow(row, out, width_);
    } else {
        const unsigned perByte = 8 / static_cast<unsigned>(bits), mask = (1u << bits) - 1;
        for (int x = 0; x < width_; ++x) {
            const unsigned shift =
                (perByte - 1 - static_cast<unsigned>(x) % perByte) * static_cast<unsigned>(bits);
            const unsigned byte = row[static_cast<unsigned>(x) / perByte];
            out[x] = colours[(byte >> shift) & mask];
        }
    }
    if (!Transparent()) return;
    const QRgb key = TransparentColor() & 0x00FFFFFF;
    for (int x = 0; x < width_; ++x)
        if ((out[x] & 0x00FFFFFF) == key) out[x] &= 0x00FFFFFF;
}

void Bitmap::Assign(const QImage& image, PixelFormat format) {
    // Sized first: a picture over the limits throws before the format changes, so the rows keep matching it.
    SetSize(image.width(), image.height());
    const PixelFormat wanted = format == PixelFormat::pf32bit ? PixelFormat::pf32bit : PixelFormat::pf24bit;
    if (wanted != format_) SetPixelFormat(wanted);
    QImage source = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < height_; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uint8_t* out = ScanLine(y);
        for (int x = 0; x < width_; ++x) {
            if (format_ == PixelFormat::pf32bit) {
                std::memcpy(out + 4 * x, &in[x], 4);
            } else {
                out[3 * x] = static_cast<uint8_t>(qBlue(in[x]));
                out[3 * x + 1] = static_cast<uint8_t>(qGreen(in[x]));
                out[3 * x + 2] = static_cast<uint8_t>(qRed(in[x]));
            }
        }
    }
}
