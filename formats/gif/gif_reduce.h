#pragma once

#include <QImage>
#include <QRgb>
#include <array>
#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"

// The palette a true-colour picture is reduced to.
enum class ColorReduction {
    crNone,
    crSystem20,
    crHalftone,
    crGrey4,
    crBlackWhite,
    crGrey256,
    crWeb216,
    crQuantize,
    crQuantize256,
    crGivenPalette
};

// How the difference between a pixel and its palette colour is spread to the pixels not yet done.
enum class DitherMode { dkNearest, dkFloydSteinberg, dkStucki, dkSierra, dkJaJuNi, dkSteveArche, dkBurkes };

// The 216 colours of 6 levels (0, 51, ... 255) per channel; entry 36 r + 6 g + b.
const std::vector<QRgb>& WebPalette();
// The 20 static colours of the classic system palette: 10 dark ones, then 10 light ones.
const std::vector<QRgb>& SystemPalette20();
// A 256-colour halftone palette: the 10 dark system colours, the web cube, 20 greys between the cube's
// greys (four evenly spaced in each gap) and the 10 light system colours.
const std::vector<QRgb>& HalftonePalette();

// What a lookup chose for a colour: the palette index and that entry's colour.
struct LookupResult {
    int Index = 0;
    int Red = 0;
    int Green = 0;
    int Blue = 0;
};

class ColorLookup {
  public:
    explicit ColorLookup(int colors) : colors_(colors) {}
    virtual ~ColorLookup() = default;
    virtual LookupResult Lookup(int red, int green, int blue) = 0;
    int Colors() const { return colors_; }

  private:
    int colors_;
};

// Nearest entry of any palette by the sum of channel differences, cached per 15-bit colour.
class FastColorLookup : public ColorLookup {
  public:
    explicit FastColorLookup(const std::vector<QRgb>& palette);
    LookupResult Lookup(int red, int green, int blue) override;

  private:
    static int Key(int red, int green, int blue) { return red >> 3 | (green >> 3) << 5 | (blue >> 3) << 10; }
    std::vector<QRgb> palette_;
    std::vector<uint16_t> cache_;
};

// The web palette by arithmetic.
class NetscapeColorLookup : public ColorLookup {
  public:
    NetscapeColorLookup() : ColorLookup(216) {}
    LookupResult Lookup(int red, int green, int blue) override;
};

class GrayScaleLookup : public ColorLookup {
  public:
    GrayScaleLookup() : ColorLookup(256) {}
    LookupResult Lookup(int red, int green, int blue) override;
};

class MonochromeLookup : public ColorLookup {
  public:
    MonochromeLookup() : ColorLookup(2) {}
    LookupResult Lookup(int red, int green, int blue) override;
};

// Looks up the colours of one row after another, each row in the opposite direction of the one before.
// This one diffuses no error.
class DitherEngine {
  public:
    DitherEngine(int width, ColorLookup& lookup) : width_(width), lookup_(lookup) {}
    virtual ~DitherEngine() = default;

    // The colour of the pixel at Column(); moves on to the next column.
    virtual LookupResult Dither(int red, int green, int blue);
    virtual void NextLine();
    // Moves on without looking up (a pixel that stays transparent).
    void Skip() { column_ += direction_; }
    int Column() const { return column_; }
    int Direction() const { return direction_; }
    int Width() const { return width_; }

  protected:
    LookupResult Look(int red, int green, int blue) { return lookup_.Lookup(red, green, blue); }
    int column_ = 0;
    int direction_ = 1;

  private:
    int width_;
    ColorLookup& lookup_;
};

// An error-diffusion kernel: shares of the error for positions (rows below, columns ahead).
struct DitherKernel {
    struct Share {
        int Row;
        int Column;
        int Weight;
    };
    int Divisor;
    int Count;
    std::array<Share, 13> Shares;
};

// Diffuses the error of every pixel to its neighbours by a kernel.
class ErrorDiffusionDitherer : public DitherEngine {
  public:
    ErrorDiffusionDitherer(int width, ColorLookup& lookup, const DitherKernel& kernel);
    LookupResult Dither(int red, int green, int blue) override;
    void NextLine() override;

  private:
    const DitherKernel& kernel_;
    int margin_ = 0;
    // Per row (this one first) and column: the weighted error sums of red, green and blue.
    std::vector<std::vector<std::array<int, 3>>> errors_;
};

extern const DitherKernel kFloydSteinbergKernel;
extern const DitherKernel kStuckiKernel;
extern const DitherKernel kSierraKernel;
extern const DitherKernel kJaJuNiKernel;
extern const DitherKernel kSteveArcheKernel;
extern const DitherKernel kBurkesKernel;

template <const DitherKernel& Kernel> class KernelDitherer : public ErrorDiffusionDitherer {
  public:
    KernelDitherer(int width, ColorLookup& lookup) : ErrorDiffusionDitherer(width, lookup, Kernel) {}
};
using FloydSteinbergDitherer = KernelDitherer<kFloydSteinbergKernel>;
using StuckiDitherer = KernelDitherer<kStuckiKernel>;
using SierraDitherer = KernelDitherer<kSierraKernel>;
using JaJuNiDitherer = KernelDitherer<kJaJuNiKernel>;
using SteveArcheDitherer = KernelDitherer<kSteveArcheKernel>;
using BurkesDitherer = KernelDitherer<kBurkesKernel>;

// The ditherer of a kind; none for an unknown kind.
std::unique_ptr<DitherEngine> CreateDitherer(DitherMode kind, int width, ColorLookup& lookup);

// Octree colour quantizer: colours are added one by one, and the deepest nodes merge whenever there are
// more leaves than colours wanted.
class ColorQuantizer {
  public:
    ColorQuantizer(int maxColors, int colorBits = 8);
    ~ColorQuantizer();
    ColorQuantizer(const ColorQuantizer&) = delete;
    ColorQuantizer& operator=(const ColorQuantizer&) = delete;

    void AddColor(int red, int green, int blue);
    // One colour per leaf, children in order; the average of the pixels it holds.
    std::vector<QRgb> Palette() const;
    int LeafCount() const { return leafCount_; }

  private:
    struct OctreeNode;
    OctreeNode* NewNode(int level);
    // Merges the children of the deepest reducible node; false when no node is left to merge.
    bool Reduce();

    std::unique_ptr<OctreeNode> root_;
    int leafCount_ = 0;
    std::array<OctreeNode*, 9> reducible_{};
    int maxColors_;
    int colorBits_;
};

// The picture reduced to an 8-bit bitmap with the palette of the method (a 24-bit copy for crNone);
// an empty bitmap for an unknown method or dither kind, or an empty palette.
Bitmap ReduceColors(const QImage& source, ColorReduction method, DitherMode dither, int quantizeBits,
                    const std::vector<QRgb>& palette = {});
