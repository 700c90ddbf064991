#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QPalette>

#include "formats/jpeg/jpeg_image.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/sys_colors.h"
#include "platform/stream.h"
#include "support/test_support.h"
#include "ui/bitmap/bitmap32.h"

namespace {

// A picture with holes, drawn like a GIF with a transparent colour.
class HoleyPicture : public Graphic {
  public:
    int Width() const override { return 4; }
    int Height() const override { return 4; }
    void LoadFromStream(Stream&) override {}
    QImage ToImage() const override {
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        image.setPixel(1, 1, 0xFF00FF00);
        return image;
    }
};

} // namespace

TEST(Bitmap32, ColoursFromTheWindowSystemSwapRedAndBlue) {
    EXPECT_EQ(ColorToColor32(0x0000FF), 0xFFFF0000u);
    EXPECT_EQ(ColorToColor32(0x123456), 0xFF563412u);
    const QColor face = QGuiApplication::palette().color(QPalette::Button);
    EXPECT_EQ(ColorToColor32(clBtnFace), 0xFF000000u | face.rgb());
}

TEST(Bitmap32, SizingAndFillingNotifyOnlyOnRealChanges) {
    Bitmap32 b;
    int changes = 0, resizes = 0;
    b.OnChange = [&] { ++changes; };
    b.OnResize = [&] { ++resizes; };
    b.FillAll(0x12345678);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(b.SetSize(-3, 10));
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 10);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Bits(), nullptr);
    EXPECT_TRUE(b.SetSize(3, 2));
    EXPECT_EQ(b.Bits()[5], 0u);
    b.FillAll(0x00FFFFFF);
    EXPECT_FALSE(b.SetSize(3, 2));
    EXPECT_EQ(b.Bits()[5], 0x00FFFFFFu);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(resizes, 2);
    b.AssignFrom(static_cast<const Bitmap32*>(nullptr));
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(changes, 4);
    EXPECT_THROW(b.EndUpdate(), std::logic_error);
    // Over the picture limits: an error and an empty bitmap, nothing allocated.
    EXPECT_THROW(b.SetSize(40000, 2), EInvalidGraphic);
    EXPECT_EQ(b.Width(), 0);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap32, ClippedFillsStayInsideAndTheLockCounts) {
    Bitmap32 b;
    b.SetSize(4, 3);
    b.FillRectClipped(-2, 1, 2, 9, 0xFF);
    EXPECT_EQ(*b.PixelAddress(1, 2), 0xFFu);
    EXPECT_EQ(*b.PixelAddress(2, 2), 0u);
    EXPECT_EQ(*b.PixelAddress(0, 0), 0u);
    b.SetAllAlpha(0x80);
    EXPECT_EQ(*b.PixelAddress(1, 1), 0x800000FFu);
    b.Lock();
    b.Lock();
    EXPECT_EQ(b.LockCount(), 2);
    b.Unlock();
    b.Unlock();
    EXPECT_EQ(b.LockCount(), 0);
}

TEST(Bitmap32, PicturesKeepTheirTransparencyAndBlendOnlyWhenTheyHaveSome) {
    Bitmap source;
    source.SetPixelFormat(PixelFormat::pf24bit);
    source.SetSize(2, 1);
    source.ScanLine(0)[0] = 0xFF; // blue, the transparent colour
    source.ScanLine(0)[5] = 0x80; // red
    source.SetTransparentColor(qRgb(0, 0, 255));
    Bitmap32 b;
    b.AssignFrom(source);
    EXPECT_EQ(*b.PixelAddress(0, 0), 0x000000FFu);
    EXPECT_EQ(*b.PixelAddress(1, 0), 0xFF800000u);
    EXPECT_EQ(b.GetDrawMode(), DrawMode::dmBlend);
    source.SetTransparent(false);
    b.AssignFrom(source);
    EXPECT_EQ(*b.PixelAddress(0, 0), 0xFF0000FFu);
    EXPECT_EQ(b.GetDrawMode(), DrawMode::dmOpaque);

    // Drawing a holey picture into a reused bitmap of the same size must not show the old picture.
    b.SetSize(4, 4);
    b.FillAll(0xFFFF0000);
    int changes = 0;
    b.OnChange = [&] { ++changes; };
    b.AssignFrom(HoleyPicture());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(*b.PixelAddress(1, 1), 0xFF00FF00u);
    EXPECT_EQ(*b.PixelAddress(0, 0), 0x00000000u);
    EXPECT_EQ(b.GetDrawMode(), DrawMode::dmBlend);
    EXPECT_EQ(b.AsImage().pixel(1, 1), 0xFF00FF00u);

    Bitmap back;
    b.AssignTo(back);
    EXPECT_EQ(back.Format(), PixelFormat::pf32bit);
    EXPECT_EQ(back.Pixel(1, 1), 0xFF00FF00u);

    // Indexed pictures go through their palette, an index beyond it is black.
    Bitmap indexed;
    indexed.SetPixelFormat(PixelFormat::pf4bit);
    indexed.SetSize(3, 1);
    indexed.Palette() = {qRgb(1, 2, 3), qRgb(4, 5, 6)};
    indexed.ScanLine(0)[0] = 0x10;
    indexed.ScanLine(0)[1] = 0x70;
    b.AssignFrom(indexed);
    EXPECT_EQ(*b.PixelAddress(0, 0), 0xFF040506u);
    EXPECT_EQ(*b.PixelAddress(1, 0), 0xFF010203u);
    EXPECT_EQ(*b.PixelAddress(2, 0), 0xFF000000u);
}

TEST(Bitmap32, LoadingAnUnknownOrBrokenPictureLeavesTheBitmap) {
    RegisterJpegPicture();
    TempDir dir;
    WriteFileBytes(dir / "a.xyz", "nothing");
    WriteFileBytes(dir / "a.jpg", "not a jpeg at all");
    Bitmap32 b;
    b.SetSize(2, 2);
    b.FillAll(0xFF112233);
    EXPECT_THROW(b.LoadFromFileName(dir / "a.xyz"), EInvalidGraphic);
    EXPECT_THROW(b.LoadFromFileName(dir / "a.jpg"), EInvalidGraphic);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(*b.PixelAddress(1, 1), 0xFF112233u);
    QImage picture(5, 3, QImage::Format_RGB32);
    picture.fill(qRgb(200, 100, 50));
    ASSERT_TRUE(picture.save(QString::fromStdString((dir / "p.JPG").string()), "JPG", 100));
    b.LoadFromFileName(dir / "p.JPG");
    ASSERT_EQ(b.Width(), 5);
    const Color32 c = *b.PixelAddress(4, 2);
    EXPECT_EQ(AlphaOf(c), 255u);
    EXPECT_NEAR(int(c >> 16 & 0xFF), 200, 3);
}

TEST(Bitmap32, DataStreamsRoundTripAndShortOrHugeOnesAreRefused) {
    Bitmap32 b;
    b.SetSize(3, 2);
    for (int i = 0; i < 6; ++i)
        b.Bits()[i] = 0x01020304u * static_cast<uint32_t>(i);
    MemoryStream stream;
    b.WriteData(stream);
    EXPECT_EQ(stream.Size(), 8 + 24);
    Bitmap32 copy;
    stream.SetPosition(0);
    copy.ReadData(stream);
    EXPECT_TRUE(std::equal(b.Bits(), b.Bits() + 6, copy.Bits()));

    auto read = [&](std::vector<uint8_t> bytes) {
        MemoryStream s(std::move(bytes));
        copy.ReadData(s);
    };
    std::vector<uint8_t> shortData = stream.Bytes();
    shortData.pop_back();
    EXPECT_THROW(read(shortData), EStreamError);
    EXPECT_THROW(read({0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0}), EStreamError); // 65535 x 65535
    EXPECT_THROW(read({0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0}), EStreamError); // negative width
    // A product that overflows 64 bits must be refused, not wrapped into a small allocation.
    EXPECT_THROW(read({0x49, 0x7E, 0x7E, 0x7E, 0x7E, 0x49, 0x69, 0x49}), EStreamError);
    EXPECT_EQ(copy.Width(), 3);
    read({0, 0, 0, 0, 5, 0, 0, 0});
    EXPECT_EQ(copy.Height(), 5);
    EXPECT_TRUE(copy.Empty());
}

TEST(Bitmap32, ItsCanvasDrawsOnThePixelsInItsFontAndGoesWithTheSize) {
    Bitmap32 b;
    b.SetSize(40, 20);
    b.FillAll(0xFFFFFFFF);
    int changes = 0;
    b.OnChange = [&] { ++changes; };
    Canvas& canvas = b.GetCanvas();
    canvas.Brush.Color = 0x0000FF; // red in window-system order
    canvas.FillRect({2, 3, 5, 6});
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(*b.PixelAddress(4, 5) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(*b.PixelAddress(5, 5) & 0xFFFFFF, 0xFFFFFFu) << "right and bottom are exclusive";

    b.Font.Face.setPixelSize(14);
    b.Font.Color = 0xFF0000; // blue
    Canvas& writing = b.GetCanvas();
    writing.Brush.Style = BrushStyle::bsClear;
    writing.TextOut(1, 1, "W");
    bool blue = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            blue = blue || (*b.PixelAddress(x, y) & 0xFFFFFF) == 0x0000FFu;
    EXPECT_TRUE(blue);

    b.SetSize(10, 10); // the old canvas's pixels are gone; a new canvas, white brush, draws on the new ones
    EXPECT_EQ(*b.PixelAddress(9, 9), 0u);
    b.GetCanvas().FillRect({0, 0, 10, 10});
    EXPECT_EQ(*b.PixelAddress(9, 9) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Bitmap32, CopiesIntoCanvasesPictureContainersAndTheClipboard) {
    Bitmap32 b;
    b.SetSize(3, 2);
    b.FillAll(0x00123456); // alpha 0: copies are opaque
    QImage target(6, 4, QImage::Format_RGB32);
    target.fill(Qt::black);
    Canvas canvas(target);
    b.DrawInto(canvas, 2, 1);
    EXPECT_EQ(target.pixel(4, 2), 0xFF123456u);
    EXPECT_EQ(target.pixel(1, 1), 0xFF000000u);
    EXPECT_EQ(target.pixel(5, 3), 0xFF000000u);

    Picture picture;
    b.AssignTo(picture);
    ASSERT_NE(picture.GetGraphic(), nullptr);
    EXPECT_EQ(picture.GetBitmap().Format(), PixelFormat::pf32bit);
    EXPECT_EQ(picture.GetBitmap().Width(), 3);
    Bitmap32 back;
    back.AssignFrom(picture);
    EXPECT_EQ(*back.PixelAddress(2, 1), 0x00123456u);
    back.AssignFrom(Picture());
    EXPECT_TRUE(back.Empty());

    b.AssignToClipboard();
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(3, 2));
    EXPECT_EQ(copied.pixel(1, 1) & 0xFFFFFF, 0x123456u);
}
