#include "ui/bitmap/resamplers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

struct Kernel {
    double (*k)(double);
    double width;
};

double BoxKernel(double x) {
    return (x > -0.5 && x <= 0.5) ? 1.0 : 0.0;
}
double LinearKernel(double x) {
    x = std::abs(x);
    return x < 1 ? 1 - x : 0;
}
double CosineKernel(double x) {
    return std::abs(x) < 1 ? (std::cos(std::numbers::pi * x) + 1) / 2 : 0;
}
double SplineKernel(double x) {
    x = std::abs(x);
    if (x < 1) return 0.5 * x * x * x - x * x + 2.0 / 3.0;
    if (x < 2) return (2 - x) * (2 - x) * (2 - x) / 6;
    return 0;
}
double Sinc(double t) {
    if (t == 0) return 1;
    t *= std::numbers::pi;
    return std::sin(t) / t;
}
double LanczosKernel(double x) {
    x = std::abs(x);
    return x < 3 ? Sinc(x) * Sinc(x / 3) : 0;
}
double MitchellKernel(double x) {
    x = std::abs(x);
    if (x < 1) return (7 * x * x * x - 12 * x * x + 16.0 / 3.0) / 6;
    if (x < 2) return (-7.0 / 3.0 * x * x * x + 12 * x * x - 20 * x + 32.0 / 3.0) / 6;
    return 0;
}

Kernel KernelOf(StretchFilter filter) {
    switch (filter) {
    case StretchFilter::sfNearest:
        return {BoxKernel, 1};
    case StretchFilter::sfDraft:
    case StretchFilter::sfLinear:
        return {LinearKernel, 1};
    case StretchFilter::sfCosine:
        return {CosineKernel, 1};
    case StretchFilter::sfSpline:
        return {SplineKernel, 2};
    case StretchFilter::sfLanczos:
        return {LanczosKernel, 3};
    case StretchFilter::sfMitchell:
        return {MitchellKernel, 2};
    }
    return {LinearKernel, 1};
}

// Writes finished lines of pixels into the destination by the draw mode.
class RowWriter {
  public:
    // withMaster: blending uses the source's master alpha (block and nearest paths do, filtered ones do not).
    RowWriter(const Bitmap32& src, DrawMode mode, const PixelCombineEvent& combine, bool withMaster)
        : mode_(mode), combine_(combine), routines_(RoutinesFor(src.GetCombineMode())),
          master_(src.MasterAlpha()), withMaster_(withMaster && src.MasterAlpha() < 255) {}

    void Write(const Color32* line, Color32* out, int count) const {
        switch (mode_) {
        case DrawMode::dmOpaque:
            std::memcpy(out, line, static_cast<size_t>(count) * 4);
            break;
        case DrawMode::dmBlend:
            if (withMaster_)
                routines_.BlendLineEx(line, out, count, master_);
            else
                routines_.BlendLine(line, out, count);
            break;
        case DrawMode::dmCustom:
            for (int i = 0; i < count; ++i)
                combine_(line[i], out[i], master_);
            break;
        }
    }

  private:
    DrawMode mode_;
    const PixelCombineEvent& combine_;
    const BlendRoutines& routines_;
    uint32_t master_;
    bool withMaster_;
};

// Source position of each clip position along one axis with exact integer arithmetic.
std::vector<int> NearestMap(int dstLo, int dstHi, int clipLo, int clipHi, int srcLo, int srcHi) {
    std::vector<int> map(static_cast<size_t>(clipHi - clipLo));
    const int64_t dstSpan = dstHi - dstLo;
    const int64_t srcSpan = srcHi - srcLo;
    for (int i = clipLo; i < clipHi; ++i)
        map[static_cast<size_t>(i - clipLo)] =
            dstSpan < 2 ? (srcLo + srcHi - 1) / 2 : srcLo + static_cast<int>((i - dstLo) * srcSpan / dstSpan);
    return map;
}

void StretchNearest(Bitmap32& dst, const Rect& dstRect, const Rect& clip, const Bitmap32& src,
                    const Rect& srcRect, const RowWriter& writer, DrawMode mode) {
    const std::vector<int> cols =
        NearestMap(dstRect.Left, dstRect.Right, clip.Left, clip.Right, srcRect.Left, srcRect.Right);
    const std::vector<int> rows =
        NearestMap(dstRect.Top, dstRect.Bottom, clip.Top, clip.Bottom, srcRect.Top, srcRect.Bottom);
    const int width = clip.Width();
    std::vector<Color32> line(static_cast<size_t>(width));
    int lastRow = -1;
    for (int y = clip.Top; y < clip.Bottom; ++y) {
        const int sy = rows[static_cast<size_t>(y - clip.Top)];
        Color32* out = dst.PixelAddress(clip.Left, y);
        if (mode == DrawMode::dmOpaque && sy == lastRow) {
            std::memcpy(out, dst.PixelAddress(clip.Left, y - 1), static_cast<size_t>(width) * 4);
            continue;
        }
        if (sy != lastRow) {
            const Color32* in = src.RowAddress(sy);
            for (int i = 0; i < width; ++i)
                line[static_cast<size_t>(i)] = in[cols[static_cast<size_t>(i)]];
            lastRow = sy;
        }
        writer.Write(line.data(), out, width);
    }
}

// Block boundaries along one axis: position i takes source [edges[i], edges[i + 1]).
std::vector<int> BlockEdges(int dstLo, int dstHi, int clipLo, int clipHi, int srcLo, int srcHi) {
    std::vector<int> edges;
    const int64_t dstSpan = dstHi - dstLo;
    const int64_t srcSpan = srcHi - srcLo;
    for (int i = clipLo; i <= clipHi; ++i)
        edges.push_back(srcLo + static_cast<int>((i - dstLo) * srcSpan / dstSpan));
    return edges;
}

void StretchDraftReduce(Bitmap32& dst, const Rect& dstRect, const Rect& clip, const Bitmap32& src,
                        const Rect& srcRect, const RowWriter& writer) {
    const std::vector<int> xs =
        BlockEdges(dstRect.Left, dstRect.Right, clip.Left, clip.Right, srcRect.Left, srcRect.Right);
    const std::vector<int> ys =
        BlockEdges(dstRect.Top, dstRect.Bottom, clip.Top, clip.Bottom, srcRect.Top, srcRect.Bottom);
    std::vector<Color32> line(static_cast<size_t>(clip.Width()));
    for (int y = 0; y < clip.Height(); ++y) {
        const int y0 = ys[static_cast<size_t>(y)];
        const int h = std::max(ys[static_cast<size_t>(y) + 1] - y0, 1);
        for (int x = 0; x < clip.Width(); ++x) {
            const int x0 = xs[static_cast<size_t>(x)];
            const int w = std::max(xs[static_cast<size_t>(x) + 1] - x0, 1);
            line[static_cast<size_t>(x)] = AverageBlock(w, h, src.PixelAddress(x0, y0), src.Width());
        }
        writer.Write(line.data(), dst.PixelAddress(clip.Left, clip.Top + y), clip.Width());
    }
}

struct LinearEntry {
    int index;
    uint32_t weight; // of the left (upper) pixel, 0 .. 255
};

// Interpolation table along one axis for magnification; the right (lower) neighbour always exists.
std::vector<LinearEntry> LinearMap(int dstLo, int dstHi, int clipLo, int clipHi, int srcLo, int srcHi) {
    std::vector<LinearEntry> map;
    const double scale = static_cast<double>(srcHi - srcLo) / (dstHi - dstLo);
    for (int i = clipLo; i < clipHi; ++i) {
        const double x =
            std::clamp((srcLo - 0.5) + (i - dstLo + 0.5) * scale, double(srcLo), double(srcHi - 1));
        int index = static_cast<int>(std::floor(x));
        int weight = 256 - static_cast<int>(std::lround((x - index) * 256));
        if (index >= srcHi - 1) {
            index = srcHi - 2;
            weight = 0;
        }
        map.push_back({index, static_cast<uint32_t>(std::min(weight, 255))});
    }
    return map;
}

void StretchLinear(Bitmap32& dst, const Rect& dstRect, const Rect& clip, const Bitmap32& src,
                   const Rect& srcRect, const RowWriter& writer) {
    const std::vector<LinearEntry> cols =
        LinearMap(dstRect.Left, dstRect.Right, clip.Left, clip.Right, srcRect.Left, srcRect.Right);
    const std::vector<LinearEntry> rows =
        LinearMap(dstRect.Top, dstRect.Bottom, clip.Top, clip.Bottom, srcRect.Top, srcRect.Bottom);
    std::vector<Color32> line(static_cast<size_t>(clip.Width()));
    for (int y = 0; y < clip.Height(); ++y) {
        const LinearEntry row = rows[static_cast<size_t>(y)];
        const Color32* upper = src.RowAddress(row.index);
        const Color32* lower = src.RowAddress(row.index + 1);
        for (int x = 0; x < clip.Width(); ++x) {
            const LinearEntry col = cols[static_cast<size_t>(x)];
            const Color32 top = CombineReg(upper[col.index], upper[col.index + 1], col.weight);
            const Color32 bottom = CombineReg(lower[col.index], lower[col.index + 1], col.weight);
            line[static_cast<size_t>(x)] = CombineReg(top, bottom, row.weight);
        }
        writer.Write(line.data(), dst.PixelAddress(clip.Left, clip.Top + y), clip.Width());
    }
}

// Two passes over the weights: source rows into a work row of per-channel sums, then the work row into
// destination columns. Sums are clamped to 0 .. 255 for every filter.
void Resample(Bitmap32& dst, const Rect& dstRect, const Rect& clip, const Bitmap32& src, const Rect& srcRect,
              StretchFilter filter, const RowWriter& writer) {
    const ResampleMap cols = BuildResampleMap(dstRect.Left, dstRect.Right, clip.Left, clip.Right,
                                              srcRect.Left, srcRect.Right, filter);
    const ResampleMap rows = BuildResampleMap(dstRect.Top, dstRect.Bottom, clip.Top, clip.Bottom, srcRect.Top,
                                              srcRect.Bottom, filter);
    int first = srcRect.Right, last = srcRect.Left;
    for (const ResampleEntry& e : cols.entries) {
        first = std::min(first, e.index);
        last = std::max(last, e.index);
    }
    const int span = last - first + 1;
    std::vector<int32_t> work(static_cast<size_t>(span) * 4);
    std::vector<Color32> line(static_cast<size_t>(clip.Width()));
    constexpr int kHalfShift = 4; // work sums keep 8 fraction bits
    constexpr int kOutShift = 2 * kResampleWeightBits - kHalfShift;
    for (int y = 0; y < rows.size(); ++y) {
        std::fill(work.begin(), work.end(), 0);
        for (int e = rows.start[static_cast<size_t>(y)]; e < rows.start[static_cast<size_t>(y) + 1]; ++e) {
            const ResampleEntry entry = rows.entries[static_cast<size_t>(e)];
            const uint8_t* in = reinterpret_cast<const uint8_t*>(src.PixelAddress(first, entry.index));
            const int32_t w = entry.weight;
            int32_t* acc = work.data();
            for (int i = 0; i < span * 4; ++i)
                acc[i] += in[i] * w;
        }
        for (int32_t& v : work)
            v = (v + (1 << (kHalfShift - 1))) >> kHalfShift;
        for (int x = 0; x < cols.size(); ++x) {
            int32_t sum[4] = {};
            for (int e = cols.start[static_cast<size_t>(x)]; e < cols.start[static_cast<size_t>(x) + 1];
                 ++e) {
                const ResampleEntry entry = cols.entries[static_cast<size_t>(e)];
                const int32_t* in = work.data() + static_cast<size_t>(entry.index - first) * 4;
                for (int c = 0; c < 4; ++c)
                    sum[c] += in[c] * entry.weight;
            }
            Color32 pixel = 0;
            for (int c = 0; c < 4; ++c) {
                const int32_t v = (sum[c] + (1 << (kOutShift - 1))) >> kOutShift;
                pixel |= static_cast<Color32>(std::clamp(v, 0, 255)) << (8 * c);
            }
            line[static_cast<size_t>(x)] = pixel;
        }
        writer.Write(line.data(), dst.PixelAddress(clip.Left, clip.Top + y), clip.Width());
    }
}

} // namespace

ResampleMap BuildResampleMap(int dstLo, int dstHi, int clipLo, int clipHi, int srcLo, int srcHi,
                             StretchFilter filter) {
    ResampleMap map;
    map.start.push_back(0);
    const int srcSpan = srcHi - srcLo;
    if (srcSpan <= 0) return map;
    const Kernel kernel = KernelOf(filter);
    const double scale = static_cast<double>(dstHi - dstLo) / srcSpan;
    const double stretch = std::min(scale, 1.0); // reductions widen the kernel
    const double width = kernel.width / stretch;
    std::vector<std::pair<int, double>> taps;
    for (int i = clipLo; i < clipHi; ++i) {
        taps.clear();
        const double centre = (i - dstLo + 0.5) / scale + srcLo - 0.5;
        double total = 0;
        if (srcSpan > 1) {
            for (int j = static_cast<int>(std::floor(centre - width));
                 j <= static_cast<int>(std::ceil(centre + width)); ++j) {
                const double w = kernel.k((centre - j) * stretch);
                if (w == 0) continue;
                taps.emplace_back(std::clamp(j, srcLo, srcHi - 1), w);
                total += w;
            }
        }
        if (taps.empty() || std::abs(total) < 1e-9) {
            taps.assign(1, {std::clamp(static_cast<int>(std::floor(centre + 0.5)), srcLo, srcHi - 1), 1.0});
            total = 1;
        }
        // Normalised, then quantised on the running sum so the integer weights add up exactly.
        double running = 0;
        int previous = 0;
        for (const auto& [index, w] : taps) {
            running += w / total;
            const int quantised = static_cast<int>(std::lround(running * kResampleOne));
            if (quantised != previous) map.entries.push_back({index, quantised - previous});
            previous = quantised;
        }
        map.start.push_back(static_cast<int>(map.entries.size()));
    }
    return map;
}

Color32 AverageBlock(int width, int height, const Color32* firstPixel, int rowStride) {
    uint64_t sum[4] = {};
    for (int y = 0; y < height; ++y) {
        const Color32* row = firstPixel + static_cast<ptrdiff_t>(y) * rowStride;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c)
                sum[c] += (row[x] >> (8 * c)) & 0xFF;
    }
    const uint64_t n = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    Color32 r = 0;
    for (int c = 0; c < 4; ++c)
        r |= static_cast<Color32>((2 * sum[c] + n) / (2 * n)) << (8 * c);
    return r;
}

namespace {

// Same-size copy of the clip rectangle's pixels, taken from (srcX, srcY) on; the caller has checked both
// rectangles against their bitmaps.
void TransferBlock(Bitmap32& dst, const Rect& dstClip, const Bitmap32& src, int srcX, int srcY, DrawMode mode,
                   const PixelCombineEvent& onPixelCombine) {
    const RowWriter writer(src, mode, onPixelCombine, true);
    // Whole rows of equally wide bitmaps lie back to back: one move for all of them.
    if (dstClip.Left == 0 && srcX == 0 && dstClip.Width() == dst.Width() && dst.Width() == src.Width()) {
        writer.Write(src.RowAddress(srcY), dst.RowAddress(dstClip.Top), dstClip.Width() * dstClip.Height());
        return;
    }
    for (int y = dstClip.Top; y < dstClip.Bottom; ++y)
        writer.Write(src.PixelAddress(srcX, srcY + y - dstClip.Top), dst.PixelAddress(dstClip.Left, y),
                     dstClip.Width());
}

} // namespace

void TransferStretched(Bitmap32& dst, const Rect& dstRect, const Rect& dstClip, const Bitmap32& src,
                       const Rect& srcRect, StretchFilter filter, DrawMode mode,
                       const PixelCombineEvent& onPixelCombine) {
    if (src.Empty()) return;
    if (dst.Empty()) throw ETransformError("Destination bitmap is nil or empty");
    if (srcRect.IsEmpty()) return;
    if (srcRect.Left < 0 || srcRect.Top < 0 || srcRect.Right > src.Width() || srcRect.Bottom > src.Height())
        throw ETransformError("Source rectangle is invalid");
    const Rect clip = Intersect(Intersect(dstClip, dst.FullRect()), dstRect);
    if (clip.IsEmpty()) return;
    if (mode == DrawMode::dmCustom && !onPixelCombine) mode = DrawMode::dmOpaque;
    if (mode == DrawMode::dmBlend && src.MasterAlpha() == 0) return;

    if (dstRect.Width() == srcRect.Width() && dstRect.Height() == srcRect.Height()) {
        TransferBlock(dst, clip, src, srcRect.Left + clip.Left - dstRect.Left,
                      srcRect.Top + clip.Top - dstRect.Top, mode, onPixelCombine);
        return;
    }
    const bool enlarging = dstRect.Width() > srcRect.Width() && dstRect.Height() > srcRect.Height();
    const bool reducing = srcRect.Width() >= dstRect.Width() && srcRect.Height() >= dstRect.Height();
    const bool interpolable = srcRect.Width() > 1 && srcRect.Height() > 1;
    switch (filter) {
    case StretchFilter::sfNearest:
        StretchNearest(dst, dstRect, clip, src, srcRect, RowWriter(src, mode, onPixelCombine, true), mode);
        return;
    case StretchFilter::sfDraft:
        if (reducing) {
            StretchDraftReduce(dst, dstRect, clip, src, srcRect, RowWriter(src, mode, onPixelCombine, true));
            return;
        }
        if (interpolable) {
            StretchLinear(dst, dstRect, clip, src, srcRect, RowWriter(src, mode, onPixelCombine, false));
            return;
        }
        break;
    case StretchFilter::sfLinear:
        if (enlarging && interpolable) {
            StretchLinear(dst, dstRect, clip, src, srcRect, RowWriter(src, mode, onPixelCombine, false));
            return;
        }
        break;
    default:
        break;
    }
    Resample(dst, dstRect, clip, src, srcRect,
             filter == StretchFilter::sfDraft ? StretchFilter::sfLinear : filter,
             RowWriter(src, mode, onPixelCombine, false));
}
