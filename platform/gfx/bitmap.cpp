#include "platform/gfx/bitmap.h"

#include <bit>
#include <cstring>

#include "platform/stream.h"

namespace {

// Blue, green, red to opaque 32-bit pixels, four at a time from three 32-bit words (the bytes of a row are
// little-endian words on the machines the program runs on).
void CopyBgrRow(const uint8_t* row, QRgb* out, int width) {
    static_assert(std::endian::native == std::endian::little);
    constexpr QRgb kOpaque = 0xFF000000u;
    int x = 0;
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

QRgb Bitmap::Pixel(int x, int y) const {
    const uint8_t* row = ScanLine(y);
    auto fromPalette = [&](unsigned index) {
        return index < palette_.size() ? palette_[index] : qRgb(0, 0, 0);
    };
    switch (format_) {
    case PixelFormat::pf1bit:
        return fromPalette((row[x >> 3] >> (7 - (x & 7))) & 1);
    case PixelFormat::pf4bit:
        return fromPalette((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
    case PixelFormat::pf8bit:
        return fromPalette(row[x]);
    case PixelFormat::pf24bit:
        return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case PixelFormat::pf32bit:
        return qRgba(row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]);
    }
    return 0;
}

void Bitmap::LoadFromStream(Stream&) {
    throw EInvalidGraphic("Bitmap files are not read");
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
            out[x] = colours[(row[static_cast<unsigned>(x) / perByte] >> shift) & mask];
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
