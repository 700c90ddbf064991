#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "formats/jpeg/jpeg_image.h"
#include "formats/peer_tools.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "support/test_support.h"

namespace {

std::vector<uint8_t> Encode(const QImage& image, int quality = 95) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", quality));
    return {bytes.begin(), bytes.end()};
}

QImage Decode(std::vector<uint8_t> bytes) {
    MemoryStream stream(std::move(bytes));
    JpegImage jpeg;
    jpeg.LoadFromStream(stream);
    return jpeg.ToImage();
}

QImage Gradient(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / (w - 1), y * 255 / (h - 1), 128));
    return image;
}

} // namespace

TEST(JpegImage, DecodesColourAndGreyPicturesOpaque) {
    const QImage original = Gradient(64, 48);
    const QImage decoded = Decode(Encode(original));
    ASSERT_EQ(decoded.size(), original.size());
    for (int y = 0; y < 48; y += 7)
        for (int x = 0; x < 64; x += 5) {
            EXPECT_NEAR(qRed(decoded.pixel(x, y)), qRed(original.pixel(x, y)), 6);
            EXPECT_NEAR(qGreen(decoded.pixel(x, y)), qGreen(original.pixel(x, y)), 6);
            EXPECT_EQ(qAlpha(decoded.pixel(x, y)), 255);
        }
    const QImage grey = Decode(Encode(original.convertToFormat(QImage::Format_Grayscale8)));
    EXPECT_EQ(qRed(grey.pixel(10, 10)), qBlue(grey.pixel(10, 10)));
}

// Baseline, progressive, grey, CMYK, restart markers and several subsamplings decode as the peer decoder
// decodes the same files.
TEST(JpegImage, EveryKindOfFileDecodesLikeThePeer) {
    if (!HaveProgram("jpegtopnm")) GTEST_SKIP() << "jpegtopnm (netpbm) is not installed";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TestData("jpeg"))) {
        ++files;
        const std::string path = entry.path().string();
        const std::optional<std::string> bytes = ReadFileBytes(path);
        ASSERT_TRUE(bytes) << path;
        const QImage ours = Decode({bytes->begin(), bytes->end()});
        const Pnm peer = ParsePnm(RunCommand("jpegtopnm '" + path + "' 2>/dev/null"));
        ASSERT_EQ(ours.size(), QSize(peer.width, peer.height)) << path;
        int worst = 0;
        for (int y = 0; y < peer.height; ++y)
            for (int x = 0; x < peer.width; ++x) {
                const QRgb pixel = ours.pixel(x, y);
                ASSERT_EQ(qAlpha(pixel), 255) << path;
                const int ourSamples[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
                for (int c = 0; c < 3; ++c)
                    worst = std::max(worst,
                                     std::abs(ourSamples[c] - peer.Sample(x, y, peer.channels == 3 ? c : 0)));
            }
        EXPECT_LE(worst, 1) << path;
    }
    EXPECT_GE(files, 10);
}

TEST(JpegImage, BrokenAndOversizeFilesRaiseInsteadOfExiting) {
    EXPECT_THROW(Decode({}), EInvalidGraphic);
    EXPECT_THROW(Decode({0xFF, 0xD8, 0xFF, 0xE0, 0, 3, 1}), EInvalidGraphic);
    // A header claiming 40000 x 40000 pixels is refused before the pixels are allocated.
    std::vector<uint8_t> bytes = Encode(Gradient(16, 16));
    for (size_t i = 0; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            bytes[i + 5] = 0x9C, bytes[i + 6] = 0x40, bytes[i + 7] = 0x9C, bytes[i + 8] = 0x40;
            break;
        }
    try {
        Decode(bytes);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos);
    }
    // A truncated file still decodes to a picture of its full size (the rest grey) or raises; never crashes.
    std::vector<uint8_t> cut = Encode(Gradient(64, 48));
    cut.resize(cut.size() / 2);
    try {
        EXPECT_EQ(Decode(cut).width(), 64);
    } catch (const EInvalidGraphic&) {
    }
}

TEST(JpegImage, RegistersBothExtensions) {
    RegisterJpegPicture();
    EXPECT_NO_THROW(PictureRegistry::Create("a.JPG"));
    EXPECT_NO_THROW(PictureRegistry::Create("a.jpeg"));
    EXPECT_NE(dynamic_cast<JpegImage*>(PictureRegistry::Create("a/3001.JPEG").get()), nullptr);
}
