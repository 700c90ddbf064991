#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QPainter;
class QRect;

// Raised when picture bytes cannot be shown.
class EPictureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The raw bytes of a picture file (PNG, JPEG, BMP or GIF, told apart by their first bytes) and the picture
// they show; of an animated GIF the chosen frame.
class HTMLPicture {
  public:
    bool Stretch = false;
    std::function<void()> OnChange;
    std::function<void()> OnFrameChange;

    // Each load replaces the bytes and raises EPictureError when they are no picture this reads.
    void LoadFromBytes(QByteArray bytes);
    void LoadFromFile(const QString& fileName);
    // A picture compiled into the program (a Qt resource).
    void LoadFromResource(const QString& name);
    void Assign(const HTMLPicture& source) { LoadFromBytes(source.bytes_); }
    const QByteArray& Bytes() const { return bytes_; }

    bool Empty() const { return image_.isNull(); }
    const QImage& Image() const { return image_; }
    // The frame of an animated GIF shown, 1 for the first.
    int Frame() const { return frame_; }
    void SetFrame(int frame);
    // GIF frames by their control blocks, counted once; 0 for other pictures.
    int FrameCount() const;

    // Sizes in pixels at 96 per inch, or the explicit size when one is set (-1 = none).
    int Width() const { return width_ >= 0 ? width_ : image_.width(); }
    int Height() const { return height_ >= 0 ? height_ : image_.height(); }
    void SetWidth(int width) { width_ = width; }
    void SetHeight(int height) { height_ = height; }

    // Stretched over the rectangle, or at its natural size for the device at the top-left corner.
    void Draw(QPainter& painter, const QRect& rect) const;

    // "RES://name" loads a resource, "FILE://path" a file (both in any letter case); anything else is kept
    // as the location of a picture to fetch, which this program does not do.
    const QString& Identifier() const { return identifier_; }
    void SetIdentifier(const QString& identifier);
    const QString& Location() const { return location_; }

  private:
    void Rebuild();

    QByteArray bytes_;
    QImage image_;
    int frame_ = 1;
    mutable int frameCount_ = -1;
    int width_ = -1;
    int height_ = -1;
    QString identifier_;
    QString location_;
};

// Frames of GIF bytes by their graphic control blocks.
int CountGifFrames(const QByteArray& bytes);

struct PictureItem {
    HTMLPicture Picture;
    QString Name;
    int Tag = 0;
};

// Named pictures that markup cells show by name. A list showing them drops its reference when the container
// is destroyed.
class PictureContainer : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    std::vector<PictureItem> Items;
    // The first picture whose name matches without regard to letter case; null when none.
    const HTMLPicture* FindPicture(const QString& name) const;
};

// Pictures by identifier, loaded on first use and kept.
class PictureList {
  public:
    const HTMLPicture* FindPicture(const QString& identifier) const;
    // The picture of the identifier, added and loaded the first time; one that failed to load stays empty.
    const HTMLPicture& Picture(const QString& identifier);

  private:
    QHash<QString, std::shared_ptr<HTMLPicture>> pictures_;
};
