#include <gtest/gtest.h>

#include <QProcess>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "support/test_support.h"
#include "ui/bitmap/resamplers.h"

namespace {

// An opaque picture with smooth ramps, a disc and sharp bars, so filters have edges to ring on.
void Paint(Bitmap32& b, int w, int h) {
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t r = static_cast<uint32_t>(x * 255 / (w - 1));
            const uint32_t g = static_cast<uint32_t>(y * 255 / (h - 1));
            const double dx = x - w / 2.0, dy = y - h / 2.0;
            const uint32_t blue = (dx * dx + dy * dy < w * h / 10.0) ? 230 : ((x / 7) % 2 ? 20 : 160);
            *b.PixelAddress(x, y) = 0xFF000000u | r << 16 | g << 8 | blue;
        }
}

void WritePpm(const Bitmap32& b, const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << b.Width() << " " << b.Height() << "\n255\n";
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const Color32 c = *b.PixelAddress(x, y);
            const char rgb[3] = {char(c >> 16), char(c >> 8), char(c)};
            out.write(rgb, 3);
        }
}

std::vector<uint8_t> ReadPpm(const std::filesystem::path& path, int& w, int& h) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    std::vector<uint8_t> rgb(static_cast<size_t>(w * h * 3));
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    return rgb;
}

std::unique_ptr<Bitmap32> Stretch(const Bitmap32& src, int w, int h, StretchFilter filter) {
    auto result = std::make_unique<Bitmap32>();
    Bitmap32& dst = *result;
    dst.SetSize(w, h);
    TransferStretched(dst, dst.FullRect(), dst.FullRect(), src, src.FullRect(), filter, DrawMode::dmOpaque,
                      {});
    return result;
}

} // namespace

TEST(Resamplers, NearestDoublesPixelsAndMatchesTheIntegerOracleWhenClipped) {
    Bitmap32 src;
    Paint(src, 10, 10);
    const auto big = Stretch(src, 20, 20, StretchFilter::sfNearest);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(*big->PixelAddress(x, y), *src.PixelAddress(x / 2, y / 2));

    // A destination rectangle reaching outside the destination keeps the unclipped mapping.
    Bitmap32 odd;
    Paint(odd, 23, 17);
    Bitmap32 dst;
    dst.SetSize(40, 40);
    dst.FillAll(0x12345678);
    const Rect dstRect{-5, 3, 66, 30};
    const Rect srcRect{2, 1, 21, 16};
    TransferStretched(dst, dstRect, dst.FullRect(), odd, srcRect, StretchFilter::sfNearest,
                      DrawMode::dmOpaque, {});
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            if (!dstRect.Contains(x, y)) {
                ASSERT_EQ(*dst.PixelAddress(x, y), 0x12345678u);
                continue;
            }
            const int64_t sx = srcRect.Left + int64_t(x - dstRect.Left) * srcRect.Width() / dstRect.Width();
            const int64_t sy = srcRect.Top + int64_t(y - dstRect.Top) * srcRect.Height() / dstRect.Height();
            ASSERT_EQ(*dst.PixelAddress(x, y), *odd.PixelAddress(int(sx), int(sy))) << x << "," << y;
        }
}

TEST(Resamplers, BadRectanglesRaiseBeforeAnyPixelChanges) {
    Bitmap32 src, dst, none;
    Paint(src, 10, 10);
    dst.SetSize(5, 5);
    dst.FillAll(7);
    try {
        TransferStretched(dst, dst.FullRect(), dst.FullRect(), src, {0, 0, 11, 10}, StretchFilter::sfLanczos,
                          DrawMode::dmOpaque, {});
        FAIL();
    } catch (const ETransformError& e) {
        EXPECT_STREQ(e.what(), "Source rectangle is invalid");
    }
    for (int i = 0; i < 25; ++i)
        ASSERT_EQ(dst.Bits()[i], 7u);
    EXPECT_THROW(TransferStretched(none, {0, 0, 5, 5}, {0, 0, 5, 5}, src, src.FullRect(),
                                   StretchFilter::sfNearest, DrawMode::dmOpaque, {}),
                 ETransformError);
}

TEST(Resamplers, EqualSizesCopyWhateverTheFilterAndBlendUsesMasterAlpha) {
    Bitmap32 src;
    Paint(src, 31, 9);
    for (StretchFilter f : {StretchFilter::sfLanczos, StretchFilter::sfDraft, StretchFilter::sfMitchell}) {
        const auto copy = Stretch(src, 31, 9, f);
        ASSERT_TRUE(std::equal(copy->Bits(), copy->Bits() + 31 * 9, src.Bits()));
    }
    Bitmap32 dst;
    dst.SetSize(31, 9);
    dst.FillAll(0xFF000000);
    src.SetMasterAlpha(127);
    TransferStretched(dst, dst.FullRect(), dst.FullRect(), src, src.FullRect(), StretchFilter::sfNearest,
                      DrawMode::dmBlend, {});
    EXPECT_EQ(*dst.PixelAddress(3, 4), BlendRegEx(*src.PixelAddress(3, 4), 0xFF000000, 127));
    int calls = 0;
    TransferStretched(dst, dst.FullRect(), {0, 0, 2, 3}, src, src.FullRect(), StretchFilter::sfNearest,
                      DrawMode::dmCustom, [&](Color32, Color32& b, uint32_t m) {
                          ++calls;
                          b = m;
                      });
    EXPECT_EQ(calls, 6);
    EXPECT_EQ(*dst.PixelAddress(1, 2), 127u);
}

TEST(Resamplers, MapWeightsSumExactlyAndStayInsideTheSource) {
    for (StretchFilter f : {StretchFilter::sfLinear, StretchFilter::sfCosine, StretchFilter::sfSpline,
                            StretchFilter::sfLanczos, StretchFilter::sfMitchell})
        for (auto [dst, src] : {std::pair{400, 800}, {800, 400}, {7, 3}, {3, 100}, {5, 1}, {1, 9}}) {
            const ResampleMap map =
                BuildResampleMap(-2, dst - 2, 0, dst - 4 > 0 ? dst - 4 : 1, 10, 10 + src, f);
            for (size_t i = 0; i + 1 < map.start.size(); ++i) {
                int sum = 0;
                for (auto e = static_cast<size_t>(map.start[i]); e < static_cast<size_t>(map.start[i + 1]);
                     ++e) {
                    sum += map.entries[e].weight;
                    ASSERT_GE(map.entries[e].index, 10);
                    ASSERT_LT(map.entries[e].index, 10 + src);
                }
                ASSERT_EQ(sum, kResampleOne) << int(f) << " " << dst << " " << src << " at " << i;
            }
        }
}

TEST(Resamplers, AverageBlockRounds) {
    const Color32 half[2] = {0x00000000, 0x01010101};
    EXPECT_EQ(AverageBlock(2, 1, half, 2), 0x01010101u);
    const Color32 third[3] = {0, 0, 0x01010101};
    EXPECT_EQ(AverageBlock(1, 3, third, 1), 0u);
    const Color32 block[4] = {0xFF0000FF, 0xFF0000FE, 0xFF000000, 0xFF000001};
    EXPECT_EQ(AverageBlock(2, 2, block, 2), 0xFF000080u);
}

TEST(Resamplers, KernelFiltersAgreeWithImageMagickOnTheInterior) {
    if (!std::filesystem::exists("/usr/bin/convert")) GTEST_SKIP() << "ImageMagick not installed";
    TempDir dir;
    Bitmap32 src;
    Paint(src, 96, 72);
    WritePpm(src, dir / "in.ppm");
    struct Case {
        StretchFilter filter;
        const char* name;
        int w, h;
    };
    const Case cases[] = {
        {StretchFilter::sfLanczos, "Lanczos", 48, 36},   {StretchFilter::sfLanczos, "Lanczos", 192, 144},
        {StretchFilter::sfMitchell, "Mitchell", 61, 47}, {StretchFilter::sfMitchell, "Mitchell", 150, 100},
        {StretchFilter::sfSpline, "Cubic", 40, 30},      {StretchFilter::sfLinear, "Triangle", 50, 40},
        {StretchFilter::sfLinear, "Triangle", 200, 150}};
    for (const Case& c : cases) {
        const std::string size = std::to_string(c.w) + "x" + std::to_string(c.h) + "!";
        QProcess convert;
        convert.start("/usr/bin/convert",
                      {QString::fromStdString((dir / "in.ppm").string()), "-filter", c.name, "-resize",
                       QString::fromStdString(size), QString::fromStdString((dir / "out.ppm").string())});
        ASSERT_TRUE(convert.waitForFinished(30000));
        ASSERT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();
        int w = 0, h = 0;
        const std::vector<uint8_t> want = ReadPpm(dir / "out.ppm", w, h);
        ASSERT_EQ(w, c.w);
        const auto got = Stretch(src, c.w, c.h, c.filter);
        // Edges differ by design (the peer renormalises cut kernels, we repeat the edge pixel).
        const int mx = 4 * std::max(1, (96 + c.w - 1) / c.w), my = 4 * std::max(1, (72 + c.h - 1) / c.h);
        int worst = 0;
        for (int y = my; y < c.h - my; ++y)
            for (int x = mx; x < c.w - mx; ++x)
                for (int ch = 0; ch < 3; ++ch) {
                    const int ours = (*got->PixelAddress(x, y) >> (16 - 8 * ch)) & 0xFF;
                    worst = std::max(worst, std::abs(ours - want[static_cast<size_t>((y * w + x) * 3 + ch)]));
                }
        // Linear enlarging takes the 8-bit interpolator, whose three combines each round down by up to one.
        const bool interpolated = c.filter == StretchFilter::sfLinear && c.w > 96;
        EXPECT_LE(worst, interpolated ? 3 : 2) << c.name << " to " << size;
    }
}
