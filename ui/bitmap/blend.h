#pragma once

#include <cstdint>

// A pixel $AARRGGBB; in memory the bytes run B, G, R, A.
using Color32 = uint32_t;

inline uint32_t AlphaOf(Color32 c) {
    return c >> 24;
}
inline Color32 WithAlpha(Color32 c, uint32_t alpha) {
    return (c & 0x00FFFFFF) | (alpha << 24);
}

// The canonical blend. Every channel, alpha included, is combined the same way, and every processor
// variant gives the same bits as these plain routines.

// W = 0 gives Y, W = 255 gives X, else per channel ((X * W + 128) & $FF00) / 256 plus the same of Y
// with 255 - W.
Color32 CombineReg(Color32 x, Color32 y, uint32_t w);
void CombineMem(Color32 x, Color32& b, uint32_t w);
// Foreground over background weighted by the foreground's alpha.
Color32 BlendReg(Color32 f, Color32 b);
void BlendMem(Color32 f, Color32& b);
// The same with a master alpha M scaling the foreground's alpha: W = ((M + 1) * alpha) >> 8.
Color32 BlendRegEx(Color32 f, Color32 b, uint32_t m);
void BlendMemEx(Color32 f, Color32& b, uint32_t m);

// An exact rounded "over" of straight-alpha colours.
Color32 MergeReg(Color32 f, Color32 b);
void MergeMem(Color32 f, Color32& b);
Color32 MergeRegEx(Color32 f, Color32 b, uint32_t m);
void MergeMemEx(Color32 f, Color32& b, uint32_t m);
// X with alpha W merged over Y.
Color32 CombineMergeReg(Color32 x, Color32 y, uint32_t w);
void CombineMergeMem(Color32 x, Color32& b, uint32_t w);
void MergeLine(const Color32* src, Color32* dst, int count);
void MergeLineEx(const Color32* src, Color32* dst, int count, uint32_t m);

// Colour arithmetic, per channel.
Color32 ColorAdd(Color32 a, Color32 b);      // saturating at 255
Color32 ColorSub(Color32 a, Color32 b);      // a - b, not below 0
Color32 ColorDiv(Color32 a, Color32 b);      // b * 256 / a, at most 255; 255 where a is 0
Color32 ColorModulate(Color32 a, Color32 b); // a * b / 256
Color32 ColorMax(Color32 a, Color32 b);
Color32 ColorMin(Color32 a, Color32 b);
Color32 ColorDifference(Color32 a, Color32 b); // |a - b|
Color32 ColorExclusion(Color32 a, Color32 b);  // a + b - a * b / 128

// Processor dispatch: the line routines have vector variants, chosen once at start-up.
enum class BlendProcessor { Scalar, SSE2, AVX2 };

BlendProcessor BestBlendProcessor();
BlendProcessor ActiveBlendProcessor();
// Switches the line routines (tests compare the variants); a processor the machine lacks is refused.
bool UseBlendProcessor(BlendProcessor processor);

// Blends a line of foreground pixels onto the background pixels in place.
void BlendLine(const Color32* src, Color32* dst, int count);
void BlendLineEx(const Color32* src, Color32* dst, int count, uint32_t m);

enum class CombineMode { cmBlend, cmMerge };

// The routines of one combine mode.
struct BlendRoutines {
    Color32 (*BlendReg)(Color32 f, Color32 b);
    void (*BlendMem)(Color32 f, Color32& b);
    Color32 (*CombineReg)(Color32 x, Color32 y, uint32_t w);
    void (*CombineMem)(Color32 x, Color32& b, uint32_t w);
    Color32 (*BlendRegEx)(Color32 f, Color32 b, uint32_t m);
    void (*BlendMemEx)(Color32 f, Color32& b, uint32_t m);
    void (*BlendLine)(const Color32* src, Color32* dst, int count);
    void (*BlendLineEx)(const Color32* src, Color32* dst, int count, uint32_t m);
};

const BlendRoutines& RoutinesFor(CombineMode mode);
