#pragma once

#include <QImage>

#include "platform/gfx/graphic.h"

// A JPEG picture decoded through libjpeg straight into opaque 32-bit rows. Decoding is bounded: the size is
// checked before any pixel memory is taken, and decoder errors become EInvalidGraphic.
class JpegImage : public Graphic {
  public:
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void LoadFromStream(Stream& stream) override;
    QImage ToImage() const override { return image_; }
    bool CopyPixels(QRgb* rows, size_t stride) const override;

  private:
    QImage image_;
};

// Registers .jpg and .jpeg with the picture registry.
void RegisterJpegPicture();
