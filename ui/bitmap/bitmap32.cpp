#include "ui/bitmap/bitmap32.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/bytes.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/sys_colors.h"
#include "platform/stream.h"
#include "ui/bitmap/resamplers.h"

namespace {

std::mutex& LockCountMutex() {
    static std::mutex mutex;
    return mutex;
}

// Brackets a batch of changes and notifies once at its end, also when the batch fails.
class UpdateBatch {
  public:
    explicit UpdateBatch(ThreadPersistent& object) : object_(object) { object_.BeginUpdate(); }
    ~UpdateBatch() {
        object_.EndUpdate();
        object_.Changed();
    }
    UpdateBatch(const UpdateBatch&) = delete;
    UpdateBatch& operator=(const UpdateBatch&) = delete;

  private:
    ThreadPersistent& object_;
};

} // namespace

Color32 ColorToColor32(int32_t color) {
    return WinColorToRgb(color) | 0xFF000000u;
}

void ThreadPersistent::EndUpdate() {
    if (updateCount_ < 1) throw std::logic_error("Unpaired TThreadPersistent.EndUpdate");
    --updateCount_;
}

void ThreadPersistent::Changed() {
    if (updateCount_ == 0 && OnChange) OnChange();
}

void ThreadPersistent::Lock() {
    {
        std::lock_guard guard(LockCountMutex());
        ++lockCount_;
    }
    lock_.lock();
}

void ThreadPersistent::Unlock() {
    lock_.unlock();
    std::lock_guard guard(LockCountMutex());
    --lockCount_;
}

int ThreadPersistent::LockCount() const {
    std::lock_guard guard(LockCountMutex());
    return lockCount_;
}

bool CustomMap::SetSize(int newWidth, int newHeight) {
    newWidth = std::max(newWidth, 0);
    newHeight = std::max(newHeight, 0);
    if (newWidth == width_ && newHeight == height_) return false;
    SetBitmapSize(newWidth, newHeight);
    Changed();
    if (OnResize) OnResize();
    return true;
}

void CustomMap::SetBitmapSize(int newWidth, int newHeight) {
    StoreSize(newWidth, newHeight);
}

Bitmap32::~Bitmap32() {
    // No notifications from a dying bitmap.
    BeginUpdate();
}

void Bitmap32::SetBitmapSize(int newWidth, int newHeight) {
    // The canvas draws on the old pixels: it goes with them.
    canvas_.reset();
    canvasImage_.reset();
    pixels_.clear();
    pixels_.shrink_to_fit();
    StoreSize(0, 0);
    if (newWidth >= 1 && newHeight >= 1) {
        if (!PictureSizeAllowed(newWidth, newHeight)) throw EInvalidGraphic("Can't allocate the DIB handle");
        try {
            pixels_.assign(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight), 0);
        } catch (const std::bad_alloc&) {
            throw EInvalidGraphic("Can't allocate the DIB handle");
        }
    }
    StoreSize(newWidth, newHeight);
    ResetClipRectangle();
    if (OnHandleChanged) OnHandleChanged();
}

void Bitmap32::SetDrawMode(DrawMode mode) {
    if (mode == drawMode_) return;
    drawMode_ = mode;
    Changed();
}

void Bitmap32::SetCombineMode(CombineMode mode) {
    combineMode_ = mode;
    Changed();
}

void Bitmap32::SetMasterAlpha(uint32_t alpha) {
    if (alpha == masterAlpha_) return;
    masterAlpha_ = alpha;
    Changed();
}

void Bitmap32::SetStretchFilter(StretchFilter filter) {
    if (filter == stretchFilter_) return;
    stretchFilter_ = filter;
    Changed();
}

void Bitmap32::FillAll(Color32 color) {
    if (Empty()) return;
    std::fill(pixels_.begin(), pixels_.end(), color);
    Changed();
}

void Bitmap32::FillRect(int x1, int y1, int x2, int y2, Color32 color) {
    for (int y = y1; y < y2; ++y)
        std::fill(PixelAddress(x1, y), PixelAddress(x2, y), color);
    Changed();
}

void Bitmap32::FillRectClipped(int x1, int y1, int x2, int y2, Color32 color) {
    if (x1 >= x2 || y1 >= y2) return;
    const Rect clipped = Intersect({x1, y1, x2, y2}, clipRect_);
    if (clipped.IsEmpty()) return;
    FillRect(clipped.Left, clipped.Top, clipped.Right, clipped.Bottom, color);
}

void Bitmap32::SetAllAlpha(uint32_t alpha) {
    for (Color32& pixel : pixels_)
        pixel = WithAlpha(pixel, alpha & 0xFF);
    Changed();
}

void Bitmap32::DrawInto(Bitmap32& dest, const Rect& dstRect) const {
    if (Empty() || dest.Empty()) return;
    TransferStretched(dest, dstRect, dest.ClipRect(), *this, FullRect(), stretchFilter_, drawMode_,
                      OnPixelCombine);
    dest.Changed();
}

void Bitmap32::DrawInto(Canvas& canvas, int x, int y) const {
    if (Empty()) return;
    const CopyMode mode = canvas.Mode;
    canvas.Mode = CopyMode::cmSrcCopy;
    canvas.CopyRect(FullRect().Offset(x, y), AsImage(), FullRect());
    canvas.Mode = mode;
}

Canvas& Bitmap32::GetCanvas() {
    if (!canvas_) {
        canvasImage_ = std::make_unique<QImage>(reinterpret_cast<uchar*>(pixels_.data()), Width(), Height(),
                                                Width() * 4, QImage::Format_RGB32);
        canvas_ = std::make_unique<Canvas>(*canvasImage_);
        canvas_->OnChange = [this] { Changed(); };
    }
    canvas_->Font = Font;
    return *canvas_;
}

void Bitmap32::LoadFromFileName(const std::filesystem::path& fileName) {
    Picture picture;
    picture.LoadFromFile(fileName);
    AssignFrom(picture);
}

void Bitmap32::AssignFrom(const Picture& source) {
    if (source.GetGraphic())
        AssignFrom(*source.GetGraphic());
    else
        AssignFrom(static_cast<const Bitmap32*>(nullptr));
}

void Bitmap32::AssignFrom(const Bitmap32* source) {
    UpdateBatch batch(*this);
    if (!source) {
        SetSize(0, 0);
        return;
    }
    SetSize(source->Width(), source->Height());
    if (Empty()) return;
    pixels_ = source->pixels_;
    drawMode_ = source->drawMode_;
    masterAlpha_ = source->masterAlpha_;
    outerColor_ = source->outerColor_;
    stretchFilter_ = source->stretchFilter_;
}

void Bitmap32::AssignFrom(const Graphic& source) {
    UpdateBatch batch(*this);
    SetSize(source.Width(), source.Height());
    if (Empty()) return;
    // A picture with see-through pixels is blended over what it is drawn on (the picture area's colour);
    // one without draws opaquely, the quicker way.
    const bool seeThrough = source.CopyPixels(pixels_.data(), static_cast<size_t>(Width()));
    SetDrawMode(seeThrough ? DrawMode::dmBlend : DrawMode::dmOpaque);
}

void Bitmap32::AssignImage(const QImage& image, bool keepAlpha) {
    UpdateBatch batch(*this);
    SetSize(image.width(), image.height());
    if (Empty()) return;
    if (keepAlpha) {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < Height(); ++y)
            std::memcpy(RowAddress(y), argb.constScanLine(y), static_cast<size_t>(Width()) * 4);
        return;
    }
    // A reused bitmap is cleared first, so a picture with holes never shows the previous one through them.
    std::fill(pixels_.begin(), pixels_.end(), 0);
    {
        QImage view(reinterpret_cast<uchar*>(pixels_.data()), Width(), Height(), Width() * 4,
                    QImage::Format_RGB32);
        QPainter painter(&view);
        painter.drawImage(0, 0, image);
    }
    SetAllAlpha(255);
}

void Bitmap32::AssignTo(Bitmap& dest) const {
    dest.SetPixelFormat(PixelFormat::pf32bit);
    dest.SetSize(Width(), Height());
    for (int y = 0; y < Height(); ++y)
        std::memcpy(dest.ScanLine(y), RowAddress(y), static_cast<size_t>(Width()) * 4);
}

void Bitmap32::AssignTo(Picture& dest) const {
    AssignTo(dest.GetBitmap());
}

void Bitmap32::AssignToClipboard() const {
    QGuiApplication::clipboard()->setImage(AsImage().copy());
}

QImage Bitmap32::AsImage() const {
    if (Empty()) return QImage();
    return QImage(reinterpret_cast<const uchar*>(pixels_.data()), Width(), Height(), Width() * 4,
                  QImage::Format_RGB32);
}

void Bitmap32::WriteData(Stream& stream) const {
    std::string header(8, '\0');
    Set32(header, 0, static_cast<uint32_t>(Width()));
    Set32(header, 4, static_cast<uint32_t>(Height()));
    stream.WriteBuffer(header.data(), header.size());
    stream.WriteBuffer(pixels_.data(), pixels_.size() * 4);
}

void Bitmap32::ReadData(Stream& stream) {
    std::string header(8, '\0');
    stream.ReadBuffer(header.data(), header.size());
    const int64_t width = static_cast<int32_t>(Get32(header, 0));
    const int64_t height = static_cast<int32_t>(Get32(header, 4));
    if (width < 0 || height < 0) throw EStreamError("Bitmap data has a negative size");
    if (width > 0 && height > 0 && !PictureSizeAllowed(width, height))
        throw EStreamError("Bitmap data is too large");
    const int64_t bytes = width * height * 4;
    if (bytes > stream.Size() - stream.Position()) throw EStreamError("Bitmap data is shorter than its size");
    std::vector<Color32> pixels(static_cast<size_t>(bytes / 4));
    stream.ReadBuffer(pixels.data(), static_cast<size_t>(bytes));
    BeginUpdate();
    SetSize(static_cast<int>(width), static_cast<int>(height));
    if (!Empty()) pixels_ = std::move(pixels);
    EndUpdate();
    Changed();
}
