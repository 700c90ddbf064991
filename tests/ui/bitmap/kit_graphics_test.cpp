#include <gtest/gtest.h>

#include "platform/bytes.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/stream.h"
#include "support/test_support.h"
#include "ui/bitmap/kit_graphics.h"

namespace {

// A 24-bit bitmap whose pixel (x, y) is colours[(x + y) % n].
Bitmap Stripes(int width, int height, const std::vector<QRgb>& colours) {
    Bitmap bitmap;
    bitmap.SetPixelFormat(PixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, colours[size_t(x + y) % colours.size()]);
    return bitmap;
}

QImage Filled(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST(KitGraphics, ProportionalFitAndFillingKeepTheirEdgeCases) {
    EXPECT_EQ(ProportionalRect({0, 0, 100, 50}, {10, 10, 50, 50}), (Rect{10, 10, 50, 30}));
    EXPECT_EQ(ProportionalRect({0, 0, 30, 90}, {0, 0, 20, 20}), (Rect{0, 0, 6, 20}));
    Bitmap bitmap;
    bitmap.SetSize(3, 3);
    FillBitmap(&bitmap, {5, 5, 5, 9}, clWhite);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Pixel(0, 0), qRgb(0, 0, 0));
    FillBitmap(nullptr, {0, 0, 2, 2}, clWhite);
    FillBitmap(&bitmap, {1, 1, 3, 5}, 0x0000FF);
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Height(), 4);
    EXPECT_EQ(bitmap.Pixel(1, 3), qRgb(255, 0, 0));
}

TEST(KitGraphics, BmpImagesHaveTheirHeaderLayoutAndReadBack) {
    Bitmap mono;
    mono.SetPixelFormat(PixelFormat::pf1bit);
    mono.SetSize(3, 2);
    mono.Palette() = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    mono.SetIndex(2, 1, 1);
    const std::string image = BitmapToBMP(mono, 2);
    EXPECT_EQ(Get16(image, 0), 19778);
    EXPECT_EQ(Get32(image, 10), 62u);
    EXPECT_EQ(Get32(image, 34), 8u);
    EXPECT_EQ(Get32(image, 2), 70u);
    EXPECT_EQ(image.size(), 70u);
    EXPECT_THROW(BitmapToBMP(Bitmap(), 0), EInvalidGraphic);

    // A two-colour bitmap is written at 2 colours whatever count is asked, and the stream is rewound.
    MemoryStream stream;
    SaveBitmapBMP(stream, mono, 256);
    EXPECT_EQ(stream.Position(), 0);
    Bitmap back;
    back.LoadFromStream(stream);
    EXPECT_EQ(back.Format(), PixelFormat::pf1bit);
    EXPECT_EQ(back.Pixel(2, 1), qRgb(255, 255, 255));
    EXPECT_EQ(back.Pixel(2, 0), qRgb(0, 0, 0));

    MemoryStream sized;
    WriteBMP(sized, Stripes(5, 3, {qRgb(1, 2, 3)}), 0, true);
    EXPECT_EQ(Get32(std::string(sized.Bytes().begin(), sized.Bytes().begin() + 4), 0), sized.Size() - 4);
}

TEST(KitGraphics, BmpReaderRefusesLiesBeforeAllocating) {
    std::string image = BitmapToBMP(Stripes(4, 4, {qRgb(9, 9, 9)}), 0);
    std::string huge = image;
    Set32(huge, 18, 30000);
    Set32(huge, 22, 30000);
    MemoryStream hugeStream(std::vector<uint8_t>(huge.begin(), huge.end()));
    Bitmap bitmap;
    EXPECT_THROW(bitmap.LoadFromStream(hugeStream), EInvalidGraphic);
    for (size_t cut : {size_t(10), size_t(60), image.size() - 1}) {
        MemoryStream shortStream(std::vector<uint8_t>(image.begin(), image.begin() + long(cut)));
        EXPECT_THROW(bitmap.LoadFromStream(shortStream), EInvalidGraphic) << cut;
    }
    std::string packed = image;
    Set32(packed, 30, 1); // run-length packed
    MemoryStream packedStream(std::vector<uint8_t>(packed.begin(), packed.end()));
    EXPECT_THROW(bitmap.LoadFromStream(packedStream), EInvalidGraphic);
    EXPECT_TRUE(bitmap.Empty());
}

// The peer reads what we write at every depth and sees the same pixels.
TEST(KitGraphics, ImageMagickReadsOurBmpAtEveryDepth) {
    if (!PeerAvailable("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    TempDir dir;
    struct Case {
        int colorCount;
        int bits;
        std::vector<QRgb> colours;
    };
    const std::vector<Case> cases = {
        {2, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)}},
        {16, 4, {qRgb(128, 0, 0), qRgb(0, 255, 255), qRgb(192, 192, 192), qRgb(0, 0, 128)}},
        {256, 8, {qRgb(51, 102, 153), qRgb(255, 204, 0), qRgb(0, 0, 0), qRgb(10, 10, 10)}},
        {24, 24, {qRgb(1, 2, 3), qRgb(250, 128, 7), qRgb(77, 0, 200)}},
    };
    for (const Case& c : cases) {
        const Bitmap source = Stripes(13, 5, c.colours);
        const std::string image = BitmapToBMP(source, c.colorCount);
        EXPECT_EQ(Get16(image, 28), c.bits);
        const auto path = dir / QStringLiteral("d%1.bmp").arg(c.bits).toStdString();
        WriteFileBytes(path, image);
        int status = 0;
        const std::string rgb =
            RunProgram("convert", {QString::fromStdString(path.string()), "-depth", "8", "rgb:-"}, &status);
        ASSERT_EQ(status, 0) << c.bits;
        ASSERT_EQ(rgb.size(), size_t(13 * 5 * 3)) << c.bits;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) {
                const size_t at = size_t(y * 13 + x) * 3;
                EXPECT_EQ(qRgb(Get8(rgb, at), Get8(rgb, at + 1), Get8(rgb, at + 2)),
                          source.Pixel(x, y) | 0xFF000000u)
                    << c.bits << " bits at " << x << "," << y;
            }
    }
}

TEST(KitGraphics, ReducingToAPaletteTakesTheNearestColour) {
    const Bitmap reduced = [] {
        MemoryStream stream;
        WriteBMP(stream, Stripes(2, 1, {qRgb(250, 5, 5), qRgb(120, 120, 130)}), 16, false);
        stream.SetPosition(0);
        Bitmap bitmap;
        bitmap.LoadFromStream(stream);
        return bitmap;
    }();
    EXPECT_EQ(reduced.Format(), PixelFormat::pf4bit);
    EXPECT_EQ(reduced.Pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(reduced.Pixel(1, 0), qRgb(128, 128, 128));
}

TEST(KitGraphics, TransparentAndMaskedDrawingLeaveTheTargetWhereClear) {
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 128, 0);
    Bitmap sprite = Stripes(2, 2, {red, blue});
    sprite.SetTransparentColor(red);

    Bitmap mask, image;
    MakeTransparentMask(sprite, {0, 0, 2, 2}, mask, 0x0000FF, image);
    EXPECT_EQ(mask.Format(), PixelFormat::pf1bit);
    EXPECT_EQ(mask.Index(0, 0), 1);
    EXPECT_EQ(mask.Index(1, 0), 0);
    EXPECT_EQ(image.Pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.Pixel(1, 0), blue);

    // By colour the sprite is masked on the fly; a given mask goes with the image blacked out under it.
    for (unsigned flags : {unsigned(kdTransparent), unsigned(kdMasked)}) {
        QImage target = Filled(4, 4, green);
        Canvas canvas(target);
        canvas.TextColor = 0x123456;
        DrawBitmap(canvas, {1, 1, 4, 4}, flags == kdMasked ? image : sprite, &mask, {}, flags);
        EXPECT_EQ(target.pixel(1, 1), green) << flags; // red is see-through
        EXPECT_EQ(target.pixel(2, 1), blue) << flags;
        EXPECT_EQ(target.pixel(3, 3), green) << flags; // beyond the natural size
        EXPECT_EQ(canvas.TextColor, 0x123456) << "colours restored";
        EXPECT_EQ(canvas.Mode, CopyMode::cmSrcCopy);
    }
    QImage plain = Filled(4, 4, green);
    Canvas canvas(plain);
    DrawBitmap(canvas, {0, 0, 4, 4}, sprite, nullptr, {}, 0);
    EXPECT_EQ(plain.pixel(0, 0), red);
}

TEST(KitGraphics, PlacementsTileStretchFitAndClip) {
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), white = qRgb(255, 255, 255);
    const Bitmap sprite = Stripes(2, 1, {red, blue});
    QImage target = Filled(7, 3, white);
    Canvas canvas(target);
    Rect drawn;
    DrawBitmapRect(canvas, {0, 0, 5, 2}, sprite, drawn, nullptr, kdTile);
    EXPECT_EQ(drawn, (Rect{0, 0, 5, 2}));
    EXPECT_EQ(target.pixel(4, 0), red);
    EXPECT_EQ(target.pixel(5, 2), blue); // tiles spill over unclipped
    target.fill(white);
    DrawBitmap(canvas, {0, 0, 5, 2}, sprite, nullptr, {}, kdTile | kdClip);
    EXPECT_EQ(target.pixel(4, 1), red);
    EXPECT_EQ(target.pixel(5, 0), white);
    target.fill(white);
    DrawBitmap(canvas, {0, 0, 4, 1}, sprite, nullptr, {1, 0}, kdTile | kdClip);
    EXPECT_EQ(target.pixel(0, 0), white); // the clip moved one to the right
    EXPECT_EQ(target.pixel(4, 0), red);

    target.fill(white);
    DrawBitmapRect(canvas, {1, 0, 7, 3}, sprite, drawn, nullptr, kdStretch | kdProportional);
    EXPECT_EQ(drawn, (Rect{1, 0, 7, 3}));
    DrawBitmapRect(canvas, {0, 0, 7, 2}, sprite, drawn, nullptr, kdStretch | kdProportional);
    EXPECT_EQ(drawn, (Rect{0, 0, 4, 2}));
    EXPECT_EQ(target.pixel(3, 1), blue);
    DrawBitmapRect(canvas, {0, 0, 7, 2}, Bitmap(), drawn, nullptr, 0);
    EXPECT_TRUE(drawn.IsEmpty());
}
