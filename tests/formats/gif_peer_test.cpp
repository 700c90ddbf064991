// The GIF codec against the command-line peers: every file of the GIF set in tests/data/gif decodes as giflib
// and netpbm decode it, and what we write decodes the same in ours, giflib and gifsicle.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>

#include "formats/gif/gif_image.h"
#include "formats/picture_formats.h"
#include "gif_test_support.h"
#include "peer_tools.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace gif_test;

namespace {

// One line of the set's MANIFEST summary.
struct Listed {
    std::string version, size, frames, gct, lct, loop, transp;
};

std::map<std::string, Listed> ManifestSummary() {
    std::ifstream in(TestData("gif/MANIFEST.txt"));
    std::map<std::string, Listed> files;
    std::string line, word;
    while (std::getline(in, line) && line != "Summary") {
    }
    std::getline(in, line); // underline
    while (std::getline(in, line) && !line.empty()) {
        std::istringstream fields(line);
        std::string name;
        Listed l;
        fields >> name >> l.version >> l.size >> word >> l.frames >> word >> l.gct >> word >> l.lct >> word >>
            l.loop >> word >> l.transp;
        files[name] = l;
    }
    return files;
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

std::string Count(int n) {
    return n > 0 ? std::to_string(n) : "-";
}

// The properties the summary lists, as our decoder sees them.
Listed Properties(const GIFImage& image) {
    Listed l;
    l.version = image.Version() == GIFVersion::gv89a ? "GIF89a" : "GIF87a";
    l.size = std::to_string(image.Width()) + "x" + std::to_string(image.Height());
    // A trailing extension without an image is kept as a frame of its own, which shows nothing.
    int images = 0;
    for (int i = 0; i < image.FrameCount(); ++i)
        images += !image.Frame(i).Empty();
    l.frames = std::to_string(images);
    l.gct = Count(image.Header().ColorMap().Count());
    int local = 0, loops = -1, transparent = -1;
    for (int i = 0; i < image.FrameCount(); ++i) {
        const GIFSubImage& frame = image.Frame(i);
        local = std::max(local, frame.ColorMap().Count());
        if (transparent < 0) transparent = frame.TransparentIndex();
        for (const auto& extension : frame.Extensions())
            if (const auto* loop = dynamic_cast<const GIFAppExtNSLoop*>(extension.get()); loop && loops < 0)
                loops = loop->Loops;
    }
    l.lct = Count(local);
    l.loop = loops >= 0 ? std::to_string(loops) : "-";
    l.transp = transparent >= 0 ? std::to_string(transparent) : "-";
    return l;
}

// A bilevel or grey reference pixel as the colour it stands for.
QRgb RgbAt(const Pnm& pnm, int x, int y) {
    const auto level = [&](int c) { return pnm.Sample(x, y, pnm.channels == 3 ? c : 0) * 255 / pnm.maxval; };
    return qRgb(level(0), level(1), level(2));
}

// Pixels of image number index (from 0) that differ from netpbm's decode, transparency included.
int DifferencesFromNetpbm(const fs::path& file, const GIFSubImage& frame, int index, const TempDir& dir) {
    const fs::path alpha = dir / "alpha.pbm";
    const std::string ppm = RunCommand("giftopnm -image=" + std::to_string(index + 1) +
                                       " -alphaout=" + Quoted(alpha) + " " + Quoted(file) + " 2>/dev/null");
    if (ppm.empty()) return -1;
    const Pnm ref = ParsePnm(ppm);
    if (ref.width != frame.Width() || ref.height != frame.Height()) return -1;
    std::ifstream alphaFile(alpha, std::ios::binary);
    const std::string alphaBytes((std::istreambuf_iterator<char>(alphaFile)), {});
    const Pnm opaque = alphaBytes.empty() ? Pnm{} : ParsePnm(alphaBytes);
    const std::vector<QRgb> ours = FrameColors(frame);
    int differences = 0;
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
            const QRgb got = ours[size_t(y) * size_t(ref.width) + size_t(x)];
            const bool seeThrough = !opaque.samples.empty() && opaque.Sample(x, y, 0) == 0;
            const QRgb want = seeThrough ? 0 : RgbAt(ref, x, y);
            if (got != want && differences++ == 0)
                ADD_FAILURE() << file.filename() << " frame " << index << " at " << x << "," << y << ": "
                              << std::hex << got << " instead of " << want;
        }
    return differences;
}

// Screen pixels of the first frame that differ from giflib's decode; what no frame covers is see-through.
int DifferencesFromGiflib(const fs::path& file, const GIFImage& image, const TempDir& dir) {
    const fs::path rgb = dir / "screen.rgb";
    std::filesystem::remove(rgb);
    RunCommand("gif2rgb -1 -o " + Quoted(rgb) + " " + Quoted(file) + " 2>/dev/null");
    std::ifstream in(rgb, std::ios::binary);
    const std::string ref((std::istreambuf_iterator<char>(in)), {});
    const QImage shown = image.ToImage().convertToFormat(QImage::Format_ARGB32);
    if (ref.size() != size_t(image.Width()) * size_t(image.Height()) * 3) return -1;
    const GIFSubImage& first = image.Frame(0);
    int differences = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const QRgb got = shown.pixel(x, y);
            const size_t at = (size_t(y) * size_t(image.Width()) + size_t(x)) * 3;
            const bool seeThrough =
                !first.BoundsRect().Contains(x, y) ||
                first.Data()[size_t(y - first.Top()) * size_t(first.Width()) + size_t(x - first.Left())] ==
                    first.TransparentIndex();
            const QRgb want =
                seeThrough ? 0 : qRgb(uint8_t(ref[at]), uint8_t(ref[at + 1]), uint8_t(ref[at + 2]));
            if (got != want && differences++ == 0)
                ADD_FAILURE() << file.filename() << " screen at " << x << "," << y << ": " << std::hex << got
                              << " instead of " << want;
        }
    return differences;
}

bool HavePeers() {
    return HaveProgram("giftopnm") && HaveProgram("gif2rgb") && HaveProgram("gifsicle");
}

} // namespace

TEST(GifPeers, EverySetFileDecodesAsTheReferenceDecodersAndHasItsListedProperties) {
    if (!HavePeers()) GTEST_SKIP() << "giflib-tools, netpbm or gifsicle is not installed";
    RegisterPictureFormats();
    const std::map<std::string, Listed> listed = ManifestSummary();
    ASSERT_GE(listed.size(), 26u);
    TempDir dir;
    for (const auto& [name, want] : listed) {
        SCOPED_TRACE(name);
        const fs::path file = TestData("gif") / name;
        std::unique_ptr<Graphic> graphic = PictureRegistry::Load(file);
        auto* image = dynamic_cast<GIFImage*>(graphic.get());
        ASSERT_NE(image, nullptr);
        const Listed got = Properties(*image);
        EXPECT_EQ(got.version, want.version);
        EXPECT_EQ(got.size, want.size);
        EXPECT_EQ(got.frames, want.frames);
        EXPECT_EQ(got.gct, want.gct);
        EXPECT_EQ(got.lct, want.lct);
        EXPECT_EQ(got.loop, want.loop);
        EXPECT_EQ(got.transp, want.transp);
        for (int i = 0, shown = 0; i < image->FrameCount(); ++i) {
            if (image->Frame(i).Empty()) continue;
            EXPECT_EQ(DifferencesFromNetpbm(file, image->Frame(i), shown++, dir), 0) << "frame " << i;
        }
        if (image->FrameCount() == 1) {
            EXPECT_EQ(DifferencesFromGiflib(file, *image, dir), 0);
        }
    }
}

namespace {

struct RoundTrip {
    int width, height, colors;
    bool interlaced;
    int encoding;
    // Runs of one colour instead of noise.
    bool runs;
};

void Build(GIFImage& image, const RoundTrip& c, std::mt19937& random) {
    std::vector<QRgb> palette;
    for (int i = 0; i < c.colors; ++i)
        palette.push_back(qRgb(i, (37 * i + 11) & 255, (101 * i + 53) & 255));
    image.Header().ColorMap().LoadFromPalette(palette);
    auto frame = std::make_unique<GIFSubImage>(image);
    frame->SetBounds(0, 0, c.width, c.height);
    frame->SetInterlaced(c.interlaced);
    int value = 0;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            if (!c.runs || random() % 97 == 0) value = int(random() % unsigned(c.colors));
            frame->ScanLine(y)[x] = uint8_t(value);
        }
    image.Add(std::move(frame));
    image.SetEncoding(c.encoding);
}

// The screen as giflib decodes it, one colour per pixel.
std::vector<QRgb> GiflibPixels(const fs::path& file, const TempDir& dir) {
    const fs::path rgb = dir / "trip.rgb";
    std::filesystem::remove(rgb);
    RunCommand("gif2rgb -1 -o " + Quoted(rgb) + " " + Quoted(file) + " 2>&1");
    std::ifstream in(rgb, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<QRgb> pixels;
    for (size_t at = 0; at + 2 < bytes.size(); at += 3)
        pixels.push_back(qRgb(uint8_t(bytes[at]), uint8_t(bytes[at + 1]), uint8_t(bytes[at + 2])));
    return pixels;
}

} // namespace

TEST(GifPeers, WhatWeWriteDecodesIdenticallyInOursGiflibAndGifsicle) {
    if (!HavePeers()) GTEST_SKIP() << "giflib-tools or gifsicle is not installed";
    std::vector<RoundTrip> cases;
    for (int encoding : {0, 1}) {
        for (int width : {1, 3, 255, 4096})
            cases.push_back({width, 3, 256, false, encoding, false}); // 4096 x 3 of noise: over 4095 strings
        for (int height : {1, 2, 3, 4, 5})
            cases.push_back({7, height, 16, true, encoding, false});
        cases.push_back({255, 40, 4, false, encoding, true});
        cases.push_back({4096, 16, 2, false, encoding, true}); // runs far longer than any table string
        cases.push_back({64, 64, 5, true, encoding, true});
    }
    std::mt19937 random(17);
    TempDir dir;
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << " colours " << c.colors << " interlaced "
                     << c.interlaced << " encoding " << c.encoding << " runs " << c.runs);
        GIFImage image;
        Build(image, c, random);
        const std::string bytes = Save(image);
        const std::vector<QRgb> want = FrameColors(image.Frame(0));

        GIFImage ours;
        ASSERT_EQ(Load(ours, bytes), "");
        EXPECT_EQ(ours.Frame(0).Data(), image.Frame(0).Data());

        const fs::path file = dir / "trip.gif";
        WriteFileBytes(file, bytes);
        EXPECT_EQ(GiflibPixels(file, dir), want);

        // gifsicle decodes the pixels to mirror them and writes its own coding of the result.
        const fs::path mirrored = dir / "mirrored.gif";
        int status = 0;
        const std::string report = RunCommand(
            "gifsicle --flip-horizontal " + Quoted(file) + " -o " + Quoted(mirrored) + " 2>&1", &status);
        EXPECT_EQ(status, 0) << report;
        EXPECT_EQ(report, "");
        std::vector<QRgb> back = GiflibPixels(mirrored, dir);
        ASSERT_EQ(back.size(), want.size());
        for (int y = 0; y < c.height; ++y)
            std::reverse(back.begin() + y * c.width, back.begin() + (y + 1) * c.width);
        EXPECT_EQ(back, want);
    }
}
