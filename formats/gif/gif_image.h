#pragma once

#include <QImage>
#include <QRgb>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "formats/gif/gif_frame.h"
#include "formats/gif/gif_painter.h"
#include "formats/gif/gif_reduce.h"
#include "platform/gfx/graphic.h"
#include "platform/gfx/rect.h"

class QMimeData;

// How a picture is drawn and animated.
enum DrawFlag : uint16_t {
    dfThreaded = 0x0001,    // painters run on threads of their own
    dfTransparent = 0x0002, // transparent pixels leave the target as it is
    dfAnimate = 0x0004,     // several frames are shown one after another
    dfLoop = 0x0008,        // as often as the loop extension says
    dfLoopForever = 0x0010, // with dfLoop: without end
    dfValidateCanvas = 0x0020,
    dfDirectDraw = 0x0040, // painters draw on the target instead of the cached bitmap
    dfClearOnLoop = 0x0080,
    dfTile = 0x0100,
    dfWebPalette = 0x0200,
    dfWebPaletteOnPaletteDisplays = 0x0400,
};
constexpr uint16_t kDefaultDrawFlags = 0x060F;
// The background colour that means "take it from the picture".
constexpr int32_t kNoColor = 0x1FFFFFFF;

enum class ProgressStage { psStarting, psRunning, psEnding };

// What the image optimizer may do.
enum GIFOptimizeOption : uint8_t {
    ooCrop = 0x01,         // shrink transparent frames to what they show
    ooMerge = 0x02,        // make pixels that repeat the previous frame transparent
    ooCleanup = 0x04,      // drop transparency and disposal that change nothing
    ooColorMap = 0x08,     // sort colour tables by use and drop unused colours
    ooReduceColors = 0x10, // refused with crGivenPalette: no palette can be passed
};

// A GIF picture: the logical screen with its global colour table and a list of frames.
class GIFImage : public Graphic {
  public:
    using WarningHandler = std::function<void(const GIFItem* sender, int severity, const QString& message)>;
    using ProgressHandler =
        std::function<void(ProgressStage stage, int percent, bool redraw, const QString& message)>;
    using PaintEvent = std::function<void(GIFPainter& painter)>;

    GIFImage();
    ~GIFImage() override;
    GIFImage(const GIFImage&) = delete;
    GIFImage& operator=(const GIFImage&) = delete;

    // The logical screen.
    int Width() const override { return header_.Width(); }
    int Height() const override { return header_.Height(); }
    // "Image width too small for contained frames" / "...height..." when a frame would stick out.
    void SetWidth(int width);
    void SetHeight(int height);

    // On failure the stream is back where it was and the frames read so far stay.
    void LoadFromStream(Stream& stream) override;
    // "Unsupported GIF version" when there are no frames.
    void SaveToStream(Stream& stream) override;
    // The first frame on the logical screen; what no frame covers, and transparent pixels, see-through.
    QImage ToImage() const override;

    void Assign(const GIFImage& source);
    // Any other picture becomes the one frame.
    void Assign(const Graphic& source);
    void Clear();
    // A picture converted into a new frame; returns its index.
    int Add(const Graphic& source);
    int Add(std::unique_ptr<GIFSubImage> frame);
    void Delete(int index);
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    GIFSubImage& Frame(int index) const { return *frames_[static_cast<size_t>(index)]; }
    GIFHeader& Header() { return header_; }
    const GIFHeader& Header() const { return header_; }

    // The version the frames need; gvUnknown without frames.
    GIFVersion Version() const;
    int ColorResolution() const;
    int BitsPerPixel() const;

    // The picture's palette: the web palette when it applies, else the global table, else the first
    // frame's; "No global or local color table defined" when none has one.
    std::vector<QRgb> Palette();
    void SetPalette(std::vector<QRgb> palette);
    void PaletteChanged() { SetPalette({}); }
    bool UsesWebPalette() const;

    // The cached rendering of the picture; none for an image without frames.
    const QImage* Bitmap();
    // Draws the picture into rect of the canvas: the first frame, or an animation by a painter.
    void Draw(GIFCanvas& canvas, const Rect& rect);
    // Stops every painter of this image and waits for their threads.
    void StopPainters();
    // The painter currently drawing this image, if any.
    GIFPainter* CurrentPainter() const { return painter_; }
    // Where painters take their time from.
    void SetPaintClock(PaintClock& clock) { paintClock_ = &clock; }

    void Warning(const GIFItem* sender, int severity, const QString& message) const;
    void Progress(ProgressStage stage, int percent, bool redraw, const QString& message) const;
    void Changed();

    // Clipboard data: the GIF bytes under "GIF Image" and the rendered bitmap as an image.
    void LoadFromMimeData(const QMimeData& data);
    void SaveToMimeData(QMimeData& data);

    // Optimizes the frames for storing (the options above); ooReduceColors cannot use crGivenPalette.
    void Optimize(uint8_t options, ColorReduction method);

    uint16_t DrawFlags() const { return drawFlags_; }
    void SetDrawFlags(uint16_t flags) { drawFlags_ = flags; }
    ColorReduction ReductionMethod() const { return reductionMethod_; }
    void SetReductionMethod(ColorReduction method) { reductionMethod_ = method; }
    // 2^QuantizeBits colours for the octree method; 1 to 8.
    int QuantizeBits() const { return quantizeBits_; }
    void SetQuantizeBits(int bits);
    DitherMode DitherKind() const { return ditherKind_; }
    void SetDitherKind(DitherMode kind) { ditherKind_ = kind; }
    // 0 string-table coding, 1 run-length coding.
    int Encoding() const { return encoding_; }
    void SetEncoding(int encoding) { encoding_ = encoding; }
    int PaintPriority() const { return paintPriority_; }
    void SetPaintPriority(int priority) { paintPriority_ = priority; }
    int SpeedPercent() const { return speedPercent_; }
    void SetSpeedPercent(int percent) { speedPercent_ = percent; }
    int32_t BackgroundFill() const { return backgroundFill_; }
    void SetBackgroundFill(int32_t color) { backgroundFill_ = color; }

    WarningHandler OnWarning;
    ProgressHandler OnProgress;
    std::function<void()> OnChange;
    PaintEvent OnStartPaint;
    PaintEvent OnPaint;
    PaintEvent OnAfterPaint;
    PaintEvent OnLoop;
    PaintEvent OnEndPaint;

  private:
    friend class GIFPainter;
    void ReadFrames(GIFReader& reader);
    void DropBitmap();
    // The first frame drawn on a see-through logical screen.
    QImage RenderFirstFrame() const;
    void StopCurrentPainter();
    // Ends and forgets painters: the ones done, or all of them.
    void ReleasePainters(bool all);
    void DrawBitmap(QImage& target, const Rect& rect);
    void OptimizeMerge();
    void OptimizeCleanup();
    void OptimizeCrop();

    GIFHeader header_;
    std::vector<std::unique_ptr<GIFSubImage>> frames_;
    std::optional<std::vector<QRgb>> palette_;
    bool drawing_ = false;
    bool inPalette_ = false;
    std::unique_ptr<GIFCanvas> bitmap_;
    std::vector<std::shared_ptr<GIFPainter>> painters_;
    GIFPainter* painter_ = nullptr;
    PaintClock* paintClock_;

    uint16_t drawFlags_ = kDefaultDrawFlags;
    ColorReduction reductionMethod_ = ColorReduction::crWeb216;
    int quantizeBits_ = 8;
    DitherMode ditherKind_ = DitherMode::dkNearest;
    int encoding_ = 0;
    int paintPriority_ = 3;
    int speedPercent_ = 100;
    int32_t backgroundFill_ = kNoColor;
};
