// What faces cover against what they should: no pixel beyond a face's own extent, no pixel left unwritten
// where faces meet. Pixels are sampled at their corner (x, y).
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "ldraw/ldraw_view.h"
#include "ldraw/rasteriser.h"
#include "support/test_support.h"

namespace {

constexpr RGBA kRed{255, 0, 0, 255};
constexpr float kDegree = std::numbers::pi_v<float> / 180;

bool Written(const RenderTarget& t, int x, int y) {
    return t.zBuffer[t.Index(x, y)] != std::numeric_limits<int32_t>::max();
}

struct Box {
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;
};

Box BoundsOf(const std::vector<DrawnShape>& shapes) {
    Box box;
    for (const DrawnShape& shape : shapes)
        for (const ScreenPoint& p : shape) {
            box.minX = std::min<double>(box.minX, p.x);
            box.maxX = std::max<double>(box.maxX, p.x);
            box.minY = std::min<double>(box.minY, p.y);
            box.maxY = std::max<double>(box.maxY, p.y);
        }
    return box;
}

// Written pixels whose square lies wholly beyond the shapes' bounds grown by margin.
int64_t Spilled(const RenderTarget& t, const std::vector<DrawnShape>& shapes, double margin) {
    const Box box = BoundsOf(shapes);
    int64_t spilled = 0;
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x)
            spilled += Written(t, x, y) && (x + 1 < box.minX - margin || x > box.maxX + margin ||
                                            y + 1 < box.minY - margin || y > box.maxY + margin);
    return spilled;
}

// Points around a sample, this far from it. Faces that together cover all of them cover the sample inside
// or on an edge they share (or where a corner meets an edge), never on the outline.
constexpr double kRing = 1.0 / 128;
constexpr std::array<std::array<double, 2>, 8> kRingPoints{{{kRing, 0},
                                                            {-kRing, 0},
                                                            {0, kRing},
                                                            {0, -kRing},
                                                            {kRing, kRing},
                                                            {kRing, -kRing},
                                                            {-kRing, kRing},
                                                            {-kRing, -kRing}}};

// Marks in ring the points around each sample that the face (closed) covers.
void CoverRing(const DrawnShape& face, int width, int height, std::vector<uint8_t>& ring) {
    const double x[3] = {face[0].x, face[1].x, face[2].x}, y[3] = {face[0].y, face[1].y, face[2].y};
    const double area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0) return; // a line, or a face seen edge-on
    const double sign = area > 0 ? 1 : -1;
    // Distance of (px, py) inside edge i, negative outside.
    double length[3];
    for (int i = 0; i < 3; ++i)
        length[i] = std::hypot(x[(i + 1) % 3] - x[i], y[(i + 1) % 3] - y[i]);
    auto inside = [&](int i, double px, double py) {
        const int j = (i + 1) % 3;
        return sign * ((x[j] - x[i]) * (py - y[i]) - (y[j] - y[i]) * (px - x[i])) / length[i];
    };
    const int left = std::max(0, static_cast<int>(std::floor(*std::min_element(x, x + 3) - kRing)));
    const int right = std::min(width - 1, static_cast<int>(std::ceil(*std::max_element(x, x + 3) + kRing)));
    const int top = std::max(0, static_cast<int>(std::floor(*std::min_element(y, y + 3) - kRing)));
    const int bottom = std::min(height - 1, static_cast<int>(std::ceil(*std::max_element(y, y + 3) + kRing)));
    for (int py = top; py <= bottom; ++py)
        for (int px = left; px <= right; ++px) {
            const double d = std::min({inside(0, px, py), inside(1, px, py), inside(2, px, py)});
            uint8_t& bits =
                ring[static_cast<size_t>(py) * static_cast<size_t>(width) + static_cast<size_t>(px)];
            if (d < -2 * kRing) continue;
            if (d > 2 * kRing) {
                bits = 0xFF;
                continue;
            }
            for (size_t k = 0; k < kRingPoints.size(); ++k) {
                const double qx = px + kRingPoints[k][0], qy = py + kRingPoints[k][1];
                if (inside(0, qx, qy) >= 0 && inside(1, qx, qy) >= 0 && inside(2, qx, qy) >= 0)
                    bits = static_cast<uint8_t>(bits | 1 << k);
            }
        }
}

// Unwritten pixels whose sample the faces cover together. Not "an unwritten pixel with four written
// neighbours": a slit between faces apart in depth can be a pixel or two wide on screen, and a sample in
// it must show the background.
int64_t Pinholes(const RenderTarget& t, const std::vector<DrawnShape>& shapes) {
    std::vector<uint8_t> ring(t.zBuffer.size(), 0);
    for (const DrawnShape& shape : shapes)
        CoverRing(shape, t.width, t.height, ring);
    int64_t pinholes = 0;
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x)
            pinholes += ring[t.Index(x, y)] == 0xFF && !Written(t, x, y);
    return pinholes;
}

ScreenPoint RandomPoint(std::mt19937& random, float size) {
    std::uniform_real_distribution<float> coordinate(1, size - 1), depth(0, 1000);
    return {coordinate(random), coordinate(random), depth(random)};
}

// A face with a nearly level edge spans only its own width.
TEST(RasteriserCoverageTest, NearlyLevelEdgesStayWithinTheirFace) {
    RenderTarget target(800, 800);
    std::vector<DrawnShape> shapes;
    target.drawnShapes = &shapes;
    RasterTriangle(target, {300, 399.995f, 0}, {400, 399.999f, 0}, {350, 420, 0}, kRed, kRed);
    EXPECT_EQ(Spilled(target, shapes, 1), 0);
    EXPECT_TRUE(Written(target, 350, 405));

    // Random faces off whole pixels, many of them slivers with one nearly level or upright edge: each
    // covers the samples inside it and nothing more than a pixel beyond its corners.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> tiny(-0.01f, 0.01f);
    for (int i = 0; i < 3000; ++i) {
        RenderTarget alone(48, 48);
        std::vector<DrawnShape> face;
        alone.drawnShapes = &face;
        ScreenPoint a = RandomPoint(random, 48), b = RandomPoint(random, 48), c = RandomPoint(random, 48);
        if (i % 3 == 1) b.y = a.y + tiny(random);
        if (i % 3 == 2) b.x = a.x + tiny(random);
        RasterTriangle(alone, a, b, c, kRed, kRed);
        ASSERT_EQ(Spilled(alone, face, 1), 0) << i;
        ASSERT_EQ(Pinholes(alone, face), 0) << i;
    }
}

// Faces meeting along an edge, its ends equal or a rounding apart as they come from different placements,
// and faces whose corner lies on another's edge, leave no pixel between them unwritten.
TEST(RasteriserCoverageTest, FacesSharingAnEdgeLeaveNoPinholes) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> along(0.2f, 0.8f), rounding(-2e-5f, 2e-5f);
    auto nudged = [&](ScreenPoint p) {
        return ScreenPoint{p.x + rounding(random), p.y + rounding(random), p.z};
    };
    int64_t pinholes = 0;
    for (int i = 0; i < 2000; ++i) {
        RenderTarget target(48, 48);
        std::vector<DrawnShape> faces;
        target.drawnShapes = &faces;
        const ScreenPoint a = RandomPoint(random, 48), b = RandomPoint(random, 48);
        const ScreenPoint c = RandomPoint(random, 48), d = RandomPoint(random, 48);
        RasterTriangle(target, a, b, c, kRed, kRed);
        if (i % 2 == 0) {
            RasterTriangle(target, nudged(b), nudged(a), d, kRed, kRed);
        } else {
            // d's face rests on a point of edge a-b, which splits that edge for it.
            const float t = along(random);
            const ScreenPoint m{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)};
            RasterTriangle(target, a, m, d, kRed, kRed);
            RasterTriangle(target, m, b, d, kRed, kRed);
        }
        pinholes += Pinholes(target, faces);
    }
    EXPECT_EQ(pinholes, 0);
}

// Two faces at different depths whose edges run parallel a little over a pixel apart on screen, as a ledge
// and the bottom edge of a wall behind it do in some views: the samples between them are no face's.
TEST(RasteriserCoverageTest, ASlitBetweenFacesStaysOpen) {
    RenderTarget target(64, 64);
    std::vector<DrawnShape> faces;
    target.drawnShapes = &faces;
    // Edges along y = 20 + 0.58 x and 1.3 pixels (1.1 across) below it.
    constexpr float kSlope = 0.58f, kGap = 1.3f;
    RasterTriangle(target, {0, 20, 100}, {60, 20 + 60 * kSlope, 100}, {0, 0, 100}, kRed, kRed);
    RasterTriangle(target, {0, 20 + kGap, 10}, {0, 63, 10}, {60, 20 + kGap + 60 * kSlope, 10}, kRed, kRed);
    int open = 0;
    for (int x = 5; x <= 55; ++x)
        for (int y = 0; y < 64; ++y) {
            // How far the sample lies past the upper face's edge, and short of the lower face's.
            const double edge = 20 + double{kSlope} * x;
            const double past = y - edge, shortOf = edge + double{kGap} - y;
            // Faces reach a sliver (far less than 1/16 pixel) beyond their edges, and fill up to them.
            if (past > 1.0 / 16 && shortOf > 1.0 / 16) {
                EXPECT_FALSE(Written(target, x, y)) << x << ", " << y;
                ++open;
            } else if ((past < -1.0 / 16 && past > -1) || (shortOf < -1.0 / 16 && shortOf > -1)) {
                EXPECT_TRUE(Written(target, x, y)) << x << ", " << y;
            }
        }
    EXPECT_GT(open, 40);
    EXPECT_EQ(Pinholes(target, faces), 0);
}

// Renders a part as the picture chooser shows it and counts what it got wrong.
struct Faults {
    int64_t spilled = 0;
    int64_t pinholes = 0;
};

Faults RenderPart(LDrawRenderer& renderer, const std::filesystem::path& file, float scale) {
    std::vector<DrawnShape> shapes;
    renderer.InitTarget(800, 800);
    RenderTarget& target = *renderer.Target();
    target.drawnShapes = &shapes;
    renderer.RenderFile(file, {4, scale, -45 * kDegree, 35 * kDegree, -30 * kDegree, {}});
    target.drawnShapes = nullptr;
    return {Spilled(target, shapes, 1), Pinholes(target, shapes)};
}

// The shipped sample library, or the tiny one of parts that are hard for a rasteriser.
void UseLibrary(LDrawRenderer& renderer, bool hard) {
    renderer.SetLibrary(hard ? TestData("ldraw-hard") : ShippedData("ldraw"));
    ASSERT_TRUE(renderer.Colours().Load(renderer.Library() / "LDConfig.ldr"));
}

void ExpectWhole(LDrawRenderer& renderer, const std::string& part, float scale) {
    const Faults faults = RenderPart(renderer, *LDrawPartFile(renderer.Library(), part), scale);
    EXPECT_EQ(faults.spilled, 0) << part << " at scale " << scale;
    EXPECT_EQ(faults.pinholes, 0) << part << " at scale " << scale;
}

TEST(LDrawCoverageTest, HardPartsAndSomeSamplePartsStayInBoundsWithoutPinholes) {
    LDrawRenderer renderer;
    for (float scale : {1.0f, 10.0f}) {
        UseLibrary(renderer, true);
        for (const char* part : {"98218", "586"})
            ExpectWhole(renderer, part, scale);
        UseLibrary(renderer, false);
        for (const char* part : {"3001", "3039", "3626c", "32064", "4589"})
            ExpectWhole(renderer, part, scale);
    }
}

// Every part of both libraries; reports how many parts spill or show pinholes.
TEST(LDrawCoverageTest, SlowWholeLibrariesStayInBoundsWithoutPinholes) {
    LDrawRenderer renderer;
    for (bool hard : {false, true}) {
        UseLibrary(renderer, hard);
        for (float scale : {1.0f, 10.0f}) {
            int parts = 0, spilling = 0, holed = 0;
            for (const auto& entry : std::filesystem::directory_iterator(renderer.Library() / "parts")) {
                if (entry.path().extension() != ".dat") continue;
                ++parts;
                const Faults faults = RenderPart(renderer, entry.path(), scale);
                spilling += faults.spilled > 0;
                holed += faults.pinholes > 0;
                EXPECT_EQ(faults.spilled, 0) << entry.path().filename() << " at scale " << scale;
                EXPECT_EQ(faults.pinholes, 0) << entry.path().filename() << " at scale " << scale;
            }
            std::cout << renderer.Library().filename() << " at scale " << scale << ": " << parts << " parts, "
                      << spilling << " spill, " << holed << " with pinholes\n";
        }
    }
}

} // namespace
