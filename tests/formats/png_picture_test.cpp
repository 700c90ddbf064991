#include <gtest/gtest.h>

#include <random>

#include "formats/picture_formats.h"
#include "formats/png/png_picture.h"
#include "png_test_files.h"
#include "support/test_support.h"

using namespace png_test;

namespace {

const std::string kHeading = "Portable Network Graphics format handler error\r\n\r\n";

MemoryStream StreamOf(const std::string& bytes) {
    return MemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// Loads the file; returns the error text, or "" when it loaded.
std::string Load(PngPicture& image, const std::string& file) {
    MemoryStream stream = StreamOf(file);
    try {
        image.LoadFromStream(stream);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

std::string Save(PngPicture& image) {
    MemoryStream out;
    image.SaveToStream(out);
    return {out.Bytes().begin(), out.Bytes().end()};
}

// A 3 x 2 RGB picture, every row unfiltered.
const std::string kRgbRows = std::string("\0", 1) + "\x10\x20\x30\x40\x50\x60\x70\x80\x90" +
                             std::string("\0", 1) + "\xA0\xB0\xC0\xD0\xE0\xF0\x01\x02\x03";

std::string RgbFile(const std::string& between = "", const std::string& rows = kRgbRows) {
    return kSignature + Header(3, 2, 8, 2) + between + MakeChunk("IDAT", Deflate(rows)) +
           MakeChunk("IEND", "");
}

} // namespace

TEST(PngPicture, SplitImageDataAroundAnotherChunkDecodesAsOneStream) {
    const std::string data = Deflate(kRgbRows);
    const std::string file = kSignature + Header(3, 2, 8, 2) + MakeChunk("IDAT", data.substr(0, 7)) +
                             MakeChunk("tIME", std::string(7, '\1')) + MakeChunk("IDAT", data.substr(7)) +
                             MakeChunk("IEND", "");
    PngPicture image;
    ASSERT_EQ(Load(image, file), "");
    EXPECT_EQ(image.Pixel(0, 0), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(image.Pixel(2, 1), qRgb(0x01, 0x02, 0x03));
    // A tIME chunk is no transparency information.
    EXPECT_FALSE(image.Transparent());
    EXPECT_EQ(image.Chunks().Count(), 4); // IHDR, IDAT, tIME, IEND
}

TEST(PngPicture, PrivateAncillaryChunksAreKeptAndCriticalUnknownOnesRefused) {
    PngPicture image;
    ASSERT_EQ(Load(image, RgbFile(MakeChunk("prIv", "keep me"))), "");
    EXPECT_EQ(image.Chunks().Item(1).Type(), "prIv");
    const std::string saved = Save(image);
    bool kept = false;
    for (const FileChunk& chunk : Chunks(saved))
        kept |= chunk.type == "prIv" && chunk.data == "keep me";
    EXPECT_TRUE(kept);

    EXPECT_EQ(Load(image, RgbFile(MakeChunk("CRIT", "x"))),
              kHeading +
                  "The currently being loaded image contains critical(s) chunk(s) not reconized by the "
                  "decoder.");
    try {
        image.Chunks().Item(99);
        ADD_FAILURE();
    } catch (const EPngPictureError& e) {
        EXPECT_EQ(e.what(), kHeading + "The chunk index especified is out of the range.");
    }
}

TEST(PngPicture, TransparentColourOfRgbImagesFollowsThePixels) {
    PngPicture image;
    ASSERT_EQ(Load(image, RgbFile(MakeChunk("tRNS", std::string("\0\x40\0\x50\0\x60", 6)))), "");
    ASSERT_TRUE(image.Transparent());
    EXPECT_EQ(image.TransparentColor() & 0xFFFFFF, qRgb(0x40, 0x50, 0x60) & 0xFFFFFF);
    EXPECT_EQ(qAlpha(image.ToImage().pixel(1, 0)), 0);
    EXPECT_EQ(qAlpha(image.ToImage().pixel(0, 0)), 255);

    // A short tRNS carries no colour and is ignored.
    ASSERT_EQ(Load(image, RgbFile(MakeChunk("tRNS", std::string("\0\x40", 2)))), "");
    EXPECT_FALSE(image.Transparent());

    // A 16-bit key is matched on all its bits: the second pixel differs only in a low byte.
    const std::string rows16 = std::string("\0", 1) + "\x12\x34\x56\x78\x9A\xBC" + "\x12\x34\x56\x78\x9A\xBD";
    const std::string file16 = kSignature + Header(2, 1, 16, 2) +
                               MakeChunk("tRNS", std::string("\x12\x34\x56\x78\x9A\xBC", 6)) +
                               MakeChunk("IDAT", Deflate(rows16)) + MakeChunk("IEND", "");
    ASSERT_EQ(Load(image, file16), "");
    EXPECT_EQ(image.Pixel(0, 0), qRgba(0x12, 0x56, 0x9A, 0));
    EXPECT_EQ(image.Pixel(1, 0), qRgba(0x12, 0x56, 0x9A, 255));
    EXPECT_FALSE(image.Transparent()) << "no 8-bit colour stands for a 16-bit key";
}

TEST(PngPicture, AlphaAndTransparencyChunksGiveEachPixelItsAlpha) {
    struct Case {
        const char* what;
        std::string file;
        std::vector<QRgb> pixels;
    };
    const std::string palette = MakeChunk("PLTE", std::string("\xFF\0\0\0\xFF\0\0\0\xFF", 9));
    const Case cases[] = {
        {"RGBA",
         kSignature + Header(2, 1, 8, 6) +
             MakeChunk("IDAT", Deflate(std::string("\0\x10\x20\x30\x00\x40\x50\x60\x80", 9))),
         {qRgba(0x10, 0x20, 0x30, 0), qRgba(0x40, 0x50, 0x60, 0x80)}},
        {"grey and alpha, 16 bits",
         kSignature + Header(1, 1, 16, 4) + MakeChunk("IDAT", Deflate(std::string("\0\x77\x01\xC0\x02", 5))),
         {qRgba(0x77, 0x77, 0x77, 0xC0)}},
        {"palette with fewer alphas than entries",
         kSignature + Header(3, 1, 4, 3) + palette + MakeChunk("tRNS", std::string("\0\x40", 2)) +
             MakeChunk("IDAT", Deflate(std::string("\0\x01\x20", 3))),
         {qRgba(255, 0, 0, 0), qRgba(0, 255, 0, 0x40), qRgba(0, 0, 255, 255)}},
        {"2-bit grey with a key",
         kSignature + Header(4, 1, 2, 0) + MakeChunk("tRNS", std::string("\0\x02", 2)) +
             MakeChunk("IDAT", Deflate(std::string("\0\x1B", 2))),
         {qRgba(0, 0, 0, 255), qRgba(85, 85, 85, 255), qRgba(170, 170, 170, 0), qRgba(255, 255, 255, 255)}},
    };
    for (const Case& c : cases) {
        PngPicture image;
        ASSERT_EQ(Load(image, c.file + MakeChunk("IEND", "")), "") << c.what;
        EXPECT_EQ(image.Format(), PixelFormat::pf32bit) << c.what;
        for (size_t x = 0; x < c.pixels.size(); ++x)
            EXPECT_EQ(image.Pixel(static_cast<int>(x), 0), c.pixels[x]) << c.what << " pixel " << x;
    }
}

TEST(PngPicture, DamagedStructureGivesTheCodecErrors) {
    const std::string corrupt = kHeading + "Can't read the PNG image, it has corrupted data. ";
    PngPicture image;
    // A length far beyond the file is refused before anything is allocated.
    std::string file = RgbFile();
    const std::string huge = kSignature + Header(3, 2, 8, 2) + BE32(0x7FFFFFF0) + "IDAT" + "abc";
    EXPECT_EQ(Load(image, huge), corrupt);
    std::string badCrc = file;
    badCrc[8 + 8 + 13] ^= 1;
    EXPECT_EQ(Load(image, badCrc), corrupt);
    EXPECT_EQ(Load(image, file.substr(0, file.size() - 3)), corrupt);
    EXPECT_EQ(Load(image, kSignature + MakeChunk("IHDR", std::string(12, '\1')) + MakeChunk("IDAT", "")),
              corrupt);
    EXPECT_EQ(Load(image, kSignature + Header(0, 2, 8, 2) + MakeChunk("IDAT", Deflate(kRgbRows))), corrupt);
    EXPECT_EQ(Load(image, kSignature + Header(3, 2, 16, 3) + MakeChunk("IDAT", Deflate(kRgbRows))), corrupt);
    EXPECT_EQ(Load(image, kSignature + Header(40000, 1, 8, 0) + MakeChunk("IDAT", "")),
              kHeading + "The image is too large to be loaded.");
    EXPECT_EQ(Load(image, kSignature + Header(9000, 9000, 8, 0) + MakeChunk("IDAT", "")),
              kHeading + "The image is too large to be loaded.");
    EXPECT_EQ(Load(image, kSignature + MakeChunk("gAMA", BE32(45455)) + Header(3, 2, 8, 2)),
              kHeading +
                  "This PNG image is invalid, the IHDR chunk is either not present or it isn't the first "
                  "chunk.");
    EXPECT_EQ(Load(image, kSignature + Header(3, 2, 8, 2, 2) + MakeChunk("IDAT", Deflate(kRgbRows))),
              kHeading + "The image has an unknown interlace method.");
    EXPECT_EQ(Load(image, kSignature + Header(1, 1, 8, 3) + MakeChunk("IDAT", Deflate(std::string(2, '\0')))),
              kHeading + "The current image requeries a palette but it is not avaliable.");
    EXPECT_EQ(Load(image, kSignature + Header(1, 1, 8, 3) + MakeChunk("PLTE", "abcd") +
                              MakeChunk("IDAT", Deflate(std::string(2, '\0')))),
              kHeading + "The current image being loaded has an invalid palette!");
    std::string badFilter = kRgbRows;
    badFilter[0] = 5;
    EXPECT_EQ(Load(image, RgbFile("", badFilter)),
              kHeading + "The image could not be loaded because it uses an unknown set of filter types.");
}

TEST(PngPicture, ImageDataThatEndsEarlyOrDoesNotInflateIsAnError) {
    const std::string corrupt = kHeading + "Can't read the PNG image, it has corrupted data. ";
    PngPicture image;
    // The compressed data ends after the first row; the file itself ends without IEND.
    EXPECT_EQ(
        Load(image, kSignature + Header(3, 2, 8, 2) + MakeChunk("IDAT", Deflate(kRgbRows.substr(0, 10)))),
        corrupt);
    // Only empty image data chunks, interlaced or not.
    for (int interlace : {0, 1})
        EXPECT_EQ(Load(image, kSignature + Header(3, 2, 8, 2, interlace) + MakeChunk("IDAT", "") +
                                  MakeChunk("IDAT", "") + MakeChunk("IEND", "")),
                  corrupt)
            << interlace;
    std::string damaged = Deflate(kRgbRows);
    damaged[2] = '\xFF';
    EXPECT_EQ(
        Load(image, kSignature + Header(3, 2, 8, 2) + MakeChunk("IDAT", damaged) + MakeChunk("IEND", "")),
        kHeading + "The PNG image data is damaged.");

    // Many rows are inflated at once, yet a bad filter type in a row before the damage is still the error.
    std::mt19937 random(11);
    const int wide = 300;
    std::string rows;
    for (int y = 0; y < 40; ++y) {
        rows += '\0';
        for (int i = 0; i < 3 * wide; ++i)
            rows += static_cast<char>(random());
    }
    rows[3 * (3 * wide + 1)] = 7;
    // Ten rows and then a block of a type that does not exist.
    std::string cut(rows.size(), '\0');
    z_stream z{};
    deflateInit(&z, Z_DEFAULT_COMPRESSION);
    z.next_in = reinterpret_cast<Bytef*>(rows.data());
    z.avail_in = static_cast<uInt>(10 * (3 * wide + 1));
    z.next_out = reinterpret_cast<Bytef*>(cut.data());
    z.avail_out = static_cast<uInt>(cut.size());
    deflate(&z, Z_SYNC_FLUSH);
    cut.resize(z.total_out);
    deflateEnd(&z);
    cut += std::string(8, '\xFF');
    EXPECT_EQ(
        Load(image, kSignature + Header(wide, 40, 8, 2) + MakeChunk("IDAT", cut) + MakeChunk("IEND", "")),
        kHeading + "The image could not be loaded because it uses an unknown set of filter types.");

    // Bytes after the end of the compressed stream must not keep the inflater going.
    ASSERT_EQ(Load(image, kSignature + Header(3, 2, 8, 2) +
                              MakeChunk("IDAT", Deflate(kRgbRows) + std::string(100, '\7')) +
                              MakeChunk("IEND", "")),
              "");
    EXPECT_EQ(image.Pixel(2, 1), qRgb(0x01, 0x02, 0x03));
    // A complete picture without IEND is whole.
    ASSERT_EQ(Load(image, kSignature + Header(3, 2, 8, 2) + MakeChunk("IDAT", Deflate(kRgbRows))), "");
    EXPECT_EQ(image.Pixel(2, 1), qRgb(0x01, 0x02, 0x03));
}

TEST(PngPicture, GammaAppliesWhereverTheChunkStandsAndUnusableGammaIsIgnored) {
    auto withGamma = [](uint32_t gamma, bool afterData) {
        const std::string gama = MakeChunk("gAMA", BE32(gamma));
        return kSignature + Header(3, 2, 8, 2) + (afterData ? "" : gama) +
               MakeChunk("IDAT", Deflate(kRgbRows)) + (afterData ? gama : "") + MakeChunk("IEND", "");
    };
    PngPicture before, after, none;
    ASSERT_EQ(Load(before, withGamma(100000, false)), "");
    ASSERT_EQ(Load(after, withGamma(100000, true)), "");
    ASSERT_EQ(Load(none, RgbFile()), "");
    // Gamma 1.0 shown on a 2.2 display: 0x10 -> round(255 * (16/255)^(1/2.2)) = 72.
    EXPECT_EQ(before.Pixel(0, 0), qRgb(72, 99, 119));
    EXPECT_EQ(after.Pixel(0, 0), before.Pixel(0, 0));
    ASSERT_EQ(Load(after, withGamma(0, false)), "");
    EXPECT_EQ(after.Pixel(0, 0), none.Pixel(0, 0));
    const std::string shortGamma = kSignature + Header(3, 2, 8, 2) + MakeChunk("gAMA", "\1\2") +
                                   MakeChunk("IDAT", Deflate(kRgbRows)) + MakeChunk("IEND", "");
    ASSERT_EQ(Load(after, shortGamma), "");
    EXPECT_EQ(after.Pixel(0, 0), none.Pixel(0, 0));
}

TEST(PngPicture, PaletteIndicesBeyondThePaletteShowBlack) {
    // Two entries; pixel values 0, 1, 2, 3 at depth 2.
    const std::string file = kSignature + Header(4, 1, 2, 3) +
                             MakeChunk("PLTE", std::string("\xFF\0\0\0\xFF\0", 6)) +
                             MakeChunk("IDAT", Deflate(std::string("\0\x1B", 2))) + MakeChunk("IEND", "");
    PngPicture image;
    ASSERT_EQ(Load(image, file), "");
    EXPECT_EQ(image.Pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.Pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(image.Pixel(2, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.Pixel(3, 0), qRgb(0, 0, 0));
}

TEST(PngPicture, InterlacedImagesSmallerThanAPassBlockDecode) {
    // 1 x 3 grey: only passes 1 (row 0), 5 (row 2) and 7 (row 1) hold pixels; the others have no bytes.
    const std::string rows = std::string("\0\x11", 2) + std::string("\0\x22", 2) + std::string("\0\x33", 2);
    const std::string file =
        kSignature + Header(1, 3, 8, 0, 1) + MakeChunk("IDAT", Deflate(rows)) + MakeChunk("IEND", "");
    PngPicture image;
    ASSERT_EQ(Load(image, file), "");
    EXPECT_EQ(image.Pixel(0, 0), qRgb(0x11, 0x11, 0x11));
    EXPECT_EQ(image.Pixel(0, 2), qRgb(0x22, 0x22, 0x22));
    EXPECT_EQ(image.Pixel(0, 1), qRgb(0x33, 0x33, 0x33));
}

TEST(PngPicture, RowFiltersUndoWhatTheyDo) {
    std::mt19937 random(3);
    // Few distinct values make the Paeth ties frequent; 61 bytes leave a part pixel at the end.
    for (unsigned values : {256u, 3u})
        for (size_t bpp : {1u, 2u, 3u, 4u, 6u, 8u}) {
            std::vector<uint8_t> row(61), prior(61), filtered(61);
            for (auto& b : row)
                b = static_cast<uint8_t>(random() % values * (255 / (values - 1)));
            for (auto& b : prior)
                b = static_cast<uint8_t>(random() % values * (255 / (values - 1)));
            for (uint8_t f = 0; f <= 4; ++f) {
                FilterRow(static_cast<RowFilter>(f), row.data(), prior.data(), row.size(), bpp,
                          filtered.data());
                UnfilterRow(f, filtered.data(), prior.data(), row.size(), bpp);
                EXPECT_EQ(filtered, row) << "filter " << int(f) << " bpp " << bpp << " values " << values;
            }
        }
    EXPECT_EQ(PaethPredictor(10, 20, 10), 20);
    EXPECT_EQ(PaethPredictor(20, 10, 10), 20);
    EXPECT_EQ(PaethPredictor(10, 10, 10), 10);
    EXPECT_EQ(PaethPredictor(1, 200, 100), 100);
    EXPECT_EQ(PaethPredictor(100, 20, 90), 20);
}

TEST(PngPicture, RowsOfEveryFilterDecodeAcrossManyReads) {
    // RGB, RGBA and 16-bit RGB rows of 1001 pixels, more than one read of the inflater holds, each row
    // under the next filter in turn; the pixel values repeat little, so that no filter makes them easy.
    std::mt19937 random(13);
    const uint32_t width = 1001, height = 90;
    for (const auto& [colorType, depth] : {std::pair{2, 8}, std::pair{6, 8}, std::pair{2, 16}}) {
        const size_t sample = static_cast<size_t>(depth / 8), bpp = (colorType == 6 ? 4 : 3) * sample,
                     rowBytes = width * bpp;
        std::vector<uint8_t> pixels(rowBytes * height), zeros(rowBytes), filtered(rowBytes);
        for (auto& b : pixels)
            b = static_cast<uint8_t>(random() % 7 * 40);
        std::string rows;
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* prior = y ? &pixels[(y - 1) * rowBytes] : zeros.data();
            FilterRow(static_cast<RowFilter>(y % 5), &pixels[y * rowBytes], prior, rowBytes, bpp,
                      filtered.data());
            rows += static_cast<char>(y % 5);
            rows.append(filtered.begin(), filtered.end());
        }
        PngPicture image;
        ASSERT_EQ(Load(image, kSignature + Header(width, height, depth, colorType) +
                                  MakeChunk("IDAT", Deflate(rows)) + MakeChunk("IEND", "")),
                  "");
        int differences = 0;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* p = &pixels[y * rowBytes + x * bpp];
                // 16-bit samples show their high byte.
                const QRgb want = qRgba(p[0], p[sample], p[2 * sample], colorType == 6 ? p[3] : 255);
                differences += image.Pixel(int(x), int(y)) != want;
            }
        EXPECT_EQ(differences, 0) << "colour type " << colorType << " depth " << depth;
    }
}

TEST(PngPicture, FilterChoiceFavoursRepeatingBytes) {
    // A ramp repeats nothing raw but is all equal steps after Sub.
    std::vector<uint8_t> ramp(32), prior(32, 0), a(32), b(32);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<uint8_t>(3 * i);
    EXPECT_EQ(ChooseFilter(kDefaultFilters, ramp.data(), prior.data(), 32, 1, a.data(), b.data()).filter,
              RowFilter::Sub);
    // Up is not in the default set; with it alone on offer the row above decides.
    EXPECT_EQ(
        ChooseFilter(FilterBit(RowFilter::Up), ramp.data(), ramp.data(), 32, 1, a.data(), b.data()).filter,
        RowFilter::Up);
    const FilteredRow none =
        ChooseFilter(FilterBit(RowFilter::None), ramp.data(), prior.data(), 32, 1, a.data(), b.data());
    EXPECT_EQ(none.filter, RowFilter::None);
    EXPECT_EQ(none.bytes, ramp.data());
}

TEST(PngPicture, SavesBitmapsOfEveryFormatAndLoadsThemBack) {
    std::mt19937 random(5);
    for (PixelFormat format : {PixelFormat::pf1bit, PixelFormat::pf4bit, PixelFormat::pf8bit,
                               PixelFormat::pf24bit, PixelFormat::pf32bit}) {
        PngPicture image;
        image.SetPixelFormat(format);
        image.SetSize(37, 11);
        if (BitsPerPixel(format) <= 8)
            for (int i = 0; i < (1 << BitsPerPixel(format)); ++i)
                image.Palette().push_back(qRgb(i * 7 % 256, i * 13 % 256, 255 - i));
        for (int y = 0; y < image.Height(); ++y)
            for (int i = 0; i < image.Stride(); ++i)
                image.ScanLine(y)[i] = static_cast<uint8_t>(random() % 4 ? y : i);
        image.SetTransparentColor(image.Pixel(0, 0));
        const std::string saved = Save(image);
        PngPicture again;
        ASSERT_EQ(Load(again, saved), "") << BitsPerPixel(format);
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                ASSERT_EQ(again.Pixel(x, y) & 0xFFFFFF, image.Pixel(x, y) & 0xFFFFFF) << x << "," << y;
        if (BitsPerPixel(format) > 8) {
            ASSERT_TRUE(again.Transparent()) << BitsPerPixel(format);
            EXPECT_EQ(again.TransparentColor() & 0xFFFFFF, image.TransparentColor() & 0xFFFFFF);
            continue;
        }
        // Palette images mark the transparent entry in tRNS.
        const std::vector<FileChunk> chunks = Chunks(saved);
        const auto trns =
            std::find_if(chunks.begin(), chunks.end(), [](auto& c) { return c.type == "tRNS"; });
        ASSERT_NE(trns, chunks.end());
        const auto entry =
            static_cast<size_t>(std::find(image.Palette().begin(), image.Palette().end(), image.Pixel(0, 0)) -
                                image.Palette().begin());
        ASSERT_LT(entry, trns->data.size());
        EXPECT_EQ(trns->data[entry], '\0');
    }
}

TEST(PngPicture, ImageDataInManyChunksIsInflatedFromTheFileAndChecked) {
    // 250 x 100 RGB noise, every row unfiltered: the data is larger than a read buffer.
    const uint32_t width = 250, height = 100;
    std::mt19937 random(7);
    std::string rows;
    for (uint32_t y = 0; y < height; ++y) {
        rows += '\0';
        for (uint32_t i = 0; i < 3 * width; ++i)
            rows += static_cast<char>(random());
    }
    const std::string data = Deflate(rows);
    ASSERT_GT(data.size(), 65536u);
    // One chunk over a read buffer long, an empty one, then small ones around an ancillary chunk.
    std::string chunks = MakeChunk("IDAT", data.substr(0, 70000)) + MakeChunk("IDAT", "");
    for (size_t at = 70000; at < data.size(); at += 1000)
        chunks +=
            MakeChunk("IDAT", data.substr(at, 1000)) + (at == 71000 ? MakeChunk("tIME", "1234567") : "");
    const std::string file = kSignature + Header(width, height, 8, 2) + chunks + MakeChunk("IEND", "");

    TempDir dir;
    WriteFileBytes(dir / "noise.png", file);
    FileStream stream(dir / "noise.png", FileStream::fmOpenRead);
    PngPicture image;
    image.LoadFromStream(stream);
    for (uint32_t y : {0u, 57u, height - 1})
        for (uint32_t x : {0u, 131u, width - 1}) {
            const char* p = rows.data() + y * (3 * width + 1) + 1 + 3 * x;
            EXPECT_EQ(image.Pixel(int(x), int(y)), qRgb(uint8_t(p[0]), uint8_t(p[1]), uint8_t(p[2])))
                << x << "," << y;
        }
    // The data was never kept, yet saving writes the pixels again.
    PngPicture again;
    ASSERT_EQ(Load(again, Save(image)), "");
    EXPECT_EQ(again.Pixel(131, 57), image.Pixel(131, 57));

    // A damaged byte in the long chunk fails its CRC.
    const std::string corrupt = kHeading + "Can't read the PNG image, it has corrupted data. ";
    std::string damaged = file;
    damaged[kSignature.size() + 25 + 8 + 40000] ^= 1;
    EXPECT_EQ(Load(image, damaged), corrupt);
    // The CRC is the error even where what follows its chunk fails too, or where inflating never needs the
    // chunk's bytes.
    std::string badCrc = MakeChunk("IDAT", data);
    badCrc.back() ^= 1;
    EXPECT_EQ(Load(image, kSignature + Header(width, height, 8, 2) + badCrc + MakeChunk("ABCD", "") +
                              MakeChunk("IEND", "")),
              corrupt);
    EXPECT_EQ(Load(image, kSignature + Header(width, height, 8, 7) + badCrc + MakeChunk("IEND", "")),
              corrupt);
    std::string badTail = MakeChunk("IDAT", "after the data");
    badTail.back() ^= 1;
    EXPECT_EQ(Load(image, kSignature + Header(width, height, 8, 2) + MakeChunk("IDAT", data) + badTail +
                              MakeChunk("IEND", "")),
              corrupt);
}

TEST(PngPicture, AssignCopiesChunksAndPixelsAndTheRegistryLoadsPngFiles) {
    TempDir dir;
    WriteFileBytes(dir / "picture.PNG", RgbFile(MakeChunk("tEXt", std::string("Title\0x", 7))));
    RegisterPictureFormats();
    std::unique_ptr<Graphic> graphic = PictureRegistry::Load(dir / "picture.PNG");
    ASSERT_EQ(graphic->Width(), 3);
    EXPECT_EQ(graphic->ToImage().pixel(1, 1), qRgb(0xD0, 0xE0, 0xF0));
    PngPicture copy;
    copy.Assign(*graphic);
    ASSERT_EQ(copy.Chunks().Count(), 4);
    EXPECT_NE(dynamic_cast<ChunkTEXT*>(&copy.Chunks().Item(1)), nullptr);
    EXPECT_EQ(copy.Pixel(2, 1), qRgb(0x01, 0x02, 0x03));
}
