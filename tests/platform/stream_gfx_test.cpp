#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/stream.h"
#include "support/test_support.h"

TEST(Stream, MemoryStreamReadsShortAtTheEndAndRefusesExactReadsPastIt) {
    MemoryStream stream;
    stream.WriteBuffer("abcdef", 6);
    EXPECT_EQ(stream.Size(), 6);
    stream.SetPosition(4);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 2u);
    EXPECT_EQ(std::string(buffer, 2), "ef");
    stream.SetPosition(5);
    EXPECT_THROW(stream.ReadBuffer(buffer, 2), EStreamError);
    EXPECT_THROW(stream.Seek(-1, Stream::soFromBeginning), EStreamError);
    // Writing past the end grows the stream with zeros between.
    stream.SetPosition(8);
    stream.WriteBuffer("z", 1);
    EXPECT_EQ(stream.Size(), 9);
    EXPECT_EQ(stream.Bytes()[6], 0);
}

TEST(Stream, FileStreamWritesAndReportsMissingFiles) {
    TempDir dir;
    {
        FileStream out(dir / "a.bin", FileStream::fmCreate);
        const std::vector<uint8_t> bytes(200000, 7);
        out.WriteBuffer(bytes.data(), bytes.size());
        EXPECT_EQ(out.Size(), 200000);
    }
    FileStream in(dir / "a.bin", FileStream::fmOpenRead);
    EXPECT_EQ(in.Size(), 200000);
    EXPECT_THROW(FileStream(dir / "missing", FileStream::fmOpenRead), EStreamError);
}

TEST(Bitmap, RowsArePaddedAndPaletteIndicesOutOfRangeShowBlack) {
    Bitmap bitmap;
    bitmap.SetPixelFormat(PixelFormat::pf4bit);
    bitmap.SetSize(9, 2);
    EXPECT_EQ(bitmap.Stride(), 8);
    bitmap.Palette() = {qRgb(255, 0, 0), qRgb(0, 255, 0)};
    bitmap.ScanLine(1)[0] = 0x1F; // pixel 0 = 1, pixel 1 = 15 (beyond the palette)
    EXPECT_EQ(bitmap.Pixel(0, 1), qRgb(0, 255, 0));
    EXPECT_EQ(bitmap.Pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(bitmap.ToImage().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_THROW(bitmap.SetSize(40000, 1), EInvalidGraphic);
    EXPECT_THROW(bitmap.SetSize(10000, 10000), EInvalidGraphic);
}

TEST(Bitmap, ShownPixelsOf24BitRowsAreTheirColoursOpaque) {
    // Widths around the four pixels converted at a time, and the six the row must still hold for them.
    for (int width = 1; width <= 14; ++width) {
        Bitmap bitmap;
        bitmap.SetSize(width, 2);
        for (int y = 0; y < 2; ++y)
            for (int i = 0; i < 3 * width; ++i)
                bitmap.ScanLine(y)[i] = static_cast<uint8_t>(37 * (y * 3 * width + i) + 11);
        const QImage shown = bitmap.ToImage();
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < width; ++x)
                EXPECT_EQ(shown.pixel(x, y), bitmap.Pixel(x, y)) << width << ": " << x << "," << y;
    }
}

TEST(Bitmap, TransparentColourBecomesAlphaZeroOnly) {
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 2, 3));
    image.setPixel(1, 0, qRgb(1, 2, 4));
    Bitmap bitmap;
    bitmap.Assign(image, PixelFormat::pf24bit);
    bitmap.SetTransparentColor(qRgb(1, 2, 3));
    QImage shown = bitmap.ToImage();
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(shown.pixel(1, 0), qRgb(1, 2, 4));
}

TEST(Bitmap, AssigningAnOversizedPictureLeavesTheBitmapAsItWas) {
    Bitmap bitmap;
    bitmap.SetSize(10, 10);
    QImage wide(40000, 1, QImage::Format_RGB32);
    EXPECT_THROW(bitmap.Assign(wide, PixelFormat::pf32bit), EInvalidGraphic);
    EXPECT_EQ(bitmap.Format(), PixelFormat::pf24bit);
    EXPECT_EQ(bitmap.Width(), 10);
    EXPECT_EQ(bitmap.Stride(), 32);
}

TEST(PictureRegistry, ChoosesByExtensionInAnyCase) {
    PictureRegistry::Register("TST", "Test pictures", [] { return std::make_unique<Bitmap>(); });
    EXPECT_NO_THROW(PictureRegistry::Create("part.tst"));
    EXPECT_NE(PictureRegistry::Create("a/b/part.Tst"), nullptr);
    EXPECT_THROW(PictureRegistry::Create("part.xyz"), EInvalidGraphic);
    EXPECT_TRUE(PictureRegistry::Filters().contains("Test pictures (*.tst)"));
}
