#include <gtest/gtest.h>

#include "ldraw/uni_dib.h"

namespace {

TEST(UniDIBTest, SizesAndDepths) {
    UniDIB big(800, 800, 24);
    EXPECT_EQ(big.RowLength(), 2400);
    EXPECT_EQ(big.ImageSize(), 1920000u);
    EXPECT_FALSE(big.Palettised());
    EXPECT_EQ(UniDIB(10, 1, 24).RowLength(), 32);
    EXPECT_EQ(UniDIB(4, 4, 12).BitCount(), 16);
    EXPECT_EQ(UniDIB(4, 4, 33).BitCount(), 32);
    UniDIB tiny(0, -3, 4);
    EXPECT_EQ(tiny.Width(), 1);
    EXPECT_EQ(tiny.Height(), 1);
    EXPECT_EQ(tiny.ColourCount(), 16);
}

TEST(UniDIBTest, BitLayouts) {
    UniDIB mono(16, 2, 1);
    mono.PutPixel(0, 1, 1);
    mono.PutPixel(8, 1, 5);
    EXPECT_EQ(mono.Row(1)[0], 0x80);
    EXPECT_EQ(mono.Row(1)[1], 0x80);
    mono.PutPixel(0, 1, 0);
    EXPECT_EQ(mono.Row(1)[0], 0);

    UniDIB nibbles(3, 1, 4);
    nibbles.PutPixel(0, 0, 0xA);
    nibbles.PutPixel(1, 0, 0x5);
    EXPECT_EQ(nibbles.Row(0)[0], 0xA5);

    UniDIB rgb(3, 2, 24);
    rgb.PutPixel(2, 1, 0x123456);
    const uint8_t* p = rgb.Row(1) + 6;
    EXPECT_EQ(p[0], 0x56);
    EXPECT_EQ(p[2], 0x12);
    EXPECT_EQ(rgb.GetPixel(2, 1), 0x123456u);
    rgb.PutPixel(3, 0, 0xFFFFFF); // outside: ignored, padding untouched
    EXPECT_EQ(rgb.Row(0)[9], 0);
}

TEST(UniDIBTest, EveryGetterReturnsWhatItsPutterStored) {
    struct Depth {
        int bits, packing;
        uint32_t mask; // value bits the layout keeps (1 bit: any non-zero value sets it)
    };
    for (Depth d : {Depth{1, 0, 0x1}, Depth{4, 0, 0xF}, Depth{8, 0, 0xFF}, Depth{16, 0, 0x1F1F1F},
                    Depth{16, 1, 0x3F1F1F}, Depth{16, 2, 0x1F3F1F}, Depth{16, 3, 0x1F1F3F},
                    Depth{24, 0, 0xFFFFFF}, Depth{32, 0, 0xFFFFFFFF}}) {
        UniDIB dib(7, 3, d.bits, d.packing);
        uint32_t seed = 0x9E3779B9;
        dib.MoveTo(0, 2);
        for (int x = 0; x < 7; ++x)
            dib.PutNext(seed * static_cast<uint32_t>(x + 1));
        dib.MoveTo(0, 2);
        for (int x = 0; x < 7; ++x) {
            uint32_t value = seed * static_cast<uint32_t>(x + 1),
                     expected = d.bits == 1 ? value != 0 : value & d.mask;
            EXPECT_EQ(dib.GetPixel(x, 2), expected) << d.bits << "/" << d.packing << " x=" << x;
            EXPECT_EQ(dib.GetNext(), expected);
        }
        // Neighbouring rows stay clear.
        EXPECT_EQ(dib.GetPixel(3, 1), 0u);
    }
}

TEST(UniDIBTest, DrawTurnsRowsOverAndHonoursStride) {
    UniDIB dib(5, 2, 24);         // 15 bytes used of a 16-byte row
    dib.PutPixel(4, 0, 0xFF0000); // bottom row in memory
    dib.PutPixel(0, 1, 0x0000FF);
    QImage canvas(5, 2, QImage::Format_RGB32);
    canvas.fill(Qt::gray);
    dib.Draw(canvas);
    EXPECT_EQ(canvas.pixel(4, 1), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(0, 0, 0));

    // The direct copy into a 32-bit canvas and the painter used for other canvases clip alike.
    UniDIB tall(3, 4, 24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x)
            tall.PutPixel(x, y, 0x102030u * static_cast<uint32_t>(1 + x + 3 * y));
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
        QImage clipped(2, 2, format);
        tall.Draw(clipped);
        EXPECT_EQ(clipped.pixel(0, 0), 0xFF000000 | 0x102030u * 10) << format; // top row is memory row 3
        EXPECT_EQ(clipped.pixel(1, 1), 0xFF000000 | 0x102030u * 8) << format;
        QImage wide(4, 5, format);
        wide.fill(Qt::gray);
        tall.Draw(wide);
        EXPECT_EQ(wide.pixel(2, 3), 0xFF000000 | 0x102030u * 3) << format;
        EXPECT_EQ(wide.pixel(3, 0), QColor(Qt::gray).rgb()) << format;
        EXPECT_EQ(wide.pixel(0, 4), QColor(Qt::gray).rgb()) << format;
    }

    UniDIB word(2, 1, 16, 0);
    word.PutPixel(1, 0, 0x1F001F);
    word.Draw(canvas);
    EXPECT_EQ(canvas.pixel(1, 0), qRgb(255, 0, 255));

    UniDIB indexed(2, 1, 8);
    indexed.ColourTable()[3] = 0x00FF00;
    indexed.PutPixel(0, 0, 3);
    indexed.Draw(canvas);
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 255, 0));
}

} // namespace
