#include <chrono>
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>
#include <zlib.h>

#include "ldraw/ldraw_view.h"
#include "ldraw/rasteriser.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "support/test_support.h"

namespace {

// The identity placement at the origin.
const LDrawPose kFlat{{0, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1}};
constexpr float kDegree = std::numbers::pi_v<float> / 180;

std::string Ref(const std::string& name, const std::string& placement = "0 0 0 1 0 0 0 1 0 0 0 1",
                int colour = 16) {
    return "1 " + std::to_string(colour) + " " + placement + " " + name + "\r\n";
}

QStringList Lines(const std::string& text) {
    return SplitLines(QString::fromStdString(text));
}

std::string Dot(int x, int y, int colour = 16) {
    std::string p = std::to_string(x) + " " + std::to_string(y) + " 0 ";
    return "2 " + std::to_string(colour) + " " + p + p + "\r\n";
}

class LDrawViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearPathCache();
        renderer.SetLibrary(library.path());
        renderer.InitTarget(20, 20);
    }
    void Add(const std::string& relative, const std::string& text) {
        WriteFileBytes(library / relative, text);
        ClearPathCache();
    }
    // Model coordinates straight to screen pixels.
    void Render(const std::string& text, int colour = 4) {
        renderer.InitTarget(20, 20);
        renderer.RenderLines(Lines(text), {colour, 1, 0, 0, 0, kFlat});
    }
    std::vector<std::pair<int, int>> Written() {
        std::vector<std::pair<int, int>> out;
        const RenderTarget& t = *renderer.Target();
        for (int y = 0; y < t.height; ++y)
            for (int x = 0; x < t.width; ++x)
                if (t.zBuffer[t.Index(x, y)] != std::numeric_limits<int32_t>::max()) out.emplace_back(x, y);
        return out;
    }
    uint32_t Pixel(int x, int y) {
        const RenderTarget& t = *renderer.Target();
        return t.frameBuffer.GetPixel(x, t.height - 1 - y);
    }
    using Points = std::vector<std::pair<int, int>>;
    TempDir library;
    LDrawRenderer renderer;
};

TEST_F(LDrawViewTest, ComposedTransformAppliesTheFirstThenTheSecond) {
    const float a[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1}, ta[3] = {1, 2, 3};
    const float b[9] = {2, 0, 0, 0, 3, 0, 0, 0, 4}, tb[3] = {-1, 0, 5};
    float m[9], t[3];
    ComposeTransform(ta, a, tb, b, m, t);
    const float p[3] = {5, 7, 11};
    // By hand: A p + tA = (-7+1, 5+2, 11+3) = (-6, 7, 14); then B q + tB = (-13, 21, 61).
    const float expected[3] = {-13, 21, 61};
    for (int r = 0; r < 3; ++r)
        EXPECT_FLOAT_EQ(m[3 * r] * p[0] + m[3 * r + 1] * p[1] + m[3 * r + 2] * p[2] + t[r], expected[r]);
}

TEST_F(LDrawViewTest, ViewRotatesAboutXThenYThenZAndCentres) {
    // (3.5, 1.5, -2.5) about X by 90: (3.5, -2.5, -1.5); about Y: (-1.5, -2.5, -3.5); about Z: (-2.5, 1.5,
    // -3.5).
    renderer.InitTarget(20, 20);
    renderer.RenderLines({"2 4 3.5 1.5 -2.5 3.5 1.5 -2.5"},
                         {4, 1, 90 * kDegree, 90 * kDegree, 90 * kDegree, {}});
    EXPECT_EQ(Written(), (Points{{7, 11}}));
    // Scale multiplies the rotation, not the centre.
    renderer.InitTarget(20, 20);
    renderer.RenderLines({"2 4 1.25 1.25 0 1.25 1.25 0"}, {4, 4, 0, 0, 0, {}});
    EXPECT_EQ(Written(), (Points{{15, 15}}));
    renderer.InitTarget(800, 800);
    renderer.RenderLines({"2 4 0 0 0 0 0 0"}, {4, 1, -45 * kDegree, 35 * kDegree, -30 * kDegree, {}});
    EXPECT_EQ(Pixel(400, 400), 0xCC0000u);
    EXPECT_EQ(renderer.Target()->stats.pixelsWritten, 1);
}

TEST_F(LDrawViewTest, SubFilesAreFoundInPThenPartsThenModelsInAnyCase) {
    Add("p/a.dat", Dot(1, 1));
    Add("parts/a.dat", Dot(2, 2));
    Add("parts/B.dat", Dot(3, 3));
    Add("models/b.dat", Dot(4, 4));
    Add("models/c.dat", Dot(5, 5));
    Add("parts/S/Sub.DAT", Dot(6, 6));
    Add("parts/dir.dat/x", "");
    WriteFileBytes(library.path().parent_path() / "outside.dat", Dot(9, 9));
    Render(Ref("A.DAT") + Ref("b.dat") + Ref("c.dat") + Ref("s\\sub.dat") + Ref("S/SUB.dat") +
           Ref("missing.dat") + Ref("..\\outside.dat") + Ref("dir.dat"));
    EXPECT_EQ(Written(), (Points{{1, 1}, {3, 3}, {5, 5}, {6, 6}}));
    // Read once per run: a changed file on disk is not seen again.
    Add("p/a.dat", Dot(8, 8));
    Render(Ref("a.dat"));
    EXPECT_EQ(Written(), (Points{{1, 1}}));
    // Another library is a fresh start.
    TempDir other;
    WriteFileBytes(other / "p" / "a.dat", Dot(10, 10));
    renderer.SetLibrary(other.path());
    Render(Ref("a.dat"));
    EXPECT_EQ(Written(), (Points{{10, 10}}));
    std::filesystem::remove(library.path().parent_path() / "outside.dat");
}

TEST_F(LDrawViewTest, APartAddedToTheLibraryWhileTheProgramRunsIsDrawnByTheNextRender) {
    Add("parts/model.dat", Ref("late.dat") + Ref("s\\late.dat") + Ref("late.dat"));
    Add("parts/s/early.dat", Dot(1, 1));
    for (const char* folder : {"parts/s", "parts", ""})
        std::filesystem::last_write_time(library / folder, std::filesystem::file_time_type::clock::now() -
                                                               std::chrono::hours(1));
    Render(Ref("model.dat"));
    EXPECT_TRUE(Written().empty());
    // Unpacked by the user: no cache is told.
    WriteFileBytes(library / "parts/late.dat", Dot(3, 3));
    WriteFileBytes(library / "parts/s/late.dat", Dot(4, 4));
    Render(Ref("model.dat"));
    EXPECT_EQ(Written(), (Points{{3, 3}, {4, 4}}));
}

TEST_F(LDrawViewTest, ColoursAndPlacementsPassDownThreeLevels) {
    Add("parts/one.dat", Ref("two.dat", "0 2 0 2 0 0 0 1 0 0 0 1"));
    Add("parts/two.dat", Ref("three.dat"));
    Add("parts/three.dat", Dot(3, 3) + Dot(4, 3, 24) + Dot(3, 9, 2));
    Render(Ref("one.dat", "1 0 0 1 0 0 0 1 0 0 0 1"), 4);
    // three.dat at (3,3) -> x 2*3 + 0 + 1 = 7, y 3 + 2 = 5.
    EXPECT_EQ(Pixel(7, 5), 0xCC0000u);  // 16: the top colour, 4
    EXPECT_EQ(Pixel(9, 5), 0xFF5555u);  // 24: the edge of 4, which is 12
    EXPECT_EQ(Pixel(7, 11), 0x007F33u); // an explicit colour stays
    Render(Ref("one.dat", "1 0 0 1 0 0 0 1 0 0 0 1", 14), 4);
    EXPECT_EQ(Pixel(7, 5), 0xFFE500u); // a colour on the reference wins below it
    EXPECT_EQ(Pixel(9, 5), 0x666658u); // and its edge is 8
}

TEST_F(LDrawViewTest, ShortLinesAreSkippedAndUnknownTypesIgnored) {
    Render("2 4 1 1 0 1 1\r\n3 4 0 0 0 9 0 0\r\n9 4 1 2 3\r\n0 STEP\r\n\r\n" + Dot(2, 2, 4));
    EXPECT_EQ(Written(), (Points{{2, 2}}));
    EXPECT_EQ(renderer.Target()->stats.primitives, 1);
}

TEST_F(LDrawViewTest, CyclesDeepChainsAndFanOutEndCleanly) {
    Add("parts/self.dat", Ref("self.dat") + Ref("self.dat") + Dot(1, 1));
    Add("parts/ping.dat", Ref("pong.dat") + Dot(2, 2));
    Add("parts/pong.dat", Ref("ping.dat") + Ref("ping.dat") + Dot(3, 3));
    Render(Ref("self.dat") + Ref("ping.dat"));
    EXPECT_EQ(Written(), (Points{{1, 1}, {2, 2}, {3, 3}}));

    for (int i = 0; i < 70; ++i)
        Add("parts/chain" + std::to_string(i) + ".dat",
            i == 69 ? Dot(4, 4) : Ref("chain" + std::to_string(i + 1) + ".dat"));
    Render(Ref("chain6.dat")); // the last file sits 64 levels down
    EXPECT_EQ(Written(), (Points{{4, 4}}));
    Render(Ref("chain5.dat")); // 65 levels: skipped as if missing
    EXPECT_TRUE(Written().empty());

    // Each level refers to the next twice: 2^40 paths, cut off by the work bound.
    for (int i = 0; i < 40; ++i) {
        std::string next = "fan" + std::to_string(i + 1) + ".dat";
        Add("parts/fan" + std::to_string(i) + ".dat", Ref(next) + Ref(next) + Dot(5, 5));
    }
    Render(Ref("fan0.dat"));
    EXPECT_EQ(Written(), (Points{{5, 5}}));
}

TEST_F(LDrawViewTest, QuadsFoldedOverTheirDiagonalGetAThirdTriangle) {
    const float p1[3] = {0, 0, 0}, p3[3] = {8, 8, 0}, below[3] = {8, 0, 0}, above[3] = {0, 8, 0};
    const float vertical[3] = {0, 8, 0};
    EXPECT_FALSE(SameSideTest(p1, p3, below));
    EXPECT_TRUE(SameSideTest(p1, p3, above));
    EXPECT_TRUE(SameSideTest(p1, vertical, below));
    EXPECT_FALSE(SameSideTest(p1, p3, p3)); // on the line is not below it

    // A bow-tie: p2 and p4 on one side of the diagonal p1-p3; the third triangle fills the lower right.
    Render("4 4 0 0 0 12 12 0 12 0 0 0 12 0");
    Points folded = Written();
    Render("3 4 0 0 0 12 12 0 12 0 0\r\n3 4 0 0 0 12 0 0 0 12 0");
    Points twoTriangles = Written();
    EXPECT_EQ(folded.size(), 13u * 13u);
    EXPECT_LT(twoTriangles.size(), folded.size());
    // A plain square: the pixels of corners 0 to 12 both ways, no third triangle needed.
    Render("4 4 0 0 0 12 0 0 12 12 0 0 12 0\r\n");
    EXPECT_EQ(Written().size(), 13u * 13u);
}

// Edge lines lie on the faces they outline, as optional lines do; both show over them all along.
TEST_F(LDrawViewTest, LinesOnTheirFacesShowAllAlong) {
    // A face sloping away (z = x / 2 + y / 3) drawn first, then an edge and an optional line on it.
    RGBA black, unused;
    renderer.Colours().RGBAOf(0, black, unused);
    const uint32_t lineColour = uint32_t{black.r} << 16 | uint32_t{black.g} << 8 | black.b;
    for (const char* line :
         {"2 0 1 2 1.1666667 17 2 9.1666667", "5 0 2 1 1.3333333 2 17 6.6666667 0 0 0 1 0 0"}) {
        Render(std::string("3 4 0 0 0 19 0 9.5 0 19 6.3333333\r\n") + line);
        int linePixels = 0;
        for (const auto& [x, y] : Written())
            linePixels += Pixel(x, y) == lineColour;
        EXPECT_EQ(linePixels, 17) << line;
    }
}

TEST_F(LDrawViewTest, OptionalLinesOnlyWhereControlPointsShareASide) {
    Render("5 4 2 2 0 10 2 0 5 0 0 6 1 0"); // horizontal, both controls above
    EXPECT_EQ(Written().size(), 9u);
    Render("5 4 2 2 0 10 2 0 5 0 0 6 5 0"); // opposite sides
    EXPECT_TRUE(Written().empty());
    Render("5 4 2 2 0 10 2 0 5 2 0 6 5 0"); // a control on the line: drawn
    EXPECT_EQ(Written().size(), 9u);
    Render("5 4 3 1 0 3 9 0 1 5 0 7 5 0"); // vertical, opposite sides
    EXPECT_TRUE(Written().empty());
    Render("5 4 1 1 0 9 5 0 2 6 0 9 9 0"); // sloped, both below
    EXPECT_FALSE(Written().empty());
    Render("5 4 1 1 0 9 5 0 2 6 0 9 0 0"); // sloped, opposite sides
    EXPECT_TRUE(Written().empty());
    Render("5 4 4 4 0 4 4 0 0 0 0 9 9 0"); // ends coincide
    EXPECT_TRUE(Written().empty());
}

TEST_F(LDrawViewTest, LibraryFoldersAndPartFiles) {
    TempDir plain, exe;
    EXPECT_FALSE(IsLDrawLibrary(plain.path()));
    WriteFileBytes(exe / "LDraw.Exe", "");
    EXPECT_TRUE(IsLDrawLibrary(exe.path()));
    Add("PARTS/3001.DAT", Dot(1, 1));
    EXPECT_FALSE(IsLDrawLibrary(library.path()));
    Add("P/stud.dat", "");
    EXPECT_TRUE(IsLDrawLibrary(library.path()));
    EXPECT_EQ(LDrawPartFile(library.path(), "3001"), library.path() / "PARTS" / "3001.DAT");
    for (const char* bad : {"", "../3001", "s\\..\\..\\3001", "/etc/passwd", "\\3001", "C:3001", "9999"})
        EXPECT_FALSE(LDrawPartFile(library.path(), bad)) << bad;
    EXPECT_THROW(renderer.RenderFile(library / "none.dat", {}), std::runtime_error);
}

// A read failing inside a sub-file ends that render only: the file being drawn must not stay marked as
// such, or every later render would skip it.
TEST_F(LDrawViewTest, AnExceptionInsideASubFileLeavesLaterRendersWhole) {
    Add("parts/outer.dat", Dot(1, 1) + Ref("inner.dat") + Dot(2, 2));
    Add("parts/inner.dat", Dot(3, 3));
    int failures = 1;
    LDrawRenderer failing([&](const std::filesystem::path& path) -> std::optional<QString> {
        if (path.filename() == "inner.dat" && failures-- > 0) throw std::bad_alloc();
        return ReadTextFile(path);
    });
    failing.SetLibrary(library.path());
    failing.InitTarget(20, 20);
    EXPECT_THROW(failing.RenderLines(Lines(Ref("outer.dat")), {4, 1, 0, 0, 0, kFlat}), std::bad_alloc);
    failing.InitTarget(20, 20);
    failing.RenderLines(Lines(Ref("outer.dat") + Ref("outer.dat")), {4, 1, 0, 0, 0, kFlat});
    EXPECT_EQ(failing.Target()->stats.primitives, 6);
}

// Renderers share nothing: each has its own library, cache, colours and target.
TEST_F(LDrawViewTest, RenderersAreIndependent) {
    Add("parts/a.dat", Dot(1, 1));
    TempDir otherLibrary;
    WriteFileBytes(otherLibrary / "parts" / "a.dat", Dot(2, 2));
    WriteFileBytes(otherLibrary / "ldconfig.ldr", "0 !COLOUR Mine CODE 4 VALUE #123456 EDGE 0\n");
    LDrawRenderer other;
    other.SetLibrary(otherLibrary.path());
    ASSERT_TRUE(other.Colours().Load(otherLibrary / "ldconfig.ldr"));
    other.InitTarget(10, 10);
    other.RenderLines(Lines(Ref("a.dat")), {4, 1, 0, 0, 0, kFlat});
    Render(Ref("a.dat"));
    EXPECT_EQ(Written(), (Points{{1, 1}}));
    EXPECT_EQ(Pixel(1, 1), 0xCC0000u);
    EXPECT_EQ(other.Target()->frameBuffer.GetPixel(2, 7), 0x123456u);
    // A picture that cannot be rendered frees only that renderer's target and leaves the picture alone.
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::black);
    EXPECT_FALSE(other.RenderPicture(otherLibrary / "none.dat", {}, picture));
    EXPECT_EQ(other.Target(), nullptr);
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_NE(renderer.Target(), nullptr);
}

// Golden renders of real parts: a checksum of the whole frame buffer at the picture chooser's angles.
uint32_t RenderedChecksum(LDrawRenderer& renderer, const std::string& part, int colour, float scale,
                          int size) {
    renderer.InitTarget(size, size);
    renderer.RenderFile(*LDrawPartFile(renderer.Library(), part),
                        {colour, scale, -45 * kDegree, 35 * kDegree, -30 * kDegree, {}});
    const UniDIB& dib = renderer.Target()->frameBuffer;
    return static_cast<uint32_t>(crc32(0, dib.Bits(), static_cast<uInt>(dib.ImageSize())));
}

// Background pixels the part's pixels enclose, in pieces smaller than a real opening (a Technic hole at
// scale 10 is dozens of pixels): cracks between faces, or between a face and its outline.
int EnclosedSpecks(const RenderTarget& t) {
    constexpr size_t kOpening = 10;
    const int w = t.width, h = t.height;
    std::vector<int> piece(t.zBuffer.size(), 0); // 0: background not yet met, -1: drawn
    for (size_t i = 0; i < piece.size(); ++i)
        if (t.zBuffer[i] != std::numeric_limits<int32_t>::max()) piece[i] = -1;
    int specks = 0, pieces = 0;
    for (size_t start = 0; start < piece.size(); ++start) {
        if (piece[start] != 0) continue;
        // One piece of background by flood fill; it is outside when it touches the border.
        ++pieces;
        std::vector<size_t> pending{start}, members;
        piece[start] = pieces;
        bool outside = false;
        while (!pending.empty()) {
            const size_t i = pending.back();
            pending.pop_back();
            members.push_back(i);
            const int x = static_cast<int>(i % static_cast<size_t>(w)),
                      y = static_cast<int>(i / static_cast<size_t>(w));
            outside |= x == 0 || y == 0 || x == w - 1 || y == h - 1;
            for (const auto& [nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}}) {
                if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                const size_t n = static_cast<size_t>(ny) * static_cast<size_t>(w) + static_cast<size_t>(nx);
                if (piece[n] == 0) {
                    piece[n] = pieces;
                    pending.push_back(n);
                }
            }
        }
        specks += !outside && members.size() < kOpening;
    }
    return specks;
}

// Every part of the sample library, the printed ones with their direct colours and numbers with exponents
// included, renders at scale 10 without a crack.
TEST_F(LDrawViewTest, LibraryPartsAtScaleTenShowNoBackgroundInside) {
    renderer.SetLibrary(ShippedData("ldraw"));
    ASSERT_TRUE(renderer.Colours().Load(renderer.Library() / "LDConfig.ldr"));
    int parts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(renderer.Library() / "parts")) {
        if (entry.path().extension() != ".dat") continue;
        ++parts;
        renderer.InitTarget(800, 800);
        renderer.RenderFile(entry.path(), {4, 10, -45 * kDegree, 35 * kDegree, -30 * kDegree, {}});
        EXPECT_EQ(EnclosedSpecks(*renderer.Target()), 0) << entry.path().filename();
    }
    EXPECT_GT(parts, 90);
}

TEST_F(LDrawViewTest, GoldenRendersOfSampleParts) {
    renderer.SetLibrary(ShippedData("ldraw"));
    ASSERT_TRUE(renderer.Colours().Load(renderer.Library() / "LDConfig.ldr"));
    EXPECT_EQ(RenderedChecksum(renderer, "3001", 4, 4, 400), 3110408450u);
    EXPECT_EQ(RenderedChecksum(renderer, "3039", 1, 4, 400), 4162212514u);
    EXPECT_EQ(RenderedChecksum(renderer, "3626c", 14, 6, 400), 1042620861u);
    // A print in a direct colour (lilac 0x2B0A7D4) shows in it, shaded.
    EXPECT_EQ(RenderedChecksum(renderer, "3009pk1", 4, 2, 400), 1086356648u);
    int lilac = 0;
    const UniDIB& dib = renderer.Target()->frameBuffer;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) {
            const uint32_t p = dib.GetPixel(x, y);
            const int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
            lilac += b > r && r > g && g > 100;
        }
    EXPECT_GT(lilac, 100);

    QImage rendered(160, 160, QImage::Format_RGB32);
    ASSERT_TRUE(renderer.RenderPicture(*LDrawPartFile(renderer.Library(), "3001"),
                                       {4, 1.2f, -45 * kDegree, 35 * kDegree, -30 * kDegree, {}}, rendered));
    QImage golden(QString::fromStdString(TestData("ldraw/3001_red.png").string()));
    ASSERT_FALSE(golden.isNull());
    EXPECT_EQ(rendered, golden.convertToFormat(QImage::Format_RGB32));
}

} // namespace

// Blanks or a TAB after a sub-file name are no part of it.
TEST_F(LDrawViewTest, ReferencesWithTrailingBlanksOrATabResolve) {
    Add("parts/c.dat", Dot(5, 5));
    Add("p/d.dat", Dot(7, 7));
    Render(Ref("c.dat  ") + Ref("D.DAT\t"));
    EXPECT_EQ(Written(), (Points{{5, 5}, {7, 7}}));
}
