// The image optimizer: smaller files for pictures whose frames repeat one another.
#include <algorithm>

#include "formats/gif/gif_error.h"
#include "formats/gif/gif_image.h"

namespace {

// The colour a frame's pixel shows, or -1 for a transparent one.
int64_t ShownColor(const GIFSubImage& frame, const std::array<QRgb, 256>& colors, int x, int y) {
    const uint8_t index =
        frame.Data()[static_cast<size_t>(y - frame.Top()) * static_cast<size_t>(frame.Width()) +
                     static_cast<size_t>(x - frame.Left())];
    return index == frame.TransparentIndex() ? -1 : static_cast<int64_t>(colors[index]);
}

bool Uses(const GIFSubImage& frame, int index) {
    return std::find(frame.Data().begin(), frame.Data().end(), index) != frame.Data().end();
}

} // namespace

void GIFImage::Optimize(uint8_t options, ColorReduction method) {
    if (frames_.empty()) return;
    StopPainters();
    if ((options & ooReduceColors) && method == ColorReduction::crGivenPalette)
        RaiseGIF(gif_messages::kInvalidReduction);
    struct Finish {
        GIFImage& image;
        bool ok = false;
        ~Finish() { image.Progress(ProgressStage::psEnding, ok ? 100 : 0, true, "Optimizing..."); }
    } finish{*this};
    Progress(ProgressStage::psStarting, 0, false, "Optimizing...");
    if (options & ooColorMap) {
        header_.ColorMap().Optimize();
        for (const auto& frame : frames_)
            if (frame->ColorMap().Count() > 0) frame->ColorMap().Optimize();
    }
    if (options & ooCleanup) OptimizeCleanup();
    if (options & ooMerge) OptimizeMerge();
    if (options & ooCrop) OptimizeCrop();
    DropBitmap();
    Changed();
    finish.ok = true;
}

void GIFImage::OptimizeCleanup() {
    for (const auto& frame : frames_)
        if (frame->TransparentIndex() >= 0 && !Uses(*frame, frame->TransparentIndex()))
            frame->ClearTransparency();
    for (size_t i = 0; i + 1 < frames_.size(); ++i) {
        GIFGraphicControlExtension* control = frames_[i]->GraphicControlExtension();
        const GIFSubImage& next = *frames_[i + 1];
        const Rect covered = Intersect(frames_[i]->BoundsRect(), next.BoundsRect());
        if (control && control->Disposal() <= 1 && !next.Transparent() && !next.Empty() &&
            covered == frames_[i]->BoundsRect())
            control->SetDisposal(0);
    }
}

void GIFImage::OptimizeMerge() {
    for (size_t i = 1; i < frames_.size(); ++i) {
        GIFSubImage& earlier = *frames_[i - 1];
        GIFSubImage& frame = *frames_[i];
        Progress(ProgressStage::psRunning, static_cast<int>(i * 100 / frames_.size()), false,
                 "Optimizing...");
        const GIFGraphicControlExtension* control = earlier.GraphicControlExtension();
        if (earlier.Empty() || frame.Empty() || (control && control->Disposal() >= 2)) continue;
        const Rect overlap = Intersect(earlier.BoundsRect(), frame.BoundsRect());
        if (overlap.IsEmpty()) continue;
        // Pixels that show what the earlier frame already shows there.
        const std::array<QRgb, 256> earlierColors = earlier.ColorTable32(false);
        const std::array<QRgb, 256> colors = frame.ColorTable32(false);
        std::vector<size_t> same;
        for (int y = overlap.Top; y < overlap.Bottom; ++y)
            for (int x = overlap.Left; x < overlap.Right; ++x)
                if (ShownColor(frame, colors, x, y) >= 0 &&
                    ShownColor(frame, colors, x, y) == ShownColor(earlier, earlierColors, x, y))
                    same.push_back(static_cast<size_t>(y - frame.Top()) * static_cast<size_t>(frame.Width()) +
                                   static_cast<size_t>(x - frame.Left()));
        if (same.empty()) continue;
        int index = frame.TransparentIndex();
        if (index < 0) {
            const bool local = frame.ColorMap().Count() > 0;
            GIFColorMap& table = local ? static_cast<GIFColorMap&>(frame.ColorMap()) : header_.ColorMap();
            if (table.Count() >= GIFColorMap::kMaxColors) continue;
            // Another frame's transparent index into the same global table, when this frame does not use it.
            if (!local)
                for (const auto& other : frames_)
                    if (other->ColorMap().Count() == 0 && other->TransparentIndex() >= 0 &&
                        !Uses(frame, other->TransparentIndex())) {
                        index = other->TransparentIndex();
                        break;
                    }
            if (index < 0) index = table.Add({0, 0, 0});
        }
        for (size_t at : same)
            frame.ScanLine(static_cast<int>(
                at / static_cast<size_t>(frame.Width())))[at % static_cast<size_t>(frame.Width())] =
                static_cast<uint8_t>(index);
        frame.SetTransparentIndex(index);
    }
}

void GIFImage::OptimizeCrop() {
    for (int i = FrameCount() - 1; i >= 0; --i) {
        GIFSubImage& frame = Frame(i);
        if (frame.Empty() || !frame.Transparent()) continue;
        const GIFGraphicControlExtension* control = frame.GraphicControlExtension();
        const int delay = control ? control->Delay() : 0;
        frame.Crop();
        if (!frame.Empty()) continue;
        frames_.erase(frames_.begin() + i);
        // The time the removed frame was shown goes to the one before it.
        if (i > 0 && Frame(i - 1).Transparent() && Frame(i - 1).GraphicControlExtension()) {
            GIFGraphicControlExtension& before = *Frame(i - 1).GraphicControlExtension();
            before.SetDelay(before.Delay() + delay);
        }
    }
}
