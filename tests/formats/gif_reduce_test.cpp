// Colour reduction: the lookups, the error diffusion and the octree quantizer.
#include <gtest/gtest.h>

#include <set>

#include "formats/gif/gif_reduce.h"

namespace {

QImage Filled(int width, int height, QRgb color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

std::vector<std::vector<int>> Indexes(const Bitmap& bitmap) {
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < bitmap.Height(); ++y)
        rows.emplace_back(bitmap.ScanLine(y), bitmap.ScanLine(y) + bitmap.Width());
    return rows;
}

} // namespace

TEST(GifReduce, LookupsChooseTheDocumentedEntries) {
    NetscapeColorLookup web;
    const LookupResult w = web.Lookup(255, 0, 128);
    EXPECT_EQ(w.Index, 182);
    EXPECT_EQ(std::tie(w.Red, w.Green, w.Blue), std::make_tuple(255, 0, 102));
    EXPECT_EQ(WebPalette()[182], qRgb(255, 0, 102));

    MonochromeLookup mono;
    EXPECT_EQ(mono.Lookup(128, 128, 127).Index, 1);
    EXPECT_EQ(mono.Lookup(128, 128, 127).Red, 255);
    EXPECT_EQ(mono.Lookup(127, 127, 127).Index, 0);

    GrayScaleLookup grey;
    EXPECT_EQ(grey.Lookup(10, 20, 30).Index, 18);

    // The smallest sum of channel differences; of equal entries the first.
    FastColorLookup fast({qRgb(0, 0, 0), qRgb(200, 10, 10), qRgb(10, 200, 10), qRgb(200, 10, 10)});
    EXPECT_EQ(fast.Lookup(180, 30, 0).Index, 1);
    EXPECT_EQ(fast.Lookup(200, 10, 10).Index, 1);
    EXPECT_EQ(fast.Lookup(20, 20, 20).Index, 0);

    ASSERT_EQ(HalftonePalette().size(), 256u);
    EXPECT_TRUE(
        std::equal(SystemPalette20().begin(), SystemPalette20().begin() + 10, HalftonePalette().begin()));
    EXPECT_TRUE(
        std::equal(SystemPalette20().begin() + 10, SystemPalette20().end(), HalftonePalette().end() - 10));
}

TEST(GifReduce, FloydSteinbergByHandInSerpentineOrder) {
    // Grey 100 against black and white. Row 0 from the left: black (error +100, 7/16 of it ahead), then
    // 100 + (700 + 8) / 16 = 144: white (error -111). Row 1 from the right: 100 + (100 - 555 + 8) / 16 = 73:
    // black; then 100 + (500 - 333 + 7 * 73 + 8) / 16 = 142: white.
    const Bitmap square = ReduceColors(Filled(2, 2, qRgb(100, 100, 100)), ColorReduction::crBlackWhite,
                                       DitherMode::dkFloydSteinberg, 8);
    EXPECT_EQ(Indexes(square), (std::vector<std::vector<int>>{{0, 1}, {1, 0}}));
    // One pixel wide: the error only goes down.
    const Bitmap column = ReduceColors(Filled(1, 3, qRgb(100, 100, 100)), ColorReduction::crBlackWhite,
                                       DitherMode::dkFloydSteinberg, 8);
    EXPECT_EQ(Indexes(column), (std::vector<std::vector<int>>{{0}, {1}, {0}}));
    // Without diffusion every pixel is looked up alone.
    const Bitmap nearest = ReduceColors(Filled(2, 2, qRgb(100, 100, 100)), ColorReduction::crBlackWhite,
                                        DitherMode::dkNearest, 8);
    EXPECT_EQ(Indexes(nearest), (std::vector<std::vector<int>>{{0, 0}, {0, 0}}));
}

TEST(GifReduce, EveryKernelKeepsTheAverageOfAFlatGrey) {
    for (DitherMode kind : {DitherMode::dkFloydSteinberg, DitherMode::dkStucki, DitherMode::dkSierra,
                            DitherMode::dkJaJuNi, DitherMode::dkSteveArche, DitherMode::dkBurkes}) {
        const Bitmap result =
            ReduceColors(Filled(40, 40, qRgb(64, 64, 64)), ColorReduction::crBlackWhite, kind, 8);
        int white = 0;
        for (const auto& row : Indexes(result))
            for (int index : row)
                white += index;
        // A quarter of the pixels white, give or take the edges where error leaves the picture.
        EXPECT_NEAR(white, 400, 40) << int(kind);
    }
}

TEST(GifReduce, PaletteMethods) {
    QImage four(4, 2, QImage::Format_RGB32);
    const QRgb colors[4] = {qRgb(250, 0, 0), qRgb(0, 250, 0), qRgb(0, 0, 250), qRgb(90, 90, 90)};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            four.setPixel(x, y, colors[x]);

    const Bitmap two = ReduceColors(four, ColorReduction::crQuantize, DitherMode::dkNearest, 1);
    EXPECT_EQ(two.Palette().size(), 2u);
    const Bitmap exact = ReduceColors(four, ColorReduction::crQuantize, DitherMode::dkNearest, 2);
    EXPECT_EQ(std::set<QRgb>(exact.Palette().begin(), exact.Palette().end()),
              std::set<QRgb>(std::begin(colors), std::end(colors)));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(exact.Pixel(x, 1), colors[x]);

    const Bitmap withSystem = ReduceColors(four, ColorReduction::crQuantize256, DitherMode::dkNearest, 8);
    ASSERT_EQ(withSystem.Palette().size(), 256u);
    EXPECT_EQ(withSystem.Palette()[9], SystemPalette20()[9]);
    EXPECT_EQ(withSystem.Palette()[246], SystemPalette20()[10]);

    const Bitmap grey = ReduceColors(four, ColorReduction::crGrey256, DitherMode::dkNearest, 8);
    EXPECT_EQ(grey.ScanLine(0)[3], 90);
    const Bitmap copy = ReduceColors(four, ColorReduction::crNone, DitherMode::dkNearest, 8);
    EXPECT_EQ(copy.Format(), PixelFormat::pf24bit);
    EXPECT_EQ(copy.Pixel(2, 0), colors[2]);
    EXPECT_TRUE(ReduceColors(four, ColorReduction(10), DitherMode::dkNearest, 8).Empty());
    EXPECT_TRUE(ReduceColors(four, ColorReduction::crWeb216, DitherMode(7), 8).Empty());
    EXPECT_TRUE(ReduceColors(four, ColorReduction::crGivenPalette, DitherMode::dkNearest, 8).Empty());
    const Bitmap given = ReduceColors(four, ColorReduction::crGivenPalette, DitherMode::dkNearest, 8,
                                      {qRgb(0, 0, 0), qRgb(255, 0, 0)});
    EXPECT_EQ(Indexes(given)[0], (std::vector<int>{1, 0, 0, 0}));
}
