#pragma once

#include <QImage>
#include <algorithm>
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

// Counts of the current render, for measurements.
struct RenderStats {
    int64_t primitives = 0;
    int64_t pixelsWritten = 0;
};

// The one depth buffer and 24-bit frame buffer every render draws into.
struct RenderTarget {
    RenderTarget(int width, int height);
    // Every depth to the farthest value, every pixel to white.
    void Clear();

    int width;
    int height;
    std::vector<int32_t> zBuffer;    // row-major, screen row 0 first
    UniDIB frameBuffer;              // bottom-up rows of its own stride
    std::vector<int32_t> spanDepths; // depths of the row being filled, room for a whole row and a vector
    RenderStats stats;
};

// Replaces any previous target (freed first) with a cleared one. Throws std::bad_alloc when out of memory.
void InitRenderTarget(int width, int height);
void FreeRenderTarget();
// The current target, or nullptr.
RenderTarget* CurrentRenderTarget();
int RenderWidth();
int RenderHeight();
// Copies the finished picture onto canvas at (0, 0); nothing when no target exists.
void DrawRenderTarget(QImage& canvas);
void PresentRenderBuffer(const RenderTarget& target, QImage& canvas);
