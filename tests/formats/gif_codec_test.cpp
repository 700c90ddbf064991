// The GIF codec on crafted files: the block structure, damaged and truncated data, limits and drawing.
#include <gtest/gtest.h>

#include <QPainter>

#include "formats/gif/gif_error.h"
#include "formats/gif/gif_image.h"
#include "formats/gif/gif_lzw.h"
#include "gif_test_support.h"
#include "platform/gfx/bitmap.h"

using namespace gif_test;

namespace {

const std::vector<uint32_t> kFour = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

// A 2 x 2 picture of indexes 0, 1, 2, 3 in a four-colour global table.
std::string TwoByTwo(const std::string& betweenFrames = "", const std::string& version = "89a") {
    return Header(2, 2, kFour, version) + Descriptor(0, 0, 2, 2) + RootCodes({0, 1, 2, 3}) + betweenFrames;
}

// Records the warnings an image gives.
struct Warnings {
    std::vector<QString> texts;
    void Watch(GIFImage& image) {
        image.OnWarning = [this](const GIFItem*, int, const QString& text) { texts.push_back(text); };
    }
};

} // namespace

TEST(GifLoad, SignatureInAnyCaseAtTheStartOrFourBytesOn) {
    GIFImage image;
    EXPECT_EQ(Load(image, "gif" + TwoByTwo().substr(3) + ";"), "");
    EXPECT_EQ(Load(image, "abcd" + TwoByTwo() + ";"), "");
    EXPECT_EQ(image.Frame(0).Data(), (std::vector<uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(Load(image, "abcde" + TwoByTwo() + ";"), "Invalid GIF signature");
}

TEST(GifLoad, BlockStructureBetweenFrames) {
    GIFImage image;
    Warnings warnings;
    warnings.Watch(image);
    // Zero bytes between blocks are skipped and a missing trailer is no failure.
    ASSERT_EQ(Load(image, TwoByTwo(std::string(3, '\0') + Descriptor(0, 0, 1, 1) + RootCodes({3}))), "");
    EXPECT_EQ(image.FrameCount(), 2);
    EXPECT_TRUE(warnings.texts.empty());
    // An unknown byte where a block should start ends the frames read so far.
    ASSERT_EQ(Load(image, TwoByTwo("X" + Descriptor(0, 0, 1, 1) + RootCodes({3}) + ";")), "");
    EXPECT_EQ(image.FrameCount(), 1);
    EXPECT_EQ(warnings.texts.front(), "Unknown GIF block type");
    // After extensions only an image separator starts an image; another byte leaves a frame without one.
    warnings.texts.clear();
    ASSERT_EQ(Load(image, Header(2, 2, kFour) + "!\xFE" + SubBlocksOf("c") + "X" + Descriptor(0, 0, 2, 2)),
              "");
    ASSERT_EQ(image.FrameCount(), 1);
    EXPECT_TRUE(image.Frame(0).Empty());
    EXPECT_EQ(warnings.texts, (std::vector<QString>{"Invalid extension introducer", "Unknown GIF block type",
                                                    "Invalid Image trailer"}));
    // A header and no frames: an empty picture that draws nothing and cannot be saved.
    ASSERT_EQ(Load(image, Header(2, 2, kFour) + ";"), "");
    EXPECT_EQ(image.FrameCount(), 0);
    GIFCanvas canvas(QImage(2, 2, QImage::Format_ARGB32));
    canvas.Image().fill(0xFF123456);
    image.Draw(canvas, {0, 0, 2, 2});
    EXPECT_EQ(canvas.Image().pixel(0, 0), 0xFF123456u);
    EXPECT_THROW(Save(image), GIFException);
    EXPECT_TRUE(image.ToImage().isNull());
}

TEST(GifLoad, TruncatedOrEndingEarlyIsAnErrorAndTheStreamGoesBack) {
    const std::string whole = TwoByTwo(";");
    const std::vector<std::pair<size_t, std::string>> cuts = {{5, "header"},
                                                              {10, "screen descriptor"},
                                                              {20, "global table"},
                                                              {28, "image descriptor"},
                                                              {whole.size() - 5, "image data"},
                                                              {whole.size() - 2, "block terminator"}};
    for (const auto& [length, where] : cuts) {
        SCOPED_TRACE(where);
        MemoryStream stream = StreamOf("xyz" + whole.substr(0, length));
        stream.SetPosition(3);
        GIFImage image;
        EXPECT_THROW(image.LoadFromStream(stream), GIFException);
        EXPECT_EQ(stream.Position(), 3);
    }
    GIFImage image;
    // The end code, or the end of the data, before the last pixel.
    EXPECT_EQ(Load(image, Header(2, 2, kFour) + Descriptor(0, 0, 2, 2) + RootCodes({0, 1, 2}) + ";"),
              "Premature end of data");
    EXPECT_EQ(
        Load(image, Header(3, 2, kFour) + Descriptor(0, 0, 3, 2) + RootCodes({0, 1, 2}, 2, false) + ";"),
        "Premature end of data");
    // An extension cut short.
    EXPECT_EQ(Load(image, Header(2, 2, kFour) + "!\xF9\x04\x01"), "Premature end of data");
    EXPECT_EQ(Load(image, Header(2, 2, kFour) + "!\xFE\x05" + "abc"), "Premature end of data");
}

TEST(GifLzw, DecoderReadsWhatEncodersWriteAndRefusesDamage) {
    GIFImage image;
    const std::string head = Header(2, 2, kFour) + Descriptor(0, 0, 2, 2);
    // No opening clear, several clears in a row, and codes that straddle one-byte sub-blocks.
    const std::string noClear = "\x02" + SubBlocksOf(PackCodes({{1, 3}, {2, 3}, {3, 3}, {0, 4}, {5, 4}}));
    ASSERT_EQ(Load(image, head + noClear + ";"), "");
    EXPECT_EQ(image.Frame(0).Data(), (std::vector<uint8_t>{1, 2, 3, 0}));
    const std::string clears =
        "\x02" + SubBlocksOf(PackCodes({{4, 3}, {4, 3}, {4, 3}, {2, 3}, {2, 3}, {6, 3}, {5, 4}}), 1);
    ASSERT_EQ(Load(image, head + clears + ";"), "");
    // 2, 2, then code 6 = "22" defined by that very code: the string is cut at the last pixel.
    EXPECT_EQ(image.Frame(0).Data(), (std::vector<uint8_t>{2, 2, 2, 2}));
    // Codes after the last pixel are skipped up to the terminator; the next frame reads normally.
    const std::string extra =
        "\x02" +
        SubBlocksOf(PackCodes({{4, 3}, {1, 3}, {1, 3}, {1, 3}, {1, 4}, {3, 4}, {7, 4}, {1, 4}, {5, 4}}));
    ASSERT_EQ(Load(image, head + extra + Descriptor(0, 0, 1, 1) + RootCodes({3}) + ";"), "");
    EXPECT_EQ(image.FrameCount(), 2);
    EXPECT_EQ(image.Frame(1).Data(), (std::vector<uint8_t>{3}));
    // A code the table cannot hold yet, and code sizes outside 1..11.
    const std::string ahead = "\x02" + SubBlocksOf(PackCodes({{4, 3}, {1, 3}, {7, 3}, {5, 3}}));
    EXPECT_EQ(Load(image, head + ahead + ";"), "Invalid GIF data: damaged image data");
    for (int size : {0, 12}) {
        std::string wrong = RootCodes({0, 1, 2, 3});
        wrong[0] = char(size);
        EXPECT_EQ(Load(image, head + wrong + ";"), "Invalid GIF data");
    }
}

TEST(GifLzw, OutputGrowsWithTheDataForPicturesThatCompressWell) {
    // 300000 pixels in a few kilobytes: the decoder starts small and grows as the strings arrive.
    for (bool interlaced : {false, true}) {
        GIFImage image;
        ASSERT_EQ(Load(image, TwoByTwo(";")), "");
        image.Frame(0).SetBounds(0, 0, 1000, 300);
        image.Frame(0).SetInterlaced(interlaced);
        for (int y = 0; y < 300; ++y)
            image.Frame(0).ScanLine(y)[y] = 3;
        const std::string bytes = Save(image);
        EXPECT_LT(bytes.size(), 20000u);
        GIFImage back;
        ASSERT_EQ(Load(back, bytes), "");
        EXPECT_EQ(back.Frame(0).Data(), image.Frame(0).Data());
    }
}

TEST(GifLzw, EncodersRefusePixelsPastTheTable) {
    GIFImage image;
    ASSERT_EQ(Load(image, TwoByTwo(";")), "");
    image.Frame(0).ColorMap().LoadFromPalette({qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)});
    for (int encoding : {0, 1}) {
        image.SetEncoding(encoding);
        EXPECT_THROW(
            {
                try {
                    Save(image);
                } catch (const GIFException& e) {
                    EXPECT_STREQ(e.what(), "Color not in color table");
                    throw;
                }
            },
            GIFException);
    }
}

TEST(GifLoad, ExtensionsAreKeptAndWrittenBack) {
    const std::string control = std::string("!\xF9\x05\x09\x0A\x00\x02\x00", 8); // block size 5 is read as 4
    const std::string comment = "!\xFE" + SubBlocksOf("one").substr(0, 4) + SubBlocksOf("two").substr(0, 4) +
                                SubBlocksOf("three");              // three sub-blocks
    const std::string unknownLabel = "!\x02" + SubBlocksOf("raw"); // kept raw
    const std::string shortApp = "!\xFF\x0A"
                                 "ABCDEFGHIJ" +
                                 SubBlocksOf("data"); // block size 10
    const std::string longApp = "!\xFF\x0C"
                                "ABCDEFGHIJKL" +
                                SubBlocksOf("more"); // block size 12
    const std::string loop = std::string("!\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    const std::string text = "!\x01\x0C" + Word(1) + Word(2) + Word(64) + Word(16) +
                             std::string("\x08\x10\x01\x00", 4) + SubBlocksOf("PLAINTXT");
    GIFImage image;
    ASSERT_EQ(Load(image, Header(2, 2, kFour) + control + comment + unknownLabel + shortApp + longApp + loop +
                              text + Descriptor(0, 0, 2, 2) + RootCodes({0, 1, 2, 3}) + ";"),
              "");
    const GIFSubImage& frame = image.Frame(0);
    ASSERT_EQ(frame.Extensions().size(), 7u);
    EXPECT_EQ(frame.GraphicControlExtension()->Delay(), 10);
    EXPECT_EQ(frame.TransparentIndex(), 2);
    EXPECT_EQ(frame.GraphicControlExtension()->Disposal(), 2);
    EXPECT_EQ(dynamic_cast<const GIFCommentExtension&>(*frame.Extensions()[1]).Text,
              (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(frame.Extensions()[2]->ExtensionType(), 0x02);
    EXPECT_NE(dynamic_cast<const GIFUnknownAppExtension*>(frame.Extensions()[3].get()), nullptr);
    EXPECT_EQ(dynamic_cast<const GIFUnknownAppExtension&>(*frame.Extensions()[4]).Blocks,
              (std::vector<std::string>{"more"}));
    EXPECT_EQ(dynamic_cast<const GIFAppExtNSLoop&>(*frame.Extensions()[5]).Loops, 0);
    EXPECT_EQ(dynamic_cast<const GIFTextExtension&>(*frame.Extensions()[6]).Grid,
              (std::array<int, 8>{1, 2, 64, 16, 8, 16, 1, 0}));

    const std::string saved = Save(image);
    EXPECT_EQ(saved.substr(0, 6), "GIF89a");
    for (const std::string& kept : {control, comment, unknownLabel, loop, text})
        EXPECT_NE(saved.find(kept), std::string::npos);
    // Application blocks are written with the block size 11.
    EXPECT_NE(saved.find("!\xFF\x0B"
                         "ABCDEFGHIJ" +
                         std::string(1, '\0') + SubBlocksOf("data")),
              std::string::npos);
    EXPECT_NE(saved.find("!\xFF\x0B"
                         "ABCDEFGHIJK" +
                         SubBlocksOf("more")),
              std::string::npos);

    const std::string badLoop = std::string("!\xFF\x0BNETSCAPE2.0\x02\x01\x00\x00", 18);
    EXPECT_EQ(Load(image, Header(2, 2, kFour) + badLoop + Descriptor(0, 0, 2, 2) + RootCodes({0, 1, 2, 3})),
              "Invalid GIF data");
}

TEST(GifLoad, ExtensionsBeforeTheTrailerAreAFrameWithoutImage) {
    GIFImage image;
    const std::string comment = "!\xFE" + SubBlocksOf("end");
    ASSERT_EQ(Load(image, TwoByTwo(comment + ";")), "");
    ASSERT_EQ(image.FrameCount(), 2);
    EXPECT_TRUE(image.Frame(1).Empty());
    EXPECT_EQ(Save(image).substr(Save(image).size() - comment.size() - 1), comment + ";");
}

TEST(GifLoad, SizesAreCheckedBeforeAnythingIsAllocated) {
    GIFImage image;
    EXPECT_EQ(Load(image, Header(32768, 1, kFour) + ";"), "Picture too large");
    EXPECT_EQ(Load(image, Header(8192, 8193, kFour) + ";"), "Picture too large");
    EXPECT_EQ(Load(image, Header(2, 2, kFour) + Descriptor(0, 0, 40000, 1) + RootCodes({0}) + ";"),
              "Picture too large");
    // A frame of 2^26 pixels with hardly any data ends as soon as the data does.
    EXPECT_EQ(Load(image, Header(2, 2, kFour) + Descriptor(0, 0, 32767, 2048) + RootCodes({0, 1}) + ";"),
              "Premature end of data");
    // A frame of width 0 takes the logical screen size.
    ASSERT_EQ(Load(image, Header(2, 2, kFour) + Descriptor(0, 0, 0, 2) + RootCodes({0, 1, 2, 3}) + ";"), "");
    EXPECT_EQ(image.Frame(0).Width(), 2);
}

TEST(GifDraw, FirstFrameOnTheScreenClippedAndSeeThroughWhereTransparent) {
    GIFImage image;
    const std::string control = std::string("!\xF9\x04\x01\x00\x00\x03\x00", 8); // index 3 transparent
    // A 3 x 3 screen with a 2 x 2 frame at (2, 2): only its top left pixel is on the screen.
    ASSERT_EQ(Load(image, Header(3, 3, kFour) + Descriptor(2, 2, 2, 2) + RootCodes({1, 2, 2, 2}) + ";"), "");
    QImage shown = image.ToImage();
    EXPECT_EQ(shown.size(), QSize(3, 3));
    EXPECT_EQ(shown.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);

    ASSERT_EQ(Load(image, TwoByTwo().substr(0, 25) + control + TwoByTwo().substr(25) + ";"), "");
    shown = image.ToImage();
    EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(1, 1), 0u);
    // Drawn into a picture that already shows something, transparent pixels leave it as it is.
    QImage target(2, 2, QImage::Format_RGB32);
    target.fill(qRgb(9, 9, 9));
    image.Frame(0).Draw(target, {0, 0, 2, 2}, true, false);
    EXPECT_EQ(target.pixel(1, 1), qRgb(9, 9, 9));
    image.Frame(0).Draw(target, {0, 0, 2, 2}, false, false);
    EXPECT_EQ(target.pixel(1, 1), qRgb(0, 0, 255));
    // Scaled drawing keeps the see-through pixels too.
    target = QImage(4, 4, QImage::Format_RGB32);
    target.fill(qRgb(9, 9, 9));
    image.Frame(0).Draw(target, {0, 0, 4, 4}, true, false);
    EXPECT_EQ(target.pixel(3, 3), qRgb(9, 9, 9));
    EXPECT_EQ(target.pixel(2, 0), qRgb(255, 0, 0));
}

TEST(GifDraw, OnPaletteDisplaysFramesAreDitheredToTheWebPaletteUnderTheirMask) {
    GIFImage image;
    image.SetDrawFlags(dfWebPalette | dfTransparent);
    // Index 1 (grey 100) dithers; index 0 (white) is transparent and hidden under the mask.
    ASSERT_EQ(Load(image, Header(4, 1, {0xFFFFFF, 0x646464}) +
                              std::string("!\xF9\x04\x01\x00\x00\x00\x00", 8) + Descriptor(0, 0, 4, 1) +
                              RootCodes({1, 1, 0, 1}) + ";"),
              "");
    GIFSubImage& frame = image.Frame(0);
    const QImage& bitmap = frame.Bitmap();
    EXPECT_EQ(bitmap.colorCount(), 256);
    EXPECT_EQ(bitmap.pixelIndex(2, 0), 215); // white's own web colour
    for (int x : {0, 1, 3})
        EXPECT_LT(bitmap.pixelIndex(x, 0), 216);
    const QImage& mask = frame.Mask();
    ASSERT_FALSE(mask.isNull());
    EXPECT_EQ(mask.pixelIndex(2, 0), 1);
    EXPECT_EQ(mask.pixelIndex(1, 0), 0);
}

TEST(GifDraw, FramePlaceIsScaledIntoTheTarget) {
    GIFImage image;
    ASSERT_EQ(Load(image, Header(20, 20, kFour) + Descriptor(5, 5, 10, 10) +
                              RootCodes(std::vector<int>(100, 2)) + ";"),
              "");
    QImage target(40, 40, QImage::Format_RGB32);
    target.fill(0);
    image.Frame(0).Draw(target, {0, 0, 40, 40}, false, false);
    QRect covered;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (target.pixel(x, y) == qRgb(0, 255, 0)) covered |= QRect(x, y, 1, 1);
    EXPECT_EQ(covered, QRect(10, 10, 20, 20));
}

TEST(GifImage, PaletteVersionAndOptions) {
    GIFImage image;
    // Neither a global table nor a local one.
    ASSERT_EQ(Load(image, Header(2, 2, {}) + Descriptor(0, 0, 2, 2) + RootCodes({0, 1, 0, 1}) + ";"), "");
    EXPECT_THROW(
        {
            try {
                image.Palette();
            } catch (const GIFException& e) {
                EXPECT_STREQ(e.what(), "No global or local color table defined");
                throw;
            }
        },
        GIFException);
    // It still draws, scaled or not: pixels past the (empty) table are black.
    QImage target(4, 4, QImage::Format_RGB32);
    target.fill(qRgb(9, 9, 9));
    image.Frame(0).Draw(target, {0, 0, 4, 4}, true, false);
    EXPECT_EQ(target.pixel(3, 3), qRgb(0, 0, 0));
    EXPECT_EQ(image.ToImage().pixel(1, 1), qRgb(0, 0, 0));
    ASSERT_EQ(Load(image, TwoByTwo(";", "89a")), "");
    EXPECT_EQ(Save(image).substr(0, 6), "GIF87a");
    image.Frame(0).AddExtension(std::make_unique<GIFCommentExtension>(image.Frame(0)));
    EXPECT_EQ(Save(image).substr(0, 6), "GIF89a");
    image.SetQuantizeBits(0);
    EXPECT_EQ(image.QuantizeBits(), 1);
    image.SetQuantizeBits(12);
    EXPECT_EQ(image.QuantizeBits(), 8);
    EXPECT_THROW(image.SetWidth(1), GIFException);
}

TEST(GifColorMap, CountsSearchOrderAndOptimisation) {
    EXPECT_EQ(ColorsToBits(0), 0);
    EXPECT_EQ(ColorsToBits(1), 1);
    EXPECT_EQ(ColorsToBits(2), 1);
    EXPECT_EQ(ColorsToBits(3), 2);
    EXPECT_EQ(ColorsToBits(5), 3);
    EXPECT_EQ(ColorsToBits(256), 8);

    GIFImage image;
    ASSERT_EQ(Load(image, Header(2, 2, {0x000000}) + Descriptor(0, 0, 2, 2) + RootCodes({0, 0, 0, 0}) + ";"),
              "");
    EXPECT_EQ(image.Header().ColorMap().Count(), 2); // written with 2 entries: read back as 2
    GIFColorMap& table = image.Header().ColorMap();
    table.LoadFromPalette({qRgb(1, 1, 1), qRgb(2, 2, 2), qRgb(1, 1, 1), qRgb(3, 3, 3), qRgb(4, 4, 4)});
    const std::string saved = Save(image);
    EXPECT_EQ(uint8_t(saved[10]) & 7, 2); // 5 colours written as 8
    EXPECT_EQ(table.IndexOf({1, 1, 1}), 2);
    table.SetSorted(true);
    EXPECT_EQ(table.IndexOf({1, 1, 1}), 0);
    EXPECT_THROW(table.Delete(5), GIFException);

    // Used 0, 0, 3 and 5 times: two colours are left, the one used most first.
    table.LoadFromPalette({qRgb(10, 0, 0), qRgb(20, 0, 0), qRgb(30, 0, 0), qRgb(40, 0, 0)});
    image.Frame(0).SetBounds(0, 0, 8, 1);
    const uint8_t pixels[8] = {3, 2, 3, 2, 3, 2, 3, 3};
    std::copy(pixels, pixels + 8, image.Frame(0).ScanLine(0));
    EXPECT_TRUE(table.Optimize());
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Colors(0), 40);
    EXPECT_EQ(image.Frame(0).Data(), (std::vector<uint8_t>{0, 1, 0, 1, 0, 1, 0, 0}));
    // Already in order of use, unused ones last: unchanged, but marked sorted.
    table.LoadFromPalette({qRgb(10, 0, 0), qRgb(20, 0, 0), qRgb(30, 0, 0)});
    EXPECT_TRUE(table.Optimize());
    EXPECT_EQ(table.Count(), 3);
    EXPECT_TRUE(table.Sorted());

    for (int i = table.Count(); i < 256; ++i)
        table.Add({uint8_t(i), 0, 0});
    EXPECT_THROW(table.Add({0, 0, 0}), GIFException);
}

TEST(GifFrame, PicturesBecomeFrames) {
    GIFImage image;
    image.SetReductionMethod(ColorReduction::crNone);
    QImage many(257, 1, QImage::Format_RGB32);
    for (int x = 0; x < 257; ++x)
        many.setPixel(x, 0, qRgb(x & 255, x >> 8, 0));
    Bitmap truecolor;
    truecolor.Assign(many, PixelFormat::pf24bit);
    EXPECT_THROW(image.Assign(truecolor), GIFException);

    // An 8-bit bitmap keeps its palette; a transparent colour becomes a black entry with a graphic control.
    Bitmap indexed;
    indexed.SetPixelFormat(PixelFormat::pf8bit);
    indexed.SetSize(3, 1);
    indexed.Palette() = {qRgb(200, 0, 0), qRgb(0, 200, 0)};
    indexed.ScanLine(0)[0] = 0;
    indexed.ScanLine(0)[1] = 0;
    indexed.ScanLine(0)[2] = 1;
    image.Assign(indexed);
    ASSERT_EQ(image.FrameCount(), 1);
    EXPECT_EQ(image.Frame(0).Data(), (std::vector<uint8_t>{0, 0, 1}));
    EXPECT_EQ(image.Frame(0).GraphicControlExtension(), nullptr);

    indexed.SetTransparentColor(qRgb(0, 200, 0));
    image.Assign(indexed);
    EXPECT_EQ(image.Frame(0).ColorMap().Count(), 3);
    EXPECT_EQ(image.Frame(0).TransparentIndex(), 2);
    EXPECT_EQ(image.Frame(0).Data(), (std::vector<uint8_t>{0, 0, 2}));
    // A transparent colour no pixel has: the table stays as it was and no graphic control is added.
    indexed.SetTransparentColor(qRgb(1, 2, 3));
    image.Assign(indexed);
    EXPECT_EQ(image.Frame(0).ColorMap().Count(), 2);
    EXPECT_EQ(image.Frame(0).GraphicControlExtension(), nullptr);
    // A true-colour picture is reduced to the web palette by default.
    image.SetReductionMethod(ColorReduction::crWeb216);
    image.Assign(truecolor);
    EXPECT_EQ(image.Frame(0).ColorMap().Count(), 216);
}
