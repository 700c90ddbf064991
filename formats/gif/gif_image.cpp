#include "formats/gif/gif_image.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <thread>

#include "formats/gif/gif_error.h"
#include "formats/gif/gif_io.h"
#include "formats/gif/gif_painter.h"
#include "platform/gfx/bitmap.h"
#include "platform/stream.h"

namespace {

constexpr uint8_t kTrailer = ';';
constexpr const char* kClipboardFormat = "GIF Image";

// A display of 8 bits per pixel or less shows colours through a palette.
bool PaletteDisplay() {
    static const bool palette = [] {
        const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        const QScreen* screen = app ? QGuiApplication::primaryScreen() : nullptr;
        return screen && screen->depth() < 9;
    }();
    return palette;
}

QRect ToQRect(const Rect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

// Reports the end of a long operation: 100 percent unless it failed.
class ProgressEnd {
  public:
    ProgressEnd(const GIFImage& image, const char* message) : image_(image), message_(message) {
        image.Progress(ProgressStage::psStarting, 0, false, message);
    }
    ~ProgressEnd() { image_.Progress(ProgressStage::psEnding, succeeded_ ? 100 : 0, true, message_); }
    void Succeeded() { succeeded_ = true; }

  private:
    const GIFImage& image_;
    const char* message_;
    bool succeeded_ = false;
};

} // namespace

GIFImage::GIFImage() : header_(*this), paintClock_(&SystemPaintClock()) {}

GIFImage::~GIFImage() {
    StopPainters();
}

void GIFImage::Warning(const GIFItem* sender, int severity, const QString& message) const {
    if (OnWarning) OnWarning(sender, severity, message);
}

void GIFImage::Progress(ProgressStage stage, int percent, bool redraw, const QString& message) const {
    if (OnProgress) OnProgress(stage, percent, redraw, message);
}

void GIFImage::Changed() {
    if (OnChange) OnChange();
}

void GIFImage::DropBitmap() {
    bitmap_.reset();
}

void GIFImage::Clear() {
    StopPainters();
    frames_.clear();
    header_.Clear();
    palette_.reset();
}

void GIFImage::LoadFromStream(Stream& stream) {
    ProgressEnd progress(*this, "Loading...");
    Clear();
    const int64_t start = stream.Position();
    GIFReader reader(stream);
    try {
        header_.LoadFromStream(reader);
        ReadFrames(reader);
        const int trailer = reader.ReadByte();
        if (trailer >= 0 && trailer != kTrailer) Warning(nullptr, gsWarning, gif_messages::kInvalidTrailer);
        reader.Finish();
    } catch (...) {
        stream.SetPosition(start);
        Changed();
        throw;
    }
    progress.Succeeded();
    Changed();
}

void GIFImage::ReadFrames(GIFReader& reader) {
    const int64_t size = std::max<int64_t>(reader.StreamSize(), 1);
    for (;;) {
        const int next = reader.PeekByte();
        if (next < 0 || next == kTrailer) return;
        if (next == 0) {
            reader.ReadByte();
            continue;
        }
        if (next != '!' && next != ',') {
            Warning(nullptr, gsWarning, gif_messages::kUnknownBlockType);
            return;
        }
        auto frame = std::make_unique<GIFSubImage>(*this);
        frame->LoadFromStream(reader);
        frames_.push_back(std::move(frame));
        Progress(ProgressStage::psRunning, static_cast<int>(reader.Position() * 100 / size), false,
                 "Loading...");
    }
}

void GIFImage::SaveToStream(Stream& stream) {
    ProgressEnd progress(*this, "Saving...");
    GIFOutput out;
    header_.SaveToStream(out);
    for (size_t i = 0; i < frames_.size(); ++i) {
        frames_[i]->SaveToStream(out);
        Progress(ProgressStage::psRunning, static_cast<int>((i + 1) * 100 / frames_.size()), false,
                 "Saving...");
    }
    out.Byte(kTrailer);
    stream.WriteBuffer(out.Data().data(), out.Data().size());
    progress.Succeeded();
}

QImage GIFImage::RenderFirstFrame() const {
    if (frames_.empty() || Width() <= 0 || Height() <= 0) return QImage();
    GIFSubImage& first = *frames_.front();
    const bool covers = first.Left() == 0 && first.Top() == 0 && first.Width() == Width() &&
                        first.Height() == Height() && !first.Empty() && first.TransparentIndex() < 0;
    QImage image(Width(), Height(), covers ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    if (!covers) image.fill(0);
    first.Draw(image, {0, 0, Width(), Height()}, true, false);
    return image;
}

QImage GIFImage::ToImage() const {
    return RenderFirstFrame();
}

const QImage* GIFImage::Bitmap() {
    if (frames_.empty()) return nullptr;
    if (!bitmap_) bitmap_ = std::make_unique<GIFCanvas>(RenderFirstFrame());
    return &bitmap_->Image();
}

void GIFImage::Assign(const GIFImage& source) {
    if (&source == this) return;
    Clear();
    // The copy reports through the source's handlers, and keeps none of them afterwards.
    OnWarning = source.OnWarning;
    OnProgress = source.OnProgress;
    struct DropHandlers {
        GIFImage& image;
        ~DropHandlers() {
            image.OnWarning = {};
            image.OnProgress = {};
        }
    } drop{*this};
    ProgressEnd progress(*this, "Copying...");
    header_.Assign(source.header_);
    drawFlags_ = source.drawFlags_;
    reductionMethod_ = source.reductionMethod_;
    ditherKind_ = source.ditherKind_;
    paintPriority_ = source.paintPriority_;
    backgroundFill_ = source.backgroundFill_;
    for (int i = 0; i < source.FrameCount(); ++i) {
        auto frame = std::make_unique<GIFSubImage>(*this);
        frame->Assign(source.Frame(i));
        Add(std::move(frame));
        Progress(ProgressStage::psRunning, (i + 1) * 100 / source.FrameCount(), false, "Copying...");
    }
    progress.Succeeded();
}

void GIFImage::Assign(const Graphic& source) {
    if (const auto* gif = dynamic_cast<const GIFImage*>(&source)) {
        Assign(*gif);
        return;
    }
    Clear();
    Add(source);
}

int GIFImage::Add(const Graphic& source) {
    auto frame = std::make_unique<GIFSubImage>(*this);
    frame->Assign(source);
    return Add(std::move(frame));
}

int GIFImage::Add(std::unique_ptr<GIFSubImage> frame) {
    frames_.push_back(std::move(frame));
    DropBitmap();
    Changed();
    return FrameCount() - 1;
}

void GIFImage::Delete(int index) {
    frames_.erase(frames_.begin() + index);
    DropBitmap();
    Changed();
}

void GIFImage::SetWidth(int width) {
    for (const auto& frame : frames_)
        if (frame->Left() + frame->Width() > width) RaiseGIF(gif_messages::kWidthTooSmall);
    if (width != 0 && !PictureSizeAllowed(width, std::max(Height(), 1))) RaiseGIF(gif_messages::kTooLarge);
    if (width == Width()) return;
    header_.SetWidth(width);
    DropBitmap();
    Changed();
}

void GIFImage::SetHeight(int height) {
    for (const auto& frame : frames_)
        if (frame->Top() + frame->Height() > height) RaiseGIF(gif_messages::kHeightTooSmall);
    if (height != 0 && !PictureSizeAllowed(std::max(Width(), 1), height)) RaiseGIF(gif_messages::kTooLarge);
    if (height == Height()) return;
    header_.SetHeight(height);
    DropBitmap();
    Changed();
}

void GIFImage::SetQuantizeBits(int bits) {
    quantizeBits_ = std::clamp(bits, 1, 8);
}

GIFVersion GIFImage::Version() const {
    if (frames_.empty()) return GIFVersion::gvUnknown;
    for (const auto& frame : frames_)
        if (frame->Version() == GIFVersion::gv89a) return GIFVersion::gv89a;
    return GIFVersion::gv87a;
}

int GIFImage::ColorResolution() const {
    int resolution = header_.ColorMap().BitsPerPixel() - 1;
    for (const auto& frame : frames_)
        resolution = std::max(resolution, frame->ColorMap().BitsPerPixel() - 1);
    return resolution;
}

int GIFImage::BitsPerPixel() const {
    int bits = header_.ColorMap().BitsPerPixel();
    for (const auto& frame : frames_)
        bits = std::max(bits, frame->ColorMap().BitsPerPixel());
    return bits;
}

bool GIFImage::UsesWebPalette() const {
    return (drawFlags_ & dfWebPalette) && (!(drawFlags_ & dfWebPaletteOnPaletteDisplays) || PaletteDisplay());
}

std::vector<QRgb> GIFImage::Palette() {
    // The image and its first frame ask each other when neither has a table.
    if (inPalette_) RaiseGIF(gif_messages::kNoColorTable);
    inPalette_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{inPalette_};
    if (palette_) return *palette_;
    if (UsesWebPalette()) {
        palette_ = WebPalette();
        return *palette_;
    }
    if (header_.ColorMap().Count() > 0) {
        palette_ = header_.ColorMap().MakePalette();
        return *palette_;
    }
    if (!frames_.empty()) return frames_.front()->Palette();
    return {};
}

void GIFImage::SetPalette(std::vector<QRgb> palette) {
    if (palette.empty())
        palette_.reset();
    else
        palette_ = std::move(palette);
    if (!bitmap_) return;
    DropBitmap();
    Changed();
}

void GIFImage::DrawBitmap(QImage& target, const Rect& rect) {
    const QImage& bitmap = bitmap_->Image();
    QPainter painter(&target);
    painter.setClipRect(ToQRect(rect));
    if (!(drawFlags_ & dfTile) || bitmap.isNull()) {
        painter.drawImage(ToQRect(rect), bitmap);
        return;
    }
    for (int y = rect.Top; y < rect.Bottom; y += bitmap.height())
        for (int x = rect.Left; x < rect.Right; x += bitmap.width())
            painter.drawImage(x, y, bitmap);
}

void GIFImage::Draw(GIFCanvas& canvas, const Rect& rect) {
    if (drawing_ || frames_.empty()) return;
    drawing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{drawing_};
    QImage& target = canvas.Image();
    if (FrameCount() == 1 || !(drawFlags_ & dfAnimate)) {
        frames_.front()->Draw(target, rect, drawFlags_ & dfTransparent, drawFlags_ & dfTile);
        return;
    }
    const bool direct = drawFlags_ & dfDirectDraw;
    if (bitmap_ && !direct) {
        DrawBitmap(target, rect);
        return;
    }
    ReleasePainters(false);
    if (painter_ && painter_->Draws(canvas, rect)) return;
    StopCurrentPainter();
    GIFCanvas* paintOn = &canvas;
    Rect paintRect = rect;
    if (!direct) {
        // The painter draws into the cached bitmap over what the target shows.
        bitmap_ = std::make_unique<GIFCanvas>(QImage(Width(), Height(), QImage::Format_ARGB32));
        QPainter painter(&bitmap_->Image());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QRect(0, 0, Width(), Height()), target, ToQRect(rect));
        paintOn = bitmap_.get();
        paintRect = {0, 0, Width(), Height()};
    }
    std::shared_ptr<GIFPainter> painter =
        GIFPainter::Create(*this, *paintOn, paintRect, drawFlags_, *paintClock_);
    painter->Start();
    if (direct) return;
    // Until the first frame is on the bitmap, this thread runs what the painter hands it.
    while (!painter->Painted() && !painter->Done()) {
        QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (bitmap_) DrawBitmap(target, rect);
}

void GIFImage::ReleasePainters(bool all) {
    if (all)
        for (const auto& painter : painters_)
            painter->Stop();
    std::vector<std::shared_ptr<GIFPainter>> keep;
    for (auto& painter : painters_) {
        if (!all && !painter->Done()) {
            keep.push_back(painter);
            continue;
        }
        painter->Finish();
        if (painter.get() == painter_) painter_ = nullptr;
    }
    painters_ = std::move(keep);
}

void GIFImage::StopCurrentPainter() {
    if (painter_) {
        painter_->Stop();
        painter_->Finish();
        std::erase_if(painters_, [&](const auto& painter) { return painter.get() == painter_; });
        painter_ = nullptr;
    }
    DropBitmap();
}

void GIFImage::StopPainters() {
    ReleasePainters(true);
    DropBitmap();
}

void GIFImage::LoadFromMimeData(const QMimeData& data) {
    if (data.hasFormat(kClipboardFormat)) {
        const QByteArray bytes = data.data(kClipboardFormat);
        MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        LoadFromStream(stream);
        return;
    }
    if (data.hasImage()) {
        ::Bitmap bitmap;
        bitmap.Assign(qvariant_cast<QImage>(data.imageData()), PixelFormat::pf24bit);
        Assign(bitmap);
        return;
    }
    RaiseGIF(gif_messages::kUnsupportedClipboard);
}

void GIFImage::SaveToMimeData(QMimeData& data) {
    if (frames_.empty()) return;
    data.setImageData(*Bitmap());
    MemoryStream stream;
    SaveToStream(stream);
    data.setData(kClipboardFormat, QByteArray(reinterpret_cast<const char*>(stream.Bytes().data()),
                                              static_cast<qsizetype>(stream.Bytes().size())));
}
