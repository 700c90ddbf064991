#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "platform/gfx/graphic.h"

// A JPEG picture decoded through libjpeg straight into opaque 32-bit rows. Decoding is bounded: the size is
// checked before any pixel memory is taken, and decoder errors become EInvalidGraphic.
class JpegImage : public Graphic {
  public:
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void LoadFromStream(Stream& stream) override;
    // Writes the file bytes it was loaded from: nothing is lost by decoding and encoding again.
    void SaveToStream(Stream& stream) override;
    QImage ToImage() const override { return image_; }
    bool CopyPixels(QRgb* rows, size_t stride) const override;
    const std::vector<uint8_t>& FileBytes() const { return bytes_; }

  private:
    QImage image_;
    std::vector<uint8_t> bytes_;
};

// Registers .jpg and .jpeg with the picture registry.
void RegisterJpegPicture();
