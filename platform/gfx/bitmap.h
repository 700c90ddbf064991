#pragma once

#include <QRgb>
#include <cstdint>
#include <vector>

#include "platform/gfx/graphic.h"

enum class PixelFormat { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

int BitsPerPixel(PixelFormat format);

// A window-system style bitmap: rows top-down, each row padded to 4 bytes, pixels as B, G, R(, A) or
// palette indices packed most significant bits first.
class Bitmap : public Graphic {
  public:
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    PixelFormat Format() const { return format_; }

    // Discards the pixels; raises EInvalidGraphic when the size is over the picture limits.
    void SetSize(int width, int height);
    void SetPixelFormat(PixelFormat format);
    int Stride() const { return stride_; }
    uint8_t* ScanLine(int y) { return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_); }
    const uint8_t* ScanLine(int y) const {
        return bits_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_);
    }

    // Palette of the 1-, 4- and 8-bit formats (entries with alpha 255).
    std::vector<QRgb>& Palette() { return palette_; }
    const std::vector<QRgb>& Palette() const { return palette_; }

    // The colour of a pixel; palette indices beyond the palette are black.
    QRgb Pixel(int x, int y) const;
    // Stores a colour, as the nearest palette entry in the palette formats. No bounds checks.
    void SetPixel(int x, int y, QRgb color);
    // Palette formats: the entry nearest to a colour, and reading and storing an index.
    uint8_t NearestIndex(QRgb color) const;
    uint8_t Index(int x, int y) const;
    void SetIndex(int x, int y, uint8_t index);

    // A BMP file: uncompressed, 1, 4, 8, 24 or 32 bits per pixel, rows either way up. Sizes, palette and
    // pixel data are checked against the bytes present before anything is allocated.
    void LoadFromStream(Stream& stream) override;
    // A BMP file at this bitmap's own depth, rows bottom-up.
    void SaveToStream(Stream& stream) override { WriteBmpFile(stream); }
    void WriteBmpFile(Stream& stream) const;
    QImage ToImage() const override;
    bool CopyPixels(QRgb* rows, size_t stride) const override;
    // Copies an image's pixels into a 24- or 32-bit bitmap.
    void Assign(const QImage& image, PixelFormat format);

  private:
    void Allocate();
    // One row as 32-bit pixels, indices through colours, the transparent colour left out.
    void CopyRow(int y, QRgb* out, const QRgb* colours) const;

    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    PixelFormat format_ = PixelFormat::pf24bit;
    std::vector<uint8_t> bits_;
    std::vector<QRgb> palette_;
};
