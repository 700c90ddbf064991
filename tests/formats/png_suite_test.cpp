#include <gtest/gtest.h>
#include <png.h>

#include <QImage>
#include <QRgb>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

#include "formats/png/png_picture.h"
#include "peer_tools.h"
#include "png_test_files.h"
#include "support/generated_pictures.h"
#include "support/libpng_memory_reader.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace png_test;

namespace {

std::vector<fs::path> SuiteFiles(bool corrupt) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(TestData("pngsuite"))) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".png" && name != "PngSuite.png" && (name[0] == 'x') == corrupt)
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The reference decoder would scale samples down to the significant bits; without sBIT it keeps them all.
std::string WithoutSignificantBits(const std::string& file) {
    std::string out = kSignature;
    for (const FileChunk& chunk : Chunks(file))
        if (chunk.type != "sBIT") out += MakeChunk(chunk.type, chunk.data);
    return out;
}

// What the codec must show for a reference sample: the high byte, the grey levels spread over 0..255,
// and the display gamma on colour and palette images.
struct Expectation {
    int colorType = 0;
    uint32_t gamma = 0;

    int Show(int sample, int maxval) const {
        int v = maxval == 65535 ? sample >> 8 : sample * 255 / maxval;
        if (gamma != 0 && colorType != 0 && colorType != 4)
            v = static_cast<int>(std::lround(255.0 * std::pow(v / 255.0, 1.0 / (gamma / 100000.0 * 2.2))));
        return v;
    }
};

Expectation ExpectationFor(const std::string& file) {
    Expectation e;
    for (const FileChunk& chunk : Chunks(file)) {
        if (chunk.type == "IHDR") e.colorType = uint8_t(chunk.data[9]);
        if (chunk.type == "gAMA") e.gamma = GetBE32(chunk.data, 0);
    }
    return e;
}

// Counts the pixels of the image that differ from the reference decode of the same file.
int CompareWithReference(const PngPicture& image, const fs::path& path, const TempDir& dir) {
    const std::string file = ReadBytes(path);
    const fs::path copy = dir / path.filename().string();
    WriteFileBytes(copy, WithoutSignificantBits(file));
    const Pnm ref = ParsePnm(RunCommand("pngtopam '" + copy.string() + "' 2>/dev/null"));
    if (ref.width != image.Width() || ref.height != image.Height()) return -1;
    const Expectation expect = ExpectationFor(file);
    int differences = 0;
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
            const int c1 = ref.channels == 3 ? 1 : 0, c2 = ref.channels == 3 ? 2 : 0;
            const QRgb want = qRgb(expect.Show(ref.Sample(x, y, 0), ref.maxval),
                                   expect.Show(ref.Sample(x, y, c1), ref.maxval),
                                   expect.Show(ref.Sample(x, y, c2), ref.maxval));
            if ((image.Pixel(x, y) & 0xFFFFFF) != (want & 0xFFFFFF) && differences++ == 0)
                ADD_FAILURE() << path.filename() << " first difference at " << x << "," << y << ": "
                              << std::hex << image.Pixel(x, y) << " instead of " << want;
        }
    return differences;
}

// Saving writes RGB or palette pixels only, so colours are compared and alphas are not.
int DifferingPixels(const PngPicture& a, const PngPicture& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
    int differences = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            differences += ((a.Pixel(x, y) ^ b.Pixel(x, y)) & 0xFFFFFF) != 0;
    return differences;
}

// The reference decoder's rows of a valid file, as our bitmap keeps them: 8-bit samples (the high byte of
// 16-bit ones), B, G, R order, an alpha kept, interlacing undone.
std::vector<std::vector<uint8_t>> ReferenceRows(const std::string& file) {
    LibpngMemoryReader reader(file);
    png_structp png = reader.png;
    png_infop info = reader.info;
    png_set_strip_16(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    std::vector<std::vector<uint8_t>> rows(png_get_image_height(png, info),
                                           std::vector<uint8_t>(png_get_rowbytes(png, info)));
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    png_read_image(png, pointers.data());
    return rows;
}

} // namespace

TEST(PngSuite, SlowWideImagesMatchTheReferenceDecoderInTheBitmapAndOnScreen) {
    // Rows thousands of pixels wide under every filter, many reads of the inflater long, interlaced too.
    for (const char* name : {"rgb8_noise_2000x2000.png", "rgba8_2000x2000.png", "grey16_512x512.png",
                             "interlaced_rgb8_1000x1000.png"}) {
        const fs::path path = std::string_view(name).starts_with("grey16") ? TestData("png-extra") / name
                                                                           : GeneratedPicture(name);
        const std::vector<std::vector<uint8_t>> want = ReferenceRows(ReadBytes(path));
        PngPicture image;
        image.LoadFromFile(path);
        ASSERT_EQ(size_t(image.Height()), want.size()) << name;
        const auto pixelBytes = static_cast<size_t>(BitsPerPixel(image.Format()) / 8);
        ASSERT_EQ(size_t(image.Width()) * pixelBytes, want[0].size()) << name;
        const QImage shown = image.ToImage();
        int rowDifferences = 0, shownDifferences = 0;
        for (int y = 0; y < image.Height(); ++y) {
            const std::vector<uint8_t>& row = want[size_t(y)];
            rowDifferences += std::memcmp(image.ScanLine(y), row.data(), row.size()) != 0;
            for (int x = 0; x < image.Width(); ++x) {
                const uint8_t* p = &row[size_t(x) * pixelBytes];
                const QRgb colour = pixelBytes == 1   ? qRgb(p[0], p[0], p[0])
                                    : pixelBytes == 3 ? qRgb(p[2], p[1], p[0])
                                                      : qRgba(p[2], p[1], p[0], p[3]);
                shownDifferences += shown.pixel(x, y) != colour;
            }
        }
        EXPECT_EQ(rowDifferences, 0) << name;
        EXPECT_EQ(shownDifferences, 0) << name;
    }
}

TEST(PngSuite, EveryValidImageShowsTheReferencePixels) {
    if (!HaveProgram("pngtopam")) GTEST_SKIP() << "pngtopam (netpbm) is not installed";
    TempDir dir;
    const auto files = SuiteFiles(false);
    ASSERT_GT(files.size(), 150u);
    for (const fs::path& path : files) {
        PngPicture image;
        ASSERT_NO_THROW(image.LoadFromFile(path)) << path.filename();
        EXPECT_EQ(CompareWithReference(image, path, dir), 0) << path.filename();
    }
}

TEST(PngSuite, EveryCorruptImageFailsWithAnError) {
    const auto files = SuiteFiles(true);
    ASSERT_EQ(files.size(), 14u);
    for (const fs::path& path : files) {
        PngPicture image;
        EXPECT_THROW(image.LoadFromFile(path), std::exception) << path.filename();
    }
}

TEST(PngSuite, CorruptImagesGiveTheirOwnMessages) {
    const std::string heading = "Portable Network Graphics format handler error\r\n\r\n";
    auto messageOf = [](const char* name) {
        PngPicture image;
        try {
            image.LoadFromFile(TestData("pngsuite") / name);
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(messageOf("xs1n0g01.png"),
              heading + "Invalid Portable Graphics Network image, it has an invalid file header.");
    EXPECT_EQ(messageOf("xhdn0g08.png"), heading + "Can't read the PNG image, it has corrupted data. ");
    EXPECT_EQ(messageOf("xcsn0g01.png"), heading + "Can't read the PNG image, it has corrupted data. ");
    EXPECT_EQ(messageOf("xdtn0g01.png"),
              heading + "The current image being loaded has no data and could not be loaded.");
    EXPECT_EQ(messageOf("xc9n2c08.png"),
              heading + "Could not read the image because it has an unknown color type.");
}

TEST(PngSuite, SavedImagesPassTheCheckerAndReadBackTheSame) {
    if (!HaveProgram("pngcheck")) GTEST_SKIP() << "pngcheck is not installed";
    TempDir dir;
    for (const fs::path& path : SuiteFiles(false)) {
        PngPicture image;
        image.LoadFromFile(path);
        const fs::path saved = dir / path.filename().string();
        image.SaveToFile(saved);
        int status = 0;
        const std::string report = RunCommand("pngcheck -v '" + saved.string() + "' 2>&1", &status);
        EXPECT_EQ(status, 0) << report;
        PngPicture again;
        ASSERT_NO_THROW(again.LoadFromFile(saved)) << path.filename();
        EXPECT_EQ(DifferingPixels(image, again), 0) << path.filename();
        EXPECT_EQ(again.Transparent(), image.Transparent()) << path.filename();
        if (image.Transparent()) {
            EXPECT_EQ(again.TransparentColor(), image.TransparentColor()) << path.filename();
        }
    }
}
