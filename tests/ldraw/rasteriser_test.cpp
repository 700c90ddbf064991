#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "ldraw/rasteriser.h"

namespace {

constexpr RGBA kRed{255, 0, 0, 255};
constexpr RGBA kBlue{0, 0, 255, 255};
constexpr RGBA kNone{0, 0, 0, 0};

class RasteriserTest : public ::testing::Test {
  protected:
    void SetUp() override { InitRenderTarget(10, 10); }
    void TearDown() override { FreeRenderTarget(); }

    RenderTarget& Target() { return *CurrentRenderTarget(); }
    int32_t Depth(int x, int y) { return Target().zBuffer[static_cast<size_t>(y) * Target().width + x]; }
    bool Written(int x, int y) { return Depth(x, y) != std::numeric_limits<int32_t>::max(); }
    uint32_t Pixel(int x, int y) { return Target().frameBuffer.GetPixel(x, Target().height - 1 - y); }
    // Rows top to bottom, '#' for a written pixel.
    std::string Mask() {
        std::string out;
        for (int y = 0; y < Target().height; ++y) {
            for (int x = 0; x < Target().width; ++x)
                out += Written(x, y) ? '#' : '.';
            out += '\n';
        }
        return out;
    }
};

TEST_F(RasteriserTest, TriangleCoversThePixelCornersInItAndDegenerateOnesDrawNothing) {
    RasterTriangle({1, 1, 5}, {8, 1, 5}, {1, 4, 5}, kRed, kRed);
    EXPECT_EQ(Mask(), "..........\n"
                      ".########.\n"
                      ".#####....\n"
                      ".###......\n"
                      ".#........\n"
                      "..........\n"
                      "..........\n"
                      "..........\n"
                      "..........\n"
                      "..........\n");
    // Flat shading keeps channels between 3/4 and all of the colour.
    uint32_t red = Pixel(2, 2) >> 16;
    EXPECT_GE(red, 191u);
    EXPECT_LE(red, 255u);
    EXPECT_EQ(Pixel(2, 2) & 0xFFFF, 0u);

    InitRenderTarget(10, 10);
    RasterTriangle({1, 5, 1}, {8, 5, 2}, {4, 5, 3}, kRed, kRed); // one row
    RasterTriangle({1, 1, 1}, {4, 4, 2}, {7, 7, 3}, kRed, kRed); // collinear: seen edge-on
    EXPECT_EQ(Target().stats.pixelsWritten, 0);
}

TEST_F(RasteriserTest, DepthTestKeepsTheFirstAtEqualDepthAndTheNearer) {
    RasterTriangle({0, 0, 10}, {9, 0, 10}, {0, 9, 10}, kRed, kRed);
    uint32_t first = Pixel(2, 2);
    RasterTriangle({0, 0, 10}, {9, 0, 10}, {0, 9, 10}, kBlue, kBlue);
    EXPECT_EQ(Pixel(2, 2), first);
    RasterTriangle({0, 0, 9}, {9, 0, 9}, {0, 9, 9}, kBlue, kBlue);
    EXPECT_EQ(Pixel(2, 2) >> 16, 0u);
    EXPECT_EQ(Depth(2, 2), 9);
    // An optional-line pass draws over equal depth; a plain line does not.
    RasterLine({0, 3, 9}, {5, 3, 9}, false, kRed, kRed);
    EXPECT_EQ(Pixel(2, 3), Pixel(2, 2));
    RasterLine({0, 3, 9}, {5, 3, 9}, true, kRed, kRed);
    EXPECT_EQ(Pixel(2, 3), 0xFF0000u);
}

TEST_F(RasteriserTest, TransparentPixelsLeaveColourAndDepthAlone) {
    RasterTriangle({0, 0, 50}, {9, 0, 50}, {0, 9, 50}, kRed, kNone);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Written(x, y), (x + y) % 2 == 1) << x << "," << y;
    EXPECT_EQ(Pixel(0, 0), 0xFFFFFFu);
    // A face behind still shows through the holes.
    RasterTriangle({0, 0, 60}, {9, 0, 60}, {0, 9, 60}, kBlue, kBlue);
    EXPECT_EQ(Pixel(0, 0) >> 16, 0u);
    EXPECT_EQ(Pixel(1, 0) & 0xFF, 0u);
}

TEST_F(RasteriserTest, LinesStepAlongTheirMajorAxis) {
    RasterLine({1, 1, 0}, {4, 4, 0}, false, kRed, kRed); // slope 1 is not steep: one pixel per column
    RasterLine({9, 6, 0}, {6, 9, 0}, false, kRed, kRed); // slope -1
    RasterLine({7, 0, 0}, {8, 4, 0}, false, kRed, kRed); // steep: one pixel per row
    RasterLine({0, 8, 0}, {0, 8, 0}, false, kRed, kRed); // a point
    EXPECT_EQ(Mask(), ".......#..\n"
                      ".#.....#..\n"
                      "..#....#..\n"
                      "...#...#..\n"
                      "....#...#.\n"
                      "..........\n"
                      ".........#\n"
                      "........#.\n"
                      "#......#..\n"
                      "......#...\n");
    EXPECT_EQ(Target().stats.pixelsWritten, 4 + 4 + 5 + 1);
}

TEST_F(RasteriserTest, FarOffScreenGeometryIsClippedSafely) {
    const float big = kScreenLimit;
    RasterTriangle({-big, -big, 0}, {big, -big, big}, {0, big, -big}, kRed, kRed);
    EXPECT_EQ(Target().stats.pixelsWritten, 100);
    RasterLine({-big, 5, 0}, {big, 5, 0}, true, kBlue, kBlue);
    RasterLine({-big, -big, big}, {big, big, -big}, true, kBlue, kBlue);
    RasterLine({20, 20, 0}, {30, 30, 0}, false, kBlue, kBlue);
    RasterLine({-5, 3, 0}, {-5, 3, 0}, false, kBlue, kBlue);
    float huge[3] = {1e30f, -1e30f, std::nanf("")};
    float origin[3] = {0, 0, 0};
    DrawTriangle3D(huge, origin, huge, 4);
    DrawLine3D(huge, origin, 4);
    EXPECT_EQ(ScreenCoordinate(1e30f), kScreenLimit);
    EXPECT_EQ(ScreenCoordinate(-1e30f), -kScreenLimit);
    EXPECT_EQ(ScreenCoordinate(std::nanf("")), 0.0f);
    EXPECT_EQ(TruncToInt(3e9f), std::numeric_limits<int32_t>::max());
}

TEST_F(RasteriserTest, OddWidthsUseTheRealRowLength) {
    InitRenderTarget(5, 3);
    RasterLine({0, 0, 0}, {4, 0, 0}, false, kRed, kRed);
    QImage canvas(5, 3, QImage::Format_RGB32);
    DrawRenderTarget(canvas);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(canvas.pixel(x, 0), qRgb(255, 0, 0)) << x;
    EXPECT_EQ(canvas.pixel(0, 1), qRgb(255, 255, 255));
    FreeRenderTarget();
    RasterLine({0, 0, 0}, {4, 0, 0}, false, kRed, kRed); // no target: nothing happens
    canvas.fill(Qt::black);
    DrawRenderTarget(canvas);
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(RenderWidth(), 0);
}

} // namespace
