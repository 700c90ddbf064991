#pragma once

#include <QImage>
#include <QRgb>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>

class Stream;

// Decoders refuse pictures larger than this before allocating anything.
constexpr int kMaxPictureSide = 32767;
constexpr int64_t kMaxPicturePixels = int64_t(1) << 26;
// True when a picture of this size may be decoded.
bool PictureSizeAllowed(int64_t width, int64_t height);

// True when some of the pixels has an alpha below 255.
bool AnySeeThrough(const QRgb* pixels, int count);

// Raised by the picture registry and the codecs.
class EInvalidGraphic : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A picture of some file format: loads and saves itself and can show as an image.
class Graphic {
  public:
    virtual ~Graphic() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }

    virtual void LoadFromStream(Stream& stream) = 0;
    // Formats without a writer raise EInvalidGraphic.
    virtual void SaveToStream(Stream& stream);
    void LoadFromFile(const std::filesystem::path& path);
    void SaveToFile(const std::filesystem::path& path);

    // The picture as 32-bit pixels; alpha is 255 except where a transparent picture is transparent.
    virtual QImage ToImage() const = 0;
    // The same pixels written straight into rows of stride pixels each, row by row; formats that hold
    // their pixels themselves do it without the image in between. True when some pixel is not opaque.
    virtual bool CopyPixels(QRgb* rows, size_t stride) const;

    bool Transparent() const { return transparent_; }
    QRgb TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(QRgb color) {
        transparentColor_ = color;
        transparent_ = true;
    }
    void SetTransparent(bool on) { transparent_ = on; }

  private:
    bool transparent_ = false;
    QRgb transparentColor_ = 0;
};

// File extension (without the dot, any case) -> picture class.
class PictureRegistry {
  public:
    using Factory = std::function<std::unique_ptr<Graphic>()>;

    static void Register(const QString& extension, const QString& description, Factory factory);
    // A new, empty graphic of the class registered for the file's extension; EInvalidGraphic when none is.
    static std::unique_ptr<Graphic> Create(const std::filesystem::path& path);
    // Creates the graphic for the file's extension and loads the file into it.
    static std::unique_ptr<Graphic> Load(const std::filesystem::path& path);
    // "Description (*.ext)" for each registered format, in registration order.
    static QStringList Filters();
};

class Bitmap;

// A picture container: holds one graphic of whatever class, chosen by file extension when loading.
class Picture {
  public:
    Picture();
    ~Picture();
    Graphic* GetGraphic() const { return graphic_.get(); }
    // The container's window-system bitmap, made empty in place of any other graphic.
    Bitmap& GetBitmap();
    // The graphic registered for the file's extension, loaded from the file; on failure the container
    // keeps what it held.
    void LoadFromFile(const std::filesystem::path& path);

  private:
    std::unique_ptr<Graphic> graphic_;
};
