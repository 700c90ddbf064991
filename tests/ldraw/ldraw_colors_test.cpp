#include <gtest/gtest.h>

#include "ldraw/ldraw_colors.h"
#include "platform/fs.h"
#include "support/test_support.h"

namespace {

struct Pair {
    RGBA fill, alternate;
};

constexpr RGBA Opaque(uint8_t r, uint8_t g, uint8_t b) {
    return {r, g, b, 255};
}

class LDrawColoursTest : public ::testing::Test {
  protected:
    void Load(const std::string& text) {
        WriteFileBytes(dir / "ldconfig.ldr", text);
        ASSERT_TRUE(colours.Load(dir / "ldconfig.ldr"));
    }
    Pair Colour(int code) const {
        Pair p;
        colours.RGBAOf(code, p.fill, p.alternate);
        return p;
    }
    int EdgeColourOf(int code) const { return colours.EdgeOf(code); }
    TempDir dir;
    LDrawColours colours;
};

TEST_F(LDrawColoursTest, BuiltInRulesWithoutConfiguration) {
    EXPECT_EQ(Colour(4).fill, Opaque(204, 0, 0));
    EXPECT_EQ(Colour(4).alternate, Opaque(204, 0, 0));
    EXPECT_EQ(EdgeColourOf(4), 12);
    // 32..47 not in the table: the fill of code - 32, every other pixel clear.
    EXPECT_EQ(Colour(38).fill, Opaque(102, 51, 0));
    EXPECT_EQ(Colour(38).alternate.a, 0);
    EXPECT_EQ(Colour(36).alternate, (RGBA{255, 255, 255, 0}));
    // 334 is a table row; 302 dithers the fill of 2 with the alternate of 14 and takes the edge of 2.
    EXPECT_EQ(Colour(334).alternate, Opaque(204, 0, 0));
    EXPECT_EQ(Colour(302).fill, Opaque(0, 127, 51));
    EXPECT_EQ(Colour(302).alternate, Opaque(255, 229, 0));
    EXPECT_EQ(EdgeColourOf(302), 10);
    // Undefined codes paint a white and black checker; 16 and 24 are resolved before lookup.
    EXPECT_EQ(Colour(100).fill, Opaque(255, 255, 255));
    EXPECT_EQ(Colour(100).alternate, Opaque(0, 0, 0));
    EXPECT_EQ(Colour(16).alternate, Opaque(0, 0, 0));
    EXPECT_EQ(EdgeColourOf(100), 12);
    EXPECT_EQ(Colour(-5).fill, Opaque(255, 255, 255));
    EXPECT_EQ(EdgeColourOf(-5), (-5 ^ 8) & 15);
}

TEST_F(LDrawColoursTest, ConfigurationOverridesFirstDefinitionWinsBadLinesSkipped) {
    Load("0 LDraw.org Configuration File\r\n"
         "0 !COLOUR Red  CODE   4   VALUE #C91A09   EDGE #333333\r\n"
         "0 !COLOUR Red_Again CODE 4 VALUE #00FF00 EDGE 5\r\n"
         "   0 !COLOUR Indented CODE 600 VALUE #010203 EDGE 7\r\n"
         "0 !COLOUR Broken CODE x1 VALUE #FFFFFF EDGE 0\r\n"
         "0 !COLOUR BadValue CODE 601 VALUE #GG0000 EDGE 0\r\n"
         "0 !COLOUR Glass CODE 40 VALUE #635F52 EDGE #171316 ALPHA 128\r\n"
         "0 !COLOUR Far CODE 70000 VALUE #0A0B0C EDGE 3\r\n"
         "0 !COLOUR Negative CODE -2 VALUE #0D0E0F EDGE 1\r\n");
    EXPECT_EQ(Colour(4).fill, Opaque(0xC9, 0x1A, 0x09));
    EXPECT_EQ(EdgeColourOf(4), 0); // "#" edge
    EXPECT_EQ(Colour(600).fill, Opaque(1, 2, 3));
    EXPECT_EQ(EdgeColourOf(600), 7);
    // The malformed lines change nothing and stop nothing: built-in rules for 601, later lines still read.
    EXPECT_EQ(Colour(601).fill, Colour((601 - 256) / 16).fill);
    EXPECT_EQ(Colour(40).fill, Opaque(0x63, 0x5F, 0x52));
    EXPECT_EQ(Colour(40).alternate, (RGBA{255, 255, 255, 0}));
    EXPECT_EQ(Colour(70000).fill, Opaque(10, 11, 12));
    EXPECT_EQ(EdgeColourOf(70000), 3);
    EXPECT_EQ(Colour(-2).fill, Opaque(13, 14, 15));
    // A dithered code composes configured colours.
    EXPECT_EQ(Colour(256 + 4 * 16 + 2).fill, Opaque(0xC9, 0x1A, 0x09));
}

TEST_F(LDrawColoursTest, RealConfigurationLoads) {
    ASSERT_TRUE(colours.Load(ShippedData("ldraw/LDConfig.ldr")));
    EXPECT_EQ(Colour(4).fill, Opaque(0xB4, 0x00, 0x00));
    EXPECT_EQ(Colour(0).fill, Opaque(0x1B, 0x2A, 0x34));
    EXPECT_EQ(Colour(47).alternate.a, 0);
    EXPECT_EQ(EdgeColourOf(0), 0);
}

TEST_F(LDrawColoursTest, MissingConfigurationIsReportedOnce) {
    TempDir data, ldraw;
    SetDataDir(data.path());
    TestMessages::Clear();
    colours.Init(ldraw.path(), TestMessages::Prompts());
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_EQ(TestMessages::Shown()[0],
              "Can not find ldconfig.ldr.  Please make sure it is in the same directory as Varnholt.exe\n\r"
              "Your LDraw files will be all black with out this file.");
    // The LDraw folder is the second place looked in, in any letter case.
    WriteFileBytes(ldraw / "LDConfig.ldr", "0 !COLOUR Mine CODE 4 VALUE #123456 EDGE 0\n");
    ClearPathCache();
    TestMessages::Clear();
    colours.Init(ldraw.path(), TestMessages::Prompts());
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    EXPECT_EQ(Colour(4).fill, Opaque(0x12, 0x34, 0x56));
    EXPECT_EQ(CollapseSpaces("0  !COLOUR   a"), "0 !COLOUR a");
}

} // namespace
