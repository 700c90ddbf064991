#pragma once

#include <QImage>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/rect.h"
#include "ui/bitmap/blend.h"

class Bitmap;
class Graphic;
class Picture;
class Stream;

// A window-system colour ($00BBGGRR or a system colour) as an opaque $FFRRGGBB.
Color32 ColorToColor32(int32_t color);

// A persistent object with its own lock and batched change notification.
class ThreadPersistent {
  public:
    ThreadPersistent() = default;
    virtual ~ThreadPersistent() = default;
    ThreadPersistent(const ThreadPersistent&) = delete;
    ThreadPersistent& operator=(const ThreadPersistent&) = delete;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    // Fires OnChange unless inside BeginUpdate .. EndUpdate.
    virtual void Changed();
    void Lock();
    void Unlock();
    int LockCount() const;
    int UpdateCount() const { return updateCount_; }

    std::function<void()> OnChange;

  private:
    std::recursive_mutex lock_;
    int lockCount_ = 0;
    int updateCount_ = 0;
};

// Keeps a width and a height and tells when they change.
class CustomMap : public ThreadPersistent {
  public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Negative sizes become 0; returns false (and does nothing) when the size stays.
    bool SetSize(int newWidth, int newHeight);
    void Delete() { SetSize(0, 0); }
    virtual bool Empty() const { return width_ == 0 || height_ == 0; }

    std::function<void()> OnResize;

  protected:
    // Changes the storage; the base only stores the size.
    virtual void SetBitmapSize(int newWidth, int newHeight);
    void StoreSize(int newWidth, int newHeight) {
        width_ = newWidth;
        height_ = newHeight;
    }

  private:
    int width_ = 0;
    int height_ = 0;
};

enum class DrawMode { dmOpaque, dmBlend, dmCustom };
enum class StretchFilter { sfNearest, sfDraft, sfLinear, sfCosine, sfSpline, sfLanczos, sfMitchell };

// Combines a source pixel into a destination pixel with the master alpha (DrawMode dmCustom).
using PixelCombineEvent = std::function<void(Color32 f, Color32& b, uint32_t masterAlpha)>;

// A rectangle of 32-bit pixels, rows top to bottom without padding.
class Bitmap32 : public CustomMap {
  public:
    Bitmap32() = default;
    ~Bitmap32() override;

    bool Empty() const override { return pixels_.empty(); }
    Color32* Bits() { return pixels_.data(); }
    const Color32* Bits() const { return pixels_.data(); }
    // No checks: callers keep 0 <= x < Width, 0 <= y < Height.
    Color32* RowAddress(int y) {
        return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(Width());
    }
    const Color32* RowAddress(int y) const {
        return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(Width());
    }
    Color32* PixelAddress(int x, int y) { return RowAddress(y) + x; }
    const Color32* PixelAddress(int x, int y) const { return RowAddress(y) + x; }

    Rect FullRect() const { return {0, 0, Width(), Height()}; }
    Rect ClipRect() const { return clipRect_; }
    bool IsClipped() const { return clipRect_ != FullRect(); }
    void ResetClipRectangle() { clipRect_ = FullRect(); }

    DrawMode GetDrawMode() const { return drawMode_; }
    void SetDrawMode(DrawMode mode);
    CombineMode GetCombineMode() const { return combineMode_; }
    void SetCombineMode(CombineMode mode);
    uint32_t MasterAlpha() const { return masterAlpha_; }
    void SetMasterAlpha(uint32_t alpha);
    Color32 OuterColor() const { return outerColor_; }
    void SetOuterColor(Color32 color) { outerColor_ = color; }
    StretchFilter GetStretchFilter() const { return stretchFilter_; }
    void SetStretchFilter(StretchFilter filter);

    std::function<void()> OnHandleChanged;
    PixelCombineEvent OnPixelCombine;

    // Does nothing (and tells nothing) when empty.
    void FillAll(Color32 color);
    // Rows y1 .. y2 - 1, columns x1 .. x2 - 1; no clipping.
    void FillRect(int x1, int y1, int x2, int y2, Color32 color);
    void FillRectClipped(int x1, int y1, int x2, int y2, Color32 color);
    void SetAllAlpha(uint32_t alpha = 255);

    // Stretches the whole bitmap into dstRect of dest with this bitmap's filter and draw mode.
    void DrawInto(Bitmap32& dest, const Rect& dstRect) const;
    // Copies the whole bitmap, opaque and unscaled, onto a canvas at (x, y).
    void DrawInto(Canvas& canvas, int x, int y) const;

    // A canvas drawing on the pixels, made on first use and dropped with every size change. Its drawing
    // notifies this bitmap's change; it draws in Font.
    Canvas& GetCanvas();
    CanvasFont Font;

    // Loads any registered picture format; on failure the exception passes and the bitmap stays as it was.
    void LoadFromFileName(const std::filesystem::path& fileName);
    // nullptr empties the bitmap. Each form notifies exactly once. A picture keeps its alpha, and the draw
    // mode becomes dmBlend when any pixel is see-through, else dmOpaque.
    void AssignFrom(const Bitmap32* source);
    void AssignFrom(const Graphic& source);
    // An empty container empties the bitmap.
    void AssignFrom(const Picture& source);
    // Into a 32-bit window-system bitmap; into a picture container's bitmap; onto the clipboard.
    void AssignTo(Bitmap& dest) const;
    void AssignTo(Picture& dest) const;
    void AssignToClipboard() const;
    // The picture's pixels, with its alpha or opaque; notifies once.
    void AssignImage(const QImage& image, bool keepAlpha);

    // The pixels shown as an opaque picture: alpha is ignored. Valid until the size changes.
    QImage AsImage() const;

    // The "Data" stream: width, height (32-bit little-endian), then the pixels in storage order.
    void WriteData(Stream& stream) const;
    // Sizes are checked against the bytes present and the picture size limits before anything is allocated.
    void ReadData(Stream& stream);

  protected:
    void SetBitmapSize(int newWidth, int newHeight) override;

  private:
    std::vector<Color32> pixels_;
    std::unique_ptr<QImage> canvasImage_;
    std::unique_ptr<Canvas> canvas_;
    Rect clipRect_;
    DrawMode drawMode_ = DrawMode::dmOpaque;
    CombineMode combineMode_ = CombineMode::cmBlend;
    uint32_t masterAlpha_ = 255;
    Color32 outerColor_ = 0;
    StretchFilter stretchFilter_ = StretchFilter::sfNearest;
};
