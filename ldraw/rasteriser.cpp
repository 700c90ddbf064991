#include "ldraw/rasteriser.h"

#include <algorithm>
#include <array>
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

// One row of a triangle, the hot loop of every render: everything it needs is held in locals. Depths go
// from zLeft at the first pixel by zStep a pixel.
void FillSpan(RenderTarget& t, int32_t y, int32_t left, int32_t right, float zLeft, float zStep, RGBA fill,
              RGBA alternate) {
    if (fill.a == 0 && alternate.a == 0) return;
    const int32_t count = right - left + 1;
    if (count <= 0) return;
    // Depths of the whole span first, in a count rounded up to whole vectors so that the loop is
    // vectorised; the few past the end are computed but never used.
    int32_t* z = t.spanDepths.data();
    for (int32_t i = 0; i < ((count + 7) & ~7); ++i)
        z[i] = TruncToInt(zLeft + zStep * static_cast<float>(i));
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

// Faces turned toward the light (1, 1, 1) are brightest: 0.75 <= intensity <= 1. (nx, ny, nz) is the face's
// normal on screen.
float ShadeIntensity(double nx, double ny, double nz) {
    const double length = std::sqrt(3.0) * std::sqrt(nx * nx + ny * ny + nz * nz);
    return std::min(static_cast<float>(std::fabs(nx + ny + nz) / length / 4 + 0.75), 1.0f);
}

// Face corners on a grid of 1/256 pixel, in exact integer arithmetic from there on.
constexpr int64_t kFine = 256;
// Faces reach this far (in 1/256 pixel) beyond their edges: a pixel sampled in a sliver thinner than this
// between two faces, or between a face and its outline, would show as a hole.
constexpr int64_t kFaceSlack = 4;

struct FinePoint {
    int64_t x, y;
};

FinePoint ToFine(const ScreenPoint& p) {
    auto fine = [](float c) {
        return static_cast<int64_t>(std::nearbyint(double{ScreenCoordinate(c)} * kFine));
    };
    return {fine(p.x), fine(p.y)};
}

// Smallest integer at or above n / d, and largest at or below, for d > 0.
int64_t CeilDiv(int64_t n, int64_t d) {
    return n >= 0 ? (n + d - 1) / d : -(-n / d);
}
int64_t FloorDiv(int64_t n, int64_t d) {
    return -CeilDiv(-n, d);
}

// The bound one edge puts on the samples of a row: the face lies on the inner side of every edge. Each edge
// is moved out by the slack in x and in y, so that with the face's own bounds moved out alike the pixels
// sampled are exactly those within the slack of the face: a sliver or a nearly level edge reaches no further.
struct Edge {
    // The face is where dy * X - dx * Y >= limit, X and Y in fine units.
    int64_t dx, dy, limit;

    // a to b with the face on the left of it in screen space (y downward).
    Edge(FinePoint a, FinePoint b)
        : dx(b.x - a.x), dy(b.y - a.y),
          limit(dy * a.x - dx * a.y - kFaceSlack * (std::llabs(dx) + std::llabs(dy))) {}
    // Narrows the row's pixels [first, last] to this edge's side.
    void Bound(int64_t row, int64_t& first, int64_t& last) const {
        const int64_t rest = limit + dx * row * kFine;
        if (dy > 0)
            first = std::max(first, CeilDiv(rest, dy * kFine));
        else if (dy < 0)
            last = std::min(last, FloorDiv(-rest, -dy * kFine));
        else if (rest > 0)
            last = first - 1; // the whole row lies beyond a level edge
    }
};

} // namespace

void RasterTriangle(RenderTarget& target, const ScreenPoint& p1, const ScreenPoint& p2, const ScreenPoint& p3,
                    RGBA fill, RGBA alternate) {
    if (target.drawnShapes) target.drawnShapes->push_back({p1, p2, p3});
    const FinePoint f1 = ToFine(p1), f2 = ToFine(p2), f3 = ToFine(p3);
    // Twice the signed area: 0 for a face seen edge-on, which no pixel could pass.
    const int64_t area = (f2.x - f1.x) * (f3.y - f1.y) - (f3.x - f1.x) * (f2.y - f1.y);
    if (area == 0) return;
    // The face's normal from the corners in pixels gives its shading and how its depth changes.
    const double ux = static_cast<double>(f2.x - f1.x) / kFine, uy = static_cast<double>(f2.y - f1.y) / kFine;
    const double vx = static_cast<double>(f3.x - f1.x) / kFine, vy = static_cast<double>(f3.y - f1.y) / kFine;
    const double uz = static_cast<double>(p2.z) - p1.z, vz = static_cast<double>(p3.z) - p1.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double zStepX = -nx / nz, zStepY = -ny / nz;
    const float intensity = ShadeIntensity(nx, ny, nz);
    const RGBA shadedFill = Shaded(fill, intensity), shadedAlternate = Shaded(alternate, intensity);

    // Corners ordered so that the face lies on the left of each edge.
    const std::array<Edge, 3> edges = area > 0
                                          ? std::array<Edge, 3>{Edge{f1, f3}, Edge{f3, f2}, Edge{f2, f1}}
                                          : std::array<Edge, 3>{Edge{f1, f2}, Edge{f2, f3}, Edge{f3, f1}};
    const int64_t left = std::max<int64_t>(CeilDiv(std::min({f1.x, f2.x, f3.x}) - kFaceSlack, kFine), 0);
    const int64_t right =
        std::min<int64_t>(FloorDiv(std::max({f1.x, f2.x, f3.x}) + kFaceSlack, kFine), target.width - 1);
    const int64_t firstRow = std::max<int64_t>(CeilDiv(std::min({f1.y, f2.y, f3.y}) - kFaceSlack, kFine), 0);
    const int64_t lastRow =
        std::min<int64_t>(FloorDiv(std::max({f1.y, f2.y, f3.y}) + kFaceSlack, kFine), target.height - 1);
    const double x1 = static_cast<double>(f1.x) / kFine, y1 = static_cast<double>(f1.y) / kFine;
    for (int64_t row = firstRow; row <= lastRow; ++row) {
        int64_t first = left, last = right;
        for (const Edge& edge : edges)
            edge.Bound(row, first, last);
        if (first > last) continue;
        const double zLeft =
            p1.z + zStepX * (static_cast<double>(first) - x1) + zStepY * (static_cast<double>(row) - y1);
        FillSpan(target, static_cast<int32_t>(row), static_cast<int32_t>(first), static_cast<int32_t>(last),
                 static_cast<float>(zLeft), static_cast<float>(zStepX), shadedFill, shadedAlternate);
    }
}

void RasterLine(RenderTarget& target, ScreenPoint a, ScreenPoint b, bool passEqual, RGBA fill,
                RGBA alternate) {
    if (target.drawnShapes) target.drawnShapes->push_back({a, b, b});
    // On the faces' grid, in the faces' arithmetic: a line along a face's edge lands on the pixels next to
    // (or on) the face's own, never a pixel apart.
    FinePoint fa = ToFine(a), fb = ToFine(b);
    // One pixel per step along the major axis; exactly 45 degrees is not steep and steps along x.
    const bool steep = std::llabs(fb.y - fa.y) > std::llabs(fb.x - fa.x);
    auto major = [steep](const FinePoint& p) { return steep ? p.y : p.x; };
    auto minor = [steep](const FinePoint& p) { return steep ? p.x : p.y; };
    if (major(fa) > major(fb)) {
        std::swap(fa, fb);
        std::swap(a, b);
    }
    const int64_t length = major(fb) - major(fa), rise = minor(fb) - minor(fa);
    const double zSlope =
        length > 0 ? (static_cast<double>(b.z) - a.z) * kFine / static_cast<double>(length) : 0;
    const int64_t majorExtent = steep ? target.height : target.width;
    const int64_t minorExtent = steep ? target.width : target.height;
    const int64_t first = std::max<int64_t>(FloorDiv(major(fa), kFine), 0);
    const int64_t last = std::min<int64_t>(FloorDiv(major(fb), kFine), majorExtent - 1);
    for (int64_t t = first; t <= last; ++t) {
        // Where the line crosses the column's (row's, when steep) sample line, as faces are sampled; in the
        // columns of its ends that may lie a little beyond them.
        const int64_t along = t * kFine - major(fa);
        const int64_t m = length > 0 ? FloorDiv(minor(fa) * length + along * rise, kFine * length)
                                     : FloorDiv(minor(fa), kFine);
        if (m < 0 || m >= minorExtent) continue;
        const int64_t z = TruncToInt(static_cast<float>(a.z + static_cast<double>(along) / kFine * zSlope));
        Plot(target, static_cast<int>(steep ? m : t), static_cast<int>(steep ? t : m), z, passEqual, fill,
             alternate);
    }
}

void DrawLineNearer(RenderTarget& target, const float p1[3], const float p2[3], RGBA fill, RGBA alternate) {
    const float nearer1[3] = {p1[0], p1[1], p1[2] - kLineDepthBias};
    const float nearer2[3] = {p2[0], p2[1], p2[2] - kLineDepthBias};
    RasterLine(target, ToScreen(nearer1), ToScreen(nearer2), true, fill, alternate);
}

void DrawLine3D(RenderTarget& target, const float p1[3], const float p2[3], RGBA fill, RGBA alternate) {
    DrawLineNearer(target, p1, p2, fill, alternate);
}

void DrawTriangle3D(RenderTarget& target, const float p1[3], const float p2[3], const float p3[3], RGBA fill,
                    RGBA alternate) {
    RasterTriangle(target, ToScreen(p1), ToScreen(p2), ToScreen(p3), fill, alternate);
}
