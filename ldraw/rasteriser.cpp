#include "ldraw/rasteriser.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr int32_t kFarthest = std::numeric_limits<int32_t>::max();

int32_t DepthValue(int64_t z) {
    return static_cast<int32_t>(std::clamp<int64_t>(z, std::numeric_limits<int32_t>::min(), kFarthest));
}

// Writes one pixel when its parity colour is visible and it passes the depth test; x and y are inside.
inline void Plot(RenderTarget& t, int x, int y, int64_t z, bool passEqual, RGBA fill, RGBA alternate) {
    const RGBA& colour = (x + y) & 1 ? fill : alternate;
    if (colour.a == 0) return;
    int32_t& depth = t.zBuffer[t.Index(x, y)];
    if (passEqual ? depth < z : depth <= z) return;
    depth = DepthValue(z);
    uint8_t* pixel = t.frameBuffer.Row(t.height - 1 - y) + 3 * x;
    pixel[0] = colour.b;
    pixel[1] = colour.g;
    pixel[2] = colour.r;
    ++t.stats.pixelsWritten;
}

// One row of a triangle, the hot loop of every render: everything it needs is held in locals.
void FillSpan(RenderTarget& t, int32_t y, int32_t left, int32_t right, const Plane& plane, RGBA fill,
              RGBA alternate) {
    if (fill.a == 0 && alternate.a == 0) return;
    const int32_t count = right - left + 1;
    if (count <= 0) return;
    // Depths of the whole span first, in a count rounded up to whole vectors so that the divide is
    // vectorised; the few past the end are computed but never used.
    int32_t* z = t.spanDepths.data();
    const float by = plane.b * static_cast<float>(y);
    for (int32_t i = 0; i < ((count + 7) & ~7); ++i)
        z[i] = TruncToInt((plane.a * static_cast<float>(left + i) + by + plane.d) / plane.c);
    int32_t* depth = t.zBuffer.data() + t.Index(left, y);
    uint8_t* pixels = t.frameBuffer.Row(t.height - 1 - y) + 3 * left;
    int64_t written = 0;
    auto plot = [&](int32_t i, RGBA colour) {
        if (depth[i] <= z[i]) return;
        depth[i] = z[i];
        uint8_t* pixel = pixels + 3 * i;
        pixel[0] = colour.b;
        pixel[1] = colour.g;
        pixel[2] = colour.r;
        ++written;
    };
    if (fill == alternate) {
        for (int32_t i = 0; i < count; ++i)
            plot(i, fill);
    } else {
        // Pixels where x + y is odd take the fill colour; a transparent colour leaves its pixels alone.
        const RGBA colours[2] = {alternate, fill};
        for (int32_t i = 0; i < count; ++i) {
            const RGBA& colour = colours[(left + i + y) & 1];
            if (colour.a != 0) plot(i, colour);
        }
    }
    t.stats.pixelsWritten += written;
}

RGBA Shaded(RGBA colour, float intensity) {
    auto channel = [&](uint8_t c) { return static_cast<uint8_t>(TruncToInt(c * intensity)); };
    return {channel(colour.r), channel(colour.g), channel(colour.b), colour.a};
}

// Faces turned toward the light (1, 1, 1) are brightest: 0.75 <= intensity <= 1.
float ShadeIntensity(const Plane& plane) {
    float length = std::sqrt(3.0f) * std::sqrt(plane.a * plane.a + plane.b * plane.b + plane.c * plane.c);
    float intensity = std::fabs(plane.a + plane.b - plane.c) / length / 4 + 0.75f;
    return std::min(intensity, 1.0f);
}

// A triangle edge crossing rows lo..hi; x at a row is found from its slope unless it is vertical.
struct Edge {
    int32_t lo, hi;
    bool vertical;
    int32_t x;
    float slope, intercept;

    Edge(const ScreenPoint& a, const ScreenPoint& b)
        : lo(std::min(a.y, b.y)), hi(std::max(a.y, b.y)), vertical(a.x == b.x), x(a.x), slope(0),
          intercept(0) {
        if (!vertical && a.y != b.y) {
            slope = static_cast<float>(b.y - a.y) / static_cast<float>(b.x - a.x);
            intercept = static_cast<float>(a.y) - static_cast<float>(a.x) * slope;
        }
    }
    bool Crosses(int32_t y) const { return lo != hi && lo <= y && y <= hi; }
    int32_t XAt(int32_t y) const {
        return vertical ? x : TruncToInt((static_cast<float>(y) - intercept) / slope);
    }
};

} // namespace

Plane PlaneOfTriangle(const ScreenPoint& p1, const ScreenPoint& p2, const ScreenPoint& p3) {
    // Coordinates are within the screen limit (2^20), so every product below fits in 64 bits.
    int64_t x1 = p1.x, y1 = p1.y, z1 = p1.z, x2 = p2.x, y2 = p2.y, z2 = p2.z, x3 = p3.x, y3 = p3.y, z3 = p3.z;
    int64_t a = y1 * (z2 - z3) + y2 * (z3 - z1) + y3 * (z1 - z2);
    int64_t b = z1 * (x2 - x3) + z2 * (x3 - x1) + z3 * (x1 - x2);
    int64_t c = -(x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2));
    int64_t d = -x1 * (y2 * z3 - y3 * z2) - x2 * (y3 * z1 - y1 * z3) - x3 * (y1 * z2 - y2 * z1);
    return {static_cast<float>(a), static_cast<float>(b), static_cast<float>(c), static_cast<float>(d)};
}

void RasterTriangle(RenderTarget& target, const ScreenPoint& p1, const ScreenPoint& p2, const ScreenPoint& p3,
                    RGBA fill, RGBA alternate) {
    Plane plane = PlaneOfTriangle(p1, p2, p3);
    if (plane.c == 0) return; // seen edge-on: no pixel could pass the depth test
    float intensity = ShadeIntensity(plane);
    RGBA shadedFill = Shaded(fill, intensity), shadedAlternate = Shaded(alternate, intensity);
    const Edge edges[] = {{p1, p2}, {p2, p3}, {p3, p1}};
    int32_t yTop = std::max(std::min({p1.y, p2.y, p3.y}), 0);
    int32_t yEnd = std::min(std::max({p1.y, p2.y, p3.y}), target.height);
    for (int32_t y = yTop; y < yEnd; ++y) {
        int32_t left = kFarthest, right = -kFarthest;
        for (const Edge& edge : edges) {
            if (!edge.Crosses(y)) continue;
            int32_t x = edge.XAt(y);
            left = std::min(left, x);
            right = std::max(right, x);
        }
        FillSpan(target, y, std::max(left, 0), std::min(right, target.width - 1), plane, shadedFill,
                 shadedAlternate);
    }
}

void RasterLine(RenderTarget& target, ScreenPoint a, ScreenPoint b, bool passEqual, RGBA fill,
                RGBA alternate) {
    auto along = [](int64_t steps, float slope) {
        return static_cast<int64_t>(TruncToInt(static_cast<float>(steps) * slope));
    };
    if (a.x != b.x && a.y != b.y) {
        if (a.x > b.x) std::swap(a, b);
        float slope = static_cast<float>(b.y - a.y) / static_cast<float>(b.x - a.x);
        // Exactly 45 degrees is not steep: it steps along x.
        bool steep = std::fabs(slope) > 1;
        if (steep) {
            std::swap(a.x, a.y);
            std::swap(b.x, b.y);
            if (a.x > b.x) std::swap(a, b);
            slope = static_cast<float>(b.y - a.y) / static_cast<float>(b.x - a.x);
        }
        float zSlope = static_cast<float>(b.z - a.z) / static_cast<float>(b.x - a.x);
        int32_t major = steep ? target.height : target.width, minor = steep ? target.width : target.height;
        for (int64_t t = std::max(a.x, 0); t <= std::min(major - 1, b.x); ++t) {
            int64_t m = along(t - a.x, slope) + a.y;
            if (m < 0 || m >= minor) continue;
            int64_t z = along(t - a.x, zSlope) + a.z;
            int x = static_cast<int>(steep ? m : t), y = static_cast<int>(steep ? t : m);
            Plot(target, x, y, z, passEqual, fill, alternate);
        }
    } else if (a.y == b.y && a.x != b.x) {
        if (a.x > b.x) std::swap(a, b);
        float zSlope = static_cast<float>(b.z - a.z) / static_cast<float>(b.x - a.x);
        if (a.y < 0 || a.y >= target.height) return;
        for (int64_t t = std::max(a.x, 0); t <= std::min(target.width - 1, b.x); ++t)
            Plot(target, static_cast<int>(t), a.y, along(t - a.x, zSlope) + a.z, passEqual, fill, alternate);
    } else {
        if (a.y > b.y) std::swap(a, b);
        float zSlope = a.y == b.y ? 0.0f : static_cast<float>(b.z - a.z) / static_cast<float>(b.y - a.y);
        if (a.x < 0 || a.x >= target.width) return;
        for (int64_t t = std::max(a.y, 0); t <= std::min(target.height - 1, b.y); ++t)
            Plot(target, a.x, static_cast<int>(t), along(t - a.y, zSlope) + a.z, passEqual, fill, alternate);
    }
}

void DrawLine3D(RenderTarget& target, const float p1[3], const float p2[3], RGBA fill, RGBA alternate) {
    RasterLine(target, ToScreen(p1), ToScreen(p2), false, fill, alternate);
}

void DrawTriangle3D(RenderTarget& target, const float p1[3], const float p2[3], const float p3[3], RGBA fill,
                    RGBA alternate) {
    RasterTriangle(target, ToScreen(p1), ToScreen(p2), ToScreen(p3), fill, alternate);
}
