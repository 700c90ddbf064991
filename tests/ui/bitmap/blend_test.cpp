#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "ui/bitmap/blend.h"

namespace {

uint32_t Channel(Color32 c, int i) {
    return (c >> (8 * i)) & 0xFF;
}

// Foreground pixels for one weight: every channel value x, spread differently over the channels.
Color32 Fore(uint32_t alpha, uint32_t x) {
    return alpha << 24 | x << 16 | (255 - x) << 8 | (x ^ 0x5A);
}
Color32 Back(uint32_t y) {
    return y << 24 | y << 16 | (y ^ 0xA5) << 8 | (255 - y);
}

std::vector<BlendProcessor> VectorProcessors() {
    std::vector<BlendProcessor> found;
    const BlendProcessor saved = ActiveBlendProcessor();
    for (BlendProcessor p : {BlendProcessor::SSE2, BlendProcessor::AVX2})
        if (UseBlendProcessor(p)) found.push_back(p);
    UseBlendProcessor(saved);
    return found;
}

constexpr size_t kLine = 65535; // odd, so every variant's tail runs too

// Runs `check` with each vector unit in turn, then gives the startup choice back.
void ForEachVectorUnit(const std::function<void()>& check) {
    const std::vector<BlendProcessor> processors = VectorProcessors();
    if (processors.empty()) GTEST_SKIP() << "no vector unit";
    const BlendProcessor saved = ActiveBlendProcessor();
    for (BlendProcessor p : processors) {
        ASSERT_TRUE(UseBlendProcessor(p));
        check();
    }
    UseBlendProcessor(saved);
}

// Lines of every foreground alpha over every channel pair.
void ExpectPlainLines() {
    std::vector<Color32> src(kLine), dst(kLine), want(kLine);
    for (uint32_t alpha = 0; alpha < 256; ++alpha) {
        for (size_t i = 0; i < kLine; ++i) {
            src[i] = Fore(alpha, i & 0xFF);
            dst[i] = want[i] = Back(static_cast<uint32_t>(i) >> 8);
            BlendMem(src[i], want[i]);
        }
        BlendLine(src.data(), dst.data(), kLine);
        ASSERT_EQ(dst, want) << "alpha " << alpha;
    }
}

// Lines under master alpha m of every foreground alpha, over every channel pair or a spread of them.
void ExpectMasterAlphaLines(uint32_t m, bool allPairs) {
    const size_t count = allPairs ? kLine : 259;
    std::vector<Color32> src(count), dst(count), want(count);
    for (uint32_t alpha = 0; alpha < 256; ++alpha) {
        for (size_t i = 0; i < count; ++i) {
            const uint32_t x = i & 0xFF, y = allPairs ? static_cast<uint32_t>(i) >> 8 : (i * 37) & 0xFF;
            src[i] = Fore(alpha, x);
            dst[i] = want[i] = Back(y);
            BlendMemEx(src[i], want[i], m);
        }
        BlendLineEx(src.data(), dst.data(), static_cast<int>(count), m);
        ASSERT_EQ(dst, want) << m << " " << alpha;
    }
}

// The master alphas whose lines are checked over every channel pair.
bool EdgeMasterAlpha(uint32_t m) {
    return m == 0 || m == 1 || m == 128 || m == 254 || m == 255;
}

} // namespace

TEST(Blend, CombineIsExactAtTheEndsAndWithinTwoOfTheRealMixElsewhere) {
    for (uint32_t w = 0; w < 256; ++w)
        for (uint32_t x = 0; x < 256; x += 3)
            for (uint32_t y = 0; y < 256; y += 5) {
                const Color32 cx = Fore(x, x), cy = Back(y);
                const Color32 r = CombineReg(cx, cy, w);
                if (w == 0) {
                    ASSERT_EQ(r, cy);
                }
                if (w == 255) {
                    ASSERT_EQ(r, cx);
                }
                for (int c = 0; c < 4; ++c) { // alpha mixes like the colours
                    const double expected = (Channel(cx, c) * w + Channel(cy, c) * (255.0 - w)) / 255.0;
                    ASSERT_LE(std::abs(Channel(r, c) - expected), 2.0) << w << " " << x << " " << y;
                }
            }
}

TEST(Blend, BlendShortcutsAndMasterAlphaFollowTheForegroundAlpha) {
    EXPECT_EQ(BlendReg(0xFF123456, 0x80ABCDEF), 0xFF123456u);
    EXPECT_EQ(BlendReg(0x00123456, 0x80ABCDEF), 0x80ABCDEFu);
    EXPECT_EQ(BlendReg(0x80FFFFFF, 0x00000000), CombineReg(0x80FFFFFF, 0, 0x80));
    EXPECT_EQ(AlphaOf(BlendReg(0x80FFFFFF, 0x00000000)), 64u);
    // With a master alpha the weight is ((M + 1) * alpha) >> 8; below 1 nothing changes.
    EXPECT_EQ(BlendRegEx(0x01FFFFFF, 0xFF000000, 200), 0xFF000000u);
    EXPECT_EQ(BlendRegEx(0xFF102030, 0xFF000000, 255), 0xFF102030u);
    EXPECT_EQ(BlendRegEx(0xFFFFFFFF, 0xFF000000, 127), CombineReg(0xFFFFFFFF, 0xFF000000, 127));
    Color32 b = 0x40404040;
    BlendMemEx(0x80FFFFFF, b, 0);
    EXPECT_EQ(b, 0x40404040u);
}

// Master alpha: every M with every foreground alpha over a spread of channel pairs; the edge values of M
// over every pair are the slow part.
TEST(Blend, VectorLinesEqualThePlainRoutinesForEveryAlphaAndChannelValue) {
    ForEachVectorUnit([] {
        ExpectPlainLines();
        for (uint32_t m = 0; m < 256; ++m)
            if (!EdgeMasterAlpha(m)) ExpectMasterAlphaLines(m, false);
    });
}

TEST(Blend, SlowVectorLinesEqualThePlainRoutinesForEveryChannelPairAtTheEdgeMasterAlphas) {
    ForEachVectorUnit([] {
        for (uint32_t m = 0; m < 256; ++m)
            if (EdgeMasterAlpha(m)) ExpectMasterAlphaLines(m, true);
    });
}

TEST(Blend, ForcedScalarLinesGiveTheSameBitsAsTheStartupChoice) {
    const BlendProcessor saved = ActiveBlendProcessor();
    EXPECT_EQ(saved, std::getenv("TESSARIN_BLEND") ? BlendProcessor::Scalar : BestBlendProcessor());
    std::vector<Color32> src(1001), fast(1001), plain(1001);
    for (size_t i = 0; i < 1001; ++i) {
        src[i] = Fore(static_cast<uint32_t>(i * 7) & 0xFF, static_cast<uint32_t>(i) & 0xFF);
        fast[i] = plain[i] = Back(static_cast<uint32_t>(i * 13) & 0xFF);
    }
    BlendLineEx(src.data(), fast.data(), 1001, 200);
    ASSERT_TRUE(UseBlendProcessor(BlendProcessor::Scalar));
    EXPECT_EQ(ActiveBlendProcessor(), BlendProcessor::Scalar);
    BlendLineEx(src.data(), plain.data(), 1001, 200);
    UseBlendProcessor(saved);
    EXPECT_EQ(fast, plain);
}

TEST(Blend, MergeIsTheRoundedExactOver) {
    for (uint32_t fa = 0; fa < 256; fa += 3)
        for (uint32_t ba = 0; ba < 256; ba += 5)
            for (uint32_t fc = 0; fc < 256; fc += 17)
                for (uint32_t bc = 0; bc < 256; bc += 15) {
                    const Color32 f = fa << 24 | fc << 16 | fc << 8 | fc;
                    const Color32 b = ba << 24 | bc << 16 | (255 - bc) << 8 | bc;
                    const Color32 r = MergeReg(f, b);
                    if (fa == 255 || ba == 0) {
                        ASSERT_EQ(r, f);
                        continue;
                    }
                    if (fa == 0) {
                        ASSERT_EQ(r, b);
                        continue;
                    }
                    const double d = fa * 255.0 + ba * (255.0 - fa);
                    ASSERT_EQ(AlphaOf(r), static_cast<uint32_t>(std::floor(d / 255 + 0.5)));
                    for (int c = 0; c < 3; ++c) {
                        const double n = fc * fa * 255.0 + Channel(b, c) * ba * (255.0 - fa);
                        ASSERT_EQ(Channel(r, c), static_cast<uint32_t>(std::floor(n / d + 0.5)))
                            << fa << " " << ba << " " << fc << " " << bc;
                    }
                }
    // White over white stays white at every alpha.
    for (uint32_t a = 1; a < 255; ++a)
        EXPECT_EQ(MergeReg(a << 24 | 0xFFFFFF, 0x10FFFFFF) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(MergeRegEx(0xFF102030, 0xFFFFFFFF, 0), 0xFFFFFFFFu);
    EXPECT_EQ(CombineMergeReg(0xFF102030, 0xFF405060, 255), 0xFF102030u);
    Color32 line[2] = {0x80FFFFFF, 0x80FFFFFF};
    RoutinesFor(CombineMode::cmMerge).BlendLine(line, line, 2);
    EXPECT_EQ(line[0], 0xC0FFFFFFu);
}

TEST(Blend, ArithmeticMatchesPerChannelReferences) {
    for (uint32_t a = 0; a < 256; a += 5)
        for (uint32_t b = 0; b < 256; b += 3) {
            const Color32 ca = a * 0x01010101u, cb = b * 0x01010101u;
            const uint32_t ia = a, ib = b;
            EXPECT_EQ(ColorAdd(ca, cb), std::min(ia + ib, 255u) * 0x01010101u);
            EXPECT_EQ(ColorSub(ca, cb), (ia > ib ? ia - ib : 0) * 0x01010101u);
            EXPECT_EQ(ColorDiv(ca, cb), (ia == 0 ? 255 : std::min(ib * 256 / ia, 255u)) * 0x01010101u);
            EXPECT_EQ(ColorModulate(ca, cb), (ia * ib / 256) * 0x01010101u);
            EXPECT_EQ(ColorMax(ca, cb), std::max(ia, ib) * 0x01010101u);
            EXPECT_EQ(ColorMin(ca, cb), std::min(ia, ib) * 0x01010101u);
            EXPECT_EQ(ColorDifference(ca, cb), (ia > ib ? ia - ib : ib - ia) * 0x01010101u);
            EXPECT_EQ(ColorExclusion(ca, cb), (ia + ib - ia * ib / 128) * 0x01010101u);
        }
}
