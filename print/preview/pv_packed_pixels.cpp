#include "print/preview/pv_packed_pixels.h"

#include "formats/png/z_stream.h"
#include "platform/stream.h"

namespace {

size_t RowBytes(const QImage& image) {
    return static_cast<size_t>(image.width()) * static_cast<size_t>(image.depth()) / 8;
}

} // namespace

QByteArray PackPixels(const QImage& image) {
    MemoryStream packed;
    {
        ZCompressionStream deflate(CompressionLevel::clFastest, packed);
        for (int y = 0; y < image.height(); ++y)
            deflate.Write(image.constScanLine(y), RowBytes(image));
        deflate.Finish();
    }
    return QByteArray(reinterpret_cast<const char*>(packed.Bytes().data()),
                      static_cast<qsizetype>(packed.Bytes().size()));
}

QImage UnpackPixels(const QByteArray& packed, QSize size, QImage::Format format) {
    QImage image(size, format);
    MemoryStream source(std::vector<uint8_t>(packed.begin(), packed.end()));
    ZDecompressionStream inflate(source);
    for (int y = 0; y < image.height(); ++y)
        if (inflate.Read(image.scanLine(y), RowBytes(image)) != RowBytes(image))
            throw EZDecompressionError("Picture data ends early");
    return image;
}
