#include "ui/bitmap/blend.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TESSARIN_X86 1
#endif

namespace {

// Per channel ((c * w + 128) & $FF00) in two lanes at once: red and blue, then alpha and green.
inline uint32_t WeighedLanes(Color32 c, uint32_t w, uint32_t shift) {
    return (((c >> shift) & 0x00FF00FF) * w + 0x00800080) & 0xFF00FF00;
}

inline Color32 CombinePlain(Color32 x, Color32 y, uint32_t w) {
    const uint32_t iw = 255 - w;
    const uint32_t rb = (WeighedLanes(x, w, 0) >> 8) + (WeighedLanes(y, iw, 0) >> 8);
    const uint32_t ag = WeighedLanes(x, w, 8) + WeighedLanes(y, iw, 8);
    return rb + ag;
}

inline uint32_t ExWeight(Color32 f, uint32_t m) {
    return (((m & 0xFF) + 1) * AlphaOf(f)) >> 8;
}

inline uint32_t RoundDiv(uint32_t n, uint32_t d) {
    return (2 * n + d) / (2 * d);
}

template <typename Op> Color32 PerChannel(Color32 a, Color32 b, Op op) {
    Color32 r = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        r |= static_cast<Color32>(std::clamp(op(ca, cb), 0, 255)) << shift;
    }
    return r;
}

void BlendLineScalar(const Color32* src, Color32* dst, int count) {
    for (int i = 0; i < count; ++i)
        BlendMem(src[i], dst[i]);
}

void BlendLineExScalar(const Color32* src, Color32* dst, int count, uint32_t m) {
    for (int i = 0; i < count; ++i)
        BlendMemEx(src[i], dst[i], m);
}

#ifdef TESSARIN_X86

// Two pixels in 16-bit lanes: (f * w + 128) >> 8 + (b * (255 - w) + 128) >> 8, with w per pixel in all four
// lanes.
inline __m128i CombineHalfSse2(__m128i f16, __m128i b16, __m128i w16) {
    const __m128i bias = _mm_set1_epi16(0x80);
    const __m128i iw16 = _mm_sub_epi16(_mm_set1_epi16(255), w16);
    const __m128i fx = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(f16, w16), bias), 8);
    const __m128i bx = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(b16, iw16), bias), 8);
    return _mm_add_epi16(fx, bx);
}

// Four pixels combined with weights w (one per 32-bit lane, 0 .. 255), the shortcuts for 0 and 255 included.
inline __m128i Combine4Sse2(__m128i f, __m128i b, __m128i w) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i w2 = _mm_or_si128(w, _mm_slli_epi32(w, 16));
    const __m128i lo =
        CombineHalfSse2(_mm_unpacklo_epi8(f, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi32(w2, w2));
    const __m128i hi =
        CombineHalfSse2(_mm_unpackhi_epi8(f, zero), _mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi32(w2, w2));
    const __m128i mixed = _mm_packus_epi16(lo, hi);
    const __m128i full = _mm_cmpeq_epi32(w, _mm_set1_epi32(255));
    const __m128i none = _mm_cmpeq_epi32(w, zero);
    const __m128i keep = _mm_or_si128(full, none);
    return _mm_or_si128(_mm_andnot_si128(keep, mixed),
                        _mm_or_si128(_mm_and_si128(full, f), _mm_and_si128(none, b)));
}

void BlendLineSse2(const Color32* src, Color32* dst, int count) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), Combine4Sse2(f, b, _mm_srli_epi32(f, 24)));
    }
    BlendLineScalar(src + i, dst + i, count - i);
}

void BlendLineExSse2(const Color32* src, Color32* dst, int count, uint32_t m) {
    const __m128i m1 = _mm_set1_epi32(static_cast<int>(m + 1));
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i w = _mm_srli_epi32(_mm_mullo_epi16(_mm_srli_epi32(f, 24), m1), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), Combine4Sse2(f, b, w));
    }
    BlendLineExScalar(src + i, dst + i, count - i, m);
}

#define TESSARIN_AVX2 __attribute__((target("avx2")))

TESSARIN_AVX2 inline __m256i CombineHalfAvx2(__m256i f16, __m256i b16, __m256i w16) {
    const __m256i bias = _mm256_set1_epi16(0x80);
    const __m256i iw16 = _mm256_sub_epi16(_mm256_set1_epi16(255), w16);
    const __m256i fx = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(f16, w16), bias), 8);
    const __m256i bx = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(b16, iw16), bias), 8);
    return _mm256_add_epi16(fx, bx);
}

TESSARIN_AVX2 inline __m256i Combine8Avx2(__m256i f, __m256i b, __m256i w) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i w2 = _mm256_or_si256(w, _mm256_slli_epi32(w, 16));
    const __m256i lo = CombineHalfAvx2(_mm256_unpacklo_epi8(f, zero), _mm256_unpacklo_epi8(b, zero),
                                       _mm256_unpacklo_epi32(w2, w2));
    const __m256i hi = CombineHalfAvx2(_mm256_unpackhi_epi8(f, zero), _mm256_unpackhi_epi8(b, zero),
                                       _mm256_unpackhi_epi32(w2, w2));
    const __m256i mixed = _mm256_packus_epi16(lo, hi);
    const __m256i full = _mm256_cmpeq_epi32(w, _mm256_set1_epi32(255));
    const __m256i none = _mm256_cmpeq_epi32(w, zero);
    const __m256i keep = _mm256_or_si256(full, none);
    return _mm256_or_si256(_mm256_andnot_si256(keep, mixed),
                           _mm256_or_si256(_mm256_and_si256(full, f), _mm256_and_si256(none, b)));
}

TESSARIN_AVX2 void BlendLineAvx2(const Color32* src, Color32* dst, int count) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                            Combine8Avx2(f, b, _mm256_srli_epi32(f, 24)));
    }
    BlendLineSse2(src + i, dst + i, count - i);
}

TESSARIN_AVX2 void BlendLineExAvx2(const Color32* src, Color32* dst, int count, uint32_t m) {
    const __m256i m1 = _mm256_set1_epi32(static_cast<int>(m + 1));
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        const __m256i w = _mm256_srli_epi32(_mm256_mullo_epi16(_mm256_srli_epi32(f, 24), m1), 8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Combine8Avx2(f, b, w));
    }
    BlendLineExSse2(src + i, dst + i, count - i, m);
}

#endif

struct LineRoutines {
    void (*line)(const Color32*, Color32*, int);
    void (*lineEx)(const Color32*, Color32*, int, uint32_t);
};

bool Supported(BlendProcessor processor) {
#ifdef TESSARIN_X86
    switch (processor) {
    case BlendProcessor::Scalar:
        return true;
    case BlendProcessor::SSE2:
        return __builtin_cpu_supports("sse2");
    case BlendProcessor::AVX2:
        return __builtin_cpu_supports("avx2");
    }
    return false;
#else
    return processor == BlendProcessor::Scalar;
#endif
}

LineRoutines RoutinesOf(BlendProcessor processor) {
#ifdef TESSARIN_X86
    if (processor == BlendProcessor::AVX2) return {BlendLineAvx2, BlendLineExAvx2};
    if (processor == BlendProcessor::SSE2) return {BlendLineSse2, BlendLineExSse2};
#endif
    return {BlendLineScalar, BlendLineExScalar};
}

// TESSARIN_BLEND=scalar forces the plain routines (for checking them on vector machines).
BlendProcessor StartupProcessor() {
    const char* forced = std::getenv("TESSARIN_BLEND");
    if (forced && std::string_view(forced) == "scalar") return BlendProcessor::Scalar;
    return BestBlendProcessor();
}

struct Dispatch {
    BlendProcessor processor = StartupProcessor();
    LineRoutines routines = RoutinesOf(processor);
};

Dispatch& Active() {
    static Dispatch dispatch;
    return dispatch;
}

} // namespace

Color32 CombineReg(Color32 x, Color32 y, uint32_t w) {
    w &= 0xFF;
    if (w == 0) return y;
    if (w == 255) return x;
    return CombinePlain(x, y, w);
}

void CombineMem(Color32 x, Color32& b, uint32_t w) {
    b = CombineReg(x, b, w);
}

Color32 BlendReg(Color32 f, Color32 b) {
    return CombineReg(f, b, AlphaOf(f));
}

void BlendMem(Color32 f, Color32& b) {
    b = BlendReg(f, b);
}

Color32 BlendRegEx(Color32 f, Color32 b, uint32_t m) {
    return CombineReg(f, b, ExWeight(f, m));
}

void BlendMemEx(Color32 f, Color32& b, uint32_t m) {
    b = BlendRegEx(f, b, m);
}

Color32 MergeReg(Color32 f, Color32 b) {
    const uint32_t fa = AlphaOf(f);
    const uint32_t ba = AlphaOf(b);
    if (fa == 255 || ba == 0) return f;
    if (fa == 0) return b;
    // Colour = (Fc Fa 255 + Bc Ba (255 - Fa)) / (Ra 255) with Ra 255 = Fa 255 + Ba (255 - Fa).
    const uint32_t fw = fa * 255;
    const uint32_t bw = ba * (255 - fa);
    const uint32_t d = fw + bw;
    Color32 r = RoundDiv(d, 255) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t n = ((f >> shift) & 0xFF) * fw + ((b >> shift) & 0xFF) * bw;
        r |= RoundDiv(n, d) << shift;
    }
    return r;
}

void MergeMem(Color32 f, Color32& b) {
    b = MergeReg(f, b);
}

Color32 MergeRegEx(Color32 f, Color32 b, uint32_t m) {
    return MergeReg(WithAlpha(f, RoundDiv(AlphaOf(f) * (m & 0xFF), 255)), b);
}

void MergeMemEx(Color32 f, Color32& b, uint32_t m) {
    b = MergeRegEx(f, b, m);
}

Color32 CombineMergeReg(Color32 x, Color32 y, uint32_t w) {
    return MergeReg(WithAlpha(x, w & 0xFF), y);
}

void CombineMergeMem(Color32 x, Color32& b, uint32_t w) {
    b = CombineMergeReg(x, b, w);
}

void MergeLine(const Color32* src, Color32* dst, int count) {
    for (int i = 0; i < count; ++i)
        MergeMem(src[i], dst[i]);
}

void MergeLineEx(const Color32* src, Color32* dst, int count, uint32_t m) {
    for (int i = 0; i < count; ++i)
        MergeMemEx(src[i], dst[i], m);
}

Color32 ColorAdd(Color32 a, Color32 b) {
    return PerChannel(a, b, [](int x, int y) { return x + y; });
}
Color32 ColorSub(Color32 a, Color32 b) {
    return PerChannel(a, b, [](int x, int y) { return x - y; });
}
Color32 ColorDiv(Color32 a, Color32 b) {
    return PerChannel(a, b, [](int x, int y) { return x == 0 ? 255 : (y << 8) / x; });
}
Color32 ColorModulate(Color32 a, Color32 b) {
    return PerChannel(a, b, [](int x, int y) { return (x * y) >> 8; });
}
Color32 ColorMax(Color32 a, Color32 b) {
    return PerChannel(a, b, [](int x, int y) { return std::max(x, y); });
}
Color32 ColorMin(Color32 a, Color32 b) {
    return PerChannel(a, b, [](int x, int y) { return std::min(x, y); });
}
Color32 ColorDifference(Color32 a, Color32 b) {
    return PerChannel(a, b, [](int x, int y) { return std::abs(x - y); });
}
Color32 ColorExclusion(Color32 a, Color32 b) {
    return PerChannel(a, b, [](int x, int y) { return x + y - ((x * y) >> 7); });
}

BlendProcessor BestBlendProcessor() {
    if (Supported(BlendProcessor::AVX2)) return BlendProcessor::AVX2;
    if (Supported(BlendProcessor::SSE2)) return BlendProcessor::SSE2;
    return BlendProcessor::Scalar;
}

BlendProcessor ActiveBlendProcessor() {
    return Active().processor;
}

bool UseBlendProcessor(BlendProcessor processor) {
    if (!Supported(processor)) return false;
    Active().processor = processor;
    Active().routines = RoutinesOf(processor);
    return true;
}

void BlendLine(const Color32* src, Color32* dst, int count) {
    Active().routines.line(src, dst, count);
}

void BlendLineEx(const Color32* src, Color32* dst, int count, uint32_t m) {
    Active().routines.lineEx(src, dst, count, m & 0xFF);
}

const BlendRoutines& RoutinesFor(CombineMode mode) {
    static const BlendRoutines blend{BlendReg,   BlendMem,   CombineReg, CombineMem,
                                     BlendRegEx, BlendMemEx, BlendLine,  BlendLineEx};
    static const BlendRoutines merge{MergeReg,   MergeMem,   CombineMergeReg, CombineMergeMem,
                                     MergeRegEx, MergeMemEx, MergeLine,       MergeLineEx};
    return mode == CombineMode::cmMerge ? merge : blend;
}
