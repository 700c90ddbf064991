#pragma once

#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "ldraw/uni_dib.h"

// A point on the screen as it was computed, x to the right, y downward, smaller z nearer. Pixel (x, y) is
// drawn when its corner (x, y) lies in a face or a line passes through the pixel: points are not snapped to
// whole pixels first, which would open cracks where one face's corner lies on another face's edge.
struct ScreenPoint {
    float x = 0, y = 0, z = 0;
};

// Screen coordinates are kept within this magnitude so that face arithmetic fits in 64 bits.
constexpr float kScreenLimit = 1 << 20;
// Float to integer, truncated toward zero; out-of-range values are clamped and NaN becomes 0.
inline int32_t TruncToInt(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}
// A coordinate within the screen limit; NaN becomes 0.
inline float ScreenCoordinate(float value) {
    return std::isnan(value) ? 0.0f : std::clamp(value, -kScreenLimit, kScreenLimit);
}
inline ScreenPoint ToScreen(const float p[3]) {
    return {p[0], p[1], p[2]};
}

// The screen points of a face, or of a line with its second end repeated.
using DrawnShape = std::array<ScreenPoint, 3>;

// Counts of the current render, for measurements.
struct RenderStats {
    int64_t primitives = 0;
    int64_t pixelsWritten = 0;
};

// The depth buffer and 24-bit frame buffer a render draws into.
struct RenderTarget {
    RenderTarget(int width, int height);
    // Every depth to the farthest value, every pixel to white.
    void Clear();
    // The place of pixel (x, y) in zBuffer.
    size_t Index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    }

    int width;
    int height;
    std::vector<int32_t> zBuffer;    // row-major, screen row 0 first
    UniDIB frameBuffer;              // bottom-up rows of its own stride
    std::vector<int32_t> spanDepths; // depths of the row being filled, room for a whole row and a vector
    RenderStats stats;
    // When set, every face and line drawn adds its points here, to measure what renders cover.
    std::vector<DrawnShape>* drawnShapes = nullptr;
};

// Copies the finished picture onto canvas at (0, 0).
void PresentRenderBuffer(const RenderTarget& target, QImage& canvas);
