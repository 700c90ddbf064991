#include "platform/gfx/graphic.h"

#include <QStringList>
#include <cstring>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/stream.h"

bool PictureSizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

bool Graphic::CopyPixels(QRgb* rows, size_t stride) const {
    const QImage image = ToImage().convertToFormat(QImage::Format_ARGB32);
    bool seeThrough = false;
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = rows + static_cast<size_t>(y) * stride;
        std::memcpy(row, image.constScanLine(y), static_cast<size_t>(image.width()) * sizeof(QRgb));
        seeThrough = seeThrough || AnySeeThrough(row, image.width());
    }
    return seeThrough;
}

bool AnySeeThrough(const QRgb* pixels, int count) {
    QRgb all = 0xFF000000u;
    for (int i = 0; i < count; ++i)
        all &= pixels[i];
    return (all >> 24) != 0xFF;
}

void Graphic::SaveToStream(Stream&) {
    throw EInvalidGraphic("This picture format cannot be saved");
}

void Graphic::LoadFromFile(const std::filesystem::path& path) {
    FileStream stream(path, FileStream::fmOpenRead);
    LoadFromStream(stream);
}

void Graphic::SaveToFile(const std::filesystem::path& path) {
    FileStream stream(path, FileStream::fmCreate);
    SaveToStream(stream);
}

namespace {

struct Format {
    QString extension;
    QString description;
    PictureRegistry::Factory factory;
};

std::vector<Format>& Formats() {
    static std::vector<Format> formats;
    return formats;
}

const Format* Find(const QString& extension) {
    for (const Format& format : Formats())
        if (format.extension.compare(extension, Qt::CaseInsensitive) == 0) return &format;
    return nullptr;
}

QString ExtensionOf(const std::filesystem::path& path) {
    QString ext = QString::fromStdString(path.extension().string());
    return ext.startsWith('.') ? ext.mid(1) : ext;
}

} // namespace

void PictureRegistry::Register(const QString& extension, const QString& description, Factory factory) {
    for (Format& format : Formats())
        if (format.extension.compare(extension, Qt::CaseInsensitive) == 0) {
            format = {extension, description, std::move(factory)};
            return;
        }
    Formats().push_back({extension, description, std::move(factory)});
}

std::unique_ptr<Graphic> PictureRegistry::Create(const std::filesystem::path& path) {
    const Format* format = Find(ExtensionOf(path));
    if (!format)
        throw EInvalidGraphic("Unknown picture file extension (." + ExtensionOf(path).toStdString() + ")");
    return format->factory();
}

std::unique_ptr<Graphic> PictureRegistry::Load(const std::filesystem::path& path) {
    std::unique_ptr<Graphic> graphic = Create(path);
    graphic->LoadFromFile(path);
    return graphic;
}

QStringList PictureRegistry::Filters() {
    QStringList filters;
    for (const Format& format : Formats())
        filters << QStringLiteral("%1 (*.%2)").arg(format.description, format.extension.toLower());
    return filters;
}

Picture::Picture() = default;
Picture::~Picture() = default;

Bitmap& Picture::GetBitmap() {
    auto* bitmap = dynamic_cast<Bitmap*>(graphic_.get());
    if (!bitmap) {
        auto made = std::make_unique<Bitmap>();
        bitmap = made.get();
        graphic_ = std::move(made);
    }
    return *bitmap;
}

void Picture::LoadFromFile(const std::filesystem::path& path) {
    graphic_ = PictureRegistry::Load(path);
}
