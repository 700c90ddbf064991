#include "ui/controls/picture_container.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRect>
#include <exception>

#include "formats/jpeg/jpeg_image.h"
#include "formats/png/png_picture.h"
#include "platform/stream.h"

namespace {

// A picture file bigger than this is no picture a list cell shows.
constexpr qint64 kMaxPictureFileBytes = 64 << 20;

const char* kInvalidFormat = "Could not load image. Invalid format";

QImage DecodeWith(Graphic&& graphic, const QByteArray& bytes) {
    MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    graphic.LoadFromStream(stream);
    return graphic.ToImage();
}

// The GIF's logical size from its header, checked before anything is decoded; then the frames up to the
// chosen one, each drawn over the ones before it.
QImage DecodeGif(const QByteArray& bytes, int frame) {
    if (bytes.size() < 10) throw EPictureError(kInvalidFormat);
    const auto byte = [&](int i) { return static_cast<uint8_t>(bytes[i]); };
    if (!PictureSizeAllowed(byte(6) | byte(7) << 8, byte(8) | byte(9) << 8))
        throw EPictureError(kInvalidFormat);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    const QSize size = reader.size();
    if (!size.isValid() || !PictureSizeAllowed(size.width(), size.height()))
        throw EPictureError(kInvalidFormat);
    QImage shown;
    for (int i = 1; i <= frame; ++i) {
        QImage next = reader.read();
        if (next.isNull()) break;
        shown = std::move(next);
    }
    return shown;
}

QImage Decode(const QByteArray& bytes, int frame) {
    if (bytes.startsWith("GIF8")) return DecodeGif(bytes, frame);
    try {
        if (bytes.startsWith("\x89PNG")) return DecodeWith(PngPicture(), bytes);
        if (bytes.startsWith("\xFF\xD8")) return DecodeWith(JpegImage(), bytes);
        if (bytes.startsWith("BM")) return DecodeWith(Bitmap(), bytes);
    } catch (const std::exception&) {
        throw EPictureError(kInvalidFormat);
    }
    throw EPictureError(kInvalidFormat);
}

QByteArray ReadBounded(QFile& file) {
    if (!file.open(QIODevice::ReadOnly) || file.isSequential() || file.size() > kMaxPictureFileBytes)
        throw EPictureError(kInvalidFormat);
    return file.readAll();
}

} // namespace

int CountGifFrames(const QByteArray& bytes) {
    if (!bytes.startsWith("GIF8")) return 0;
    int frames = 0;
    // A control block "!", 249, 4 followed by an image descriptor "," after its five data bytes.
    for (qsizetype at = bytes.indexOf("\x21\xF9\x04"); at >= 0 && at + 8 < bytes.size();
         at = bytes.indexOf("\x21\xF9\x04", at + 1))
        if (bytes[at + 8] == ',') ++frames;
    return frames;
}

void HTMLPicture::LoadFromBytes(QByteArray bytes) {
    bytes_ = std::move(bytes);
    frameCount_ = -1;
    image_ = QImage();
    Rebuild();
    if (OnChange) OnChange();
}

void HTMLPicture::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    LoadFromBytes(ReadBounded(file));
}

void HTMLPicture::LoadFromResource(const QString& name) {
    QFile file(QStringLiteral(":/") + name);
    LoadFromBytes(ReadBounded(file));
}

void HTMLPicture::SetFrame(int frame) {
    frame_ = frame;
    if (bytes_.isEmpty()) return;
    Rebuild();
    if (OnFrameChange) OnFrameChange();
}

int HTMLPicture::FrameCount() const {
    if (frameCount_ < 0) frameCount_ = CountGifFrames(bytes_);
    return frameCount_;
}

void HTMLPicture::Rebuild() {
    image_ = QImage();
    if (bytes_.isEmpty()) throw EPictureError("Empty image stream created");
    QImage decoded = Decode(bytes_, qMax(frame_, 1));
    if (decoded.isNull()) throw EPictureError("Could not load image");
    image_ = std::move(decoded);
}

void HTMLPicture::Draw(QPainter& painter, const QRect& rect) const {
    if (Empty()) return;
    if (Stretch) {
        painter.drawImage(rect, image_);
        return;
    }
    const QPaintDevice* device = painter.device();
    const int dpiX = device ? device->logicalDpiX() : 96, dpiY = device ? device->logicalDpiY() : 96;
    painter.drawImage(QRect(rect.topLeft(), QSize(Width() * dpiX / 96, Height() * dpiY / 96)), image_);
}

void HTMLPicture::SetIdentifier(const QString& identifier) {
    identifier_ = identifier;
    const QString upper = identifier.toUpper();
    if (upper.startsWith(QLatin1String("RES://")))
        LoadFromResource(identifier.mid(6));
    else if (upper.startsWith(QLatin1String("FILE://")))
        LoadFromFile(identifier.mid(7));
    else
        location_ = identifier;
}

const HTMLPicture* PictureContainer::FindPicture(const QString& name) const {
    for (const PictureItem& item : Items)
        if (item.Name.compare(name, Qt::CaseInsensitive) == 0) return &item.Picture;
    return nullptr;
}

const HTMLPicture* PictureList::FindPicture(const QString& identifier) const {
    auto found = pictures_.constFind(identifier);
    return found == pictures_.constEnd() ? nullptr : found->get();
}

const HTMLPicture& PictureList::Picture(const QString& identifier) {
    std::shared_ptr<HTMLPicture>& picture = pictures_[identifier];
    if (picture) return *picture;
    picture = std::make_shared<HTMLPicture>();
    try {
        picture->SetIdentifier(identifier);
    } catch (const EPictureError&) {
        // Shown as nothing; the failed identifier stays cached so that it is not read again on every paint.
    }
    return *picture;
}
