#include "formats/gif/gif_reduce.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Rows to come and the one being done, each with a margin for the kernel's reach on both sides.
int KernelReach(const DitherKernel& kernel) {
    int reach = 0;
    for (int i = 0; i < kernel.Count; ++i)
        reach = std::max(reach, std::abs(kernel.Shares[static_cast<size_t>(i)].Column));
    return reach;
}

int KernelRows(const DitherKernel& kernel) {
    int rows = 0;
    for (int i = 0; i < kernel.Count; ++i)
        rows = std::max(rows, kernel.Shares[static_cast<size_t>(i)].Row);
    return rows + 1;
}

std::vector<QRgb> Greys(std::initializer_list<int> levels) {
    std::vector<QRgb> palette;
    for (int level : levels)
        palette.push_back(qRgb(level, level, level));
    return palette;
}

std::vector<QRgb> QuantizedPalette(const QImage& source, int colors) {
    ColorQuantizer quantizer(colors);
    for (int y = 0; y < source.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x)
            quantizer.AddColor(qRed(row[x]), qGreen(row[x]), qBlue(row[x]));
    }
    std::vector<QRgb> palette = quantizer.Palette();
    // Colours without a leaf stay black.
    palette.resize(static_cast<size_t>(colors), qRgb(0, 0, 0));
    return palette;
}

// The palette of a method and the lookup that maps colours into it.
struct Reduction {
    std::vector<QRgb> Palette;
    std::unique_ptr<ColorLookup> Lookup;
};

Reduction ReductionFor(const QImage& source, ColorReduction method, int quantizeBits,
                       const std::vector<QRgb>& given) {
    auto fast = [](std::vector<QRgb> palette) {
        auto lookup = std::make_unique<FastColorLookup>(palette);
        return Reduction{std::move(palette), std::move(lookup)};
    };
    switch (method) {
    case ColorReduction::crSystem20:
        return fast(SystemPalette20());
    case ColorReduction::crHalftone:
        return fast(HalftonePalette());
    case ColorReduction::crGrey4:
        return fast(Greys({0, 128, 192, 255}));
    case ColorReduction::crBlackWhite:
        return {Greys({0, 255}), std::make_unique<MonochromeLookup>()};
    case ColorReduction::crGrey256: {
        std::vector<QRgb> greys;
        for (int i = 0; i < 256; ++i)
            greys.push_back(qRgb(i, i, i));
        return {greys, std::make_unique<GrayScaleLookup>()};
    }
    case ColorReduction::crWeb216:
        return {WebPalette(), std::make_unique<NetscapeColorLookup>()};
    case ColorReduction::crQuantize:
        return fast(QuantizedPalette(source, 1 << std::clamp(quantizeBits, 1, 8)));
    case ColorReduction::crQuantize256: {
        // The system colours keep their places at both ends around 236 quantized ones.
        const std::vector<QRgb>& system = SystemPalette20();
        std::vector<QRgb> palette(system.begin(), system.begin() + 10);
        const std::vector<QRgb> quantized = QuantizedPalette(source, 236);
        palette.insert(palette.end(), quantized.begin(), quantized.end());
        palette.insert(palette.end(), system.begin() + 10, system.end());
        return fast(palette);
    }
    case ColorReduction::crGivenPalette:
        if (given.empty()) return {};
        return fast(std::vector<QRgb>(given.begin(), given.begin() + std::min<ptrdiff_t>(256, ssize(given))));
    case ColorReduction::crNone:
        break;
    }
    return {};
}

} // namespace

const std::vector<QRgb>& WebPalette() {
    static const std::vector<QRgb> palette = [] {
        std::vector<QRgb> p;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back(qRgb(r * 51, g * 51, b * 51));
        return p;
    }();
    return palette;
}

const std::vector<QRgb>& SystemPalette20() {
    static const std::vector<QRgb> palette = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192),
        qRgb(192, 220, 192), qRgb(166, 202, 240), qRgb(255, 251, 240), qRgb(160, 160, 164),
        qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),     qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255),   qRgb(255, 255, 255)};
    return palette;
}

const std::vector<QRgb>& HalftonePalette() {
    static const std::vector<QRgb> palette = [] {
        const std::vector<QRgb>& system = SystemPalette20();
        std::vector<QRgb> p(system.begin(), system.begin() + 10);
        p.insert(p.end(), WebPalette().begin(), WebPalette().end());
        for (int gap = 0; gap < 5; ++gap)
            for (int step = 1; step <= 4; ++step) {
                const int level = gap * 51 + (step * 51 + 2) / 5;
                p.push_back(qRgb(level, level, level));
            }
        p.insert(p.end(), system.begin() + 10, system.end());
        return p;
    }();
    return palette;
}

FastColorLookup::FastColorLookup(const std::vector<QRgb>& palette)
    : ColorLookup(static_cast<int>(std::min<size_t>(palette.size(), 256))),
      palette_(palette.begin(), palette.begin() + Colors()), cache_(32768, 0xFFFF) {
    // Every entry answers for its own colour; the lowest index wins.
    for (size_t i = 0; i < palette_.size(); ++i) {
        uint16_t& slot =
            cache_[static_cast<size_t>(Key(qRed(palette_[i]), qGreen(palette_[i]), qBlue(palette_[i])))];
        if (slot == 0xFFFF) slot = static_cast<uint16_t>(i);
    }
}

LookupResult FastColorLookup::Lookup(int red, int green, int blue) {
    uint16_t& slot = cache_[static_cast<size_t>(Key(red, green, blue))];
    if (slot == 0xFFFF) {
        int best = 0, bestDistance = 1 << 30;
        for (size_t i = 0; i < palette_.size(); ++i) {
            const QRgb c = palette_[i];
            const int distance =
                std::abs(qRed(c) - red) + std::abs(qGreen(c) - green) + std::abs(qBlue(c) - blue);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(i);
            }
        }
        slot = static_cast<uint16_t>(best);
    }
    const QRgb c = palette_[slot];
    return {slot, qRed(c), qGreen(c), qBlue(c)};
}

LookupResult NetscapeColorLookup::Lookup(int red, int green, int blue) {
    const int r = (red + 3) / 51, g = (green + 3) / 51, b = (blue + 3) / 51;
    return {36 * r + 6 * g + b, r * 51, g * 51, b * 51};
}

LookupResult GrayScaleLookup::Lookup(int red, int green, int blue) {
    const int grey = (77 * red + 150 * green + 29 * blue) / 256;
    return {grey, grey, grey, grey};
}

LookupResult MonochromeLookup::Lookup(int red, int green, int blue) {
    if (77 * red + 150 * green + 29 * blue < 32513) return {0, 0, 0, 0};
    return {1, 255, 255, 255};
}

LookupResult DitherEngine::Dither(int red, int green, int blue) {
    column_ += direction_;
    return Look(red, green, blue);
}

void DitherEngine::NextLine() {
    direction_ = -direction_;
    column_ = direction_ > 0 ? 0 : width_ - 1;
}

// Floyd-Steinberg: 7 ahead; 3, 5 and 1 on the next row.
const DitherKernel kFloydSteinbergKernel = {16, 4, {{{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}}};
const DitherKernel kStuckiKernel = {42,
                                    12,
                                    {{{0, 1, 8},
                                      {0, 2, 4},
                                      {1, -2, 2},
                                      {1, -1, 4},
                                      {1, 0, 8},
                                      {1, 1, 4},
                                      {1, 2, 2},
                                      {2, -2, 1},
                                      {2, -1, 2},
                                      {2, 0, 4},
                                      {2, 1, 2},
                                      {2, 2, 1}}}};
const DitherKernel kSierraKernel = {32,
                                    10,
                                    {{{0, 1, 5},
                                      {0, 2, 3},
                                      {1, -2, 2},
                                      {1, -1, 4},
                                      {1, 0, 5},
                                      {1, 1, 4},
                                      {1, 2, 2},
                                      {2, -1, 2},
                                      {2, 0, 3},
                                      {2, 1, 2}}}};
const DitherKernel kJaJuNiKernel = {48,
                                    12,
                                    {{{0, 1, 7},
                                      {0, 2, 5},
                                      {1, -2, 3},
                                      {1, -1, 5},
                                      {1, 0, 7},
                                      {1, 1, 5},
                                      {1, 2, 3},
                                      {2, -2, 1},
                                      {2, -1, 3},
                                      {2, 0, 5},
                                      {2, 1, 3},
                                      {2, 2, 1}}}};
const DitherKernel kSteveArcheKernel = {200,
                                        12,
                                        {{{0, 2, 32},
                                          {1, -3, 12},
                                          {1, -1, 26},
                                          {1, 1, 30},
                                          {1, 3, 16},
                                          {2, -2, 12},
                                          {2, 0, 26},
                                          {2, 2, 12},
                                          {3, -3, 5},
                                          {3, -1, 12},
                                          {3, 1, 12},
                                          {3, 3, 5}}}};
const DitherKernel kBurkesKernel = {
    32, 7, {{{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}}};

ErrorDiffusionDitherer::ErrorDiffusionDitherer(int width, ColorLookup& lookup, const DitherKernel& kernel)
    : DitherEngine(width, lookup), kernel_(kernel), margin_(KernelReach(kernel)),
      errors_(static_cast<size_t>(KernelRows(kernel)),
              std::vector<std::array<int, 3>>(static_cast<size_t>(width + 2 * margin_))) {}

LookupResult ErrorDiffusionDitherer::Dither(int red, int green, int blue) {
    const size_t at = static_cast<size_t>(column_ + margin_);
    const std::array<int, 3>& error = errors_[0][at];
    const int half = kernel_.Divisor / 2;
    const int r = std::clamp(red + (error[0] + half) / kernel_.Divisor, 0, 255);
    const int g = std::clamp(green + (error[1] + half) / kernel_.Divisor, 0, 255);
    const int b = std::clamp(blue + (error[2] + half) / kernel_.Divisor, 0, 255);
    const LookupResult chosen = Look(r, g, b);
    const int diff[3] = {r - chosen.Red, g - chosen.Green, b - chosen.Blue};
    for (int i = 0; i < kernel_.Count; ++i) {
        const DitherKernel::Share& share = kernel_.Shares[static_cast<size_t>(i)];
        std::array<int, 3>& target =
            errors_[static_cast<size_t>(share.Row)]
                   [static_cast<size_t>(column_ + margin_ + share.Column * direction_)];
        for (size_t c = 0; c < 3; ++c)
            target[c] += share.Weight * diff[c];
    }
    column_ += direction_;
    return chosen;
}

void ErrorDiffusionDitherer::NextLine() {
    std::rotate(errors_.begin(), errors_.begin() + 1, errors_.end());
    std::fill(errors_.back().begin(), errors_.back().end(), std::array<int, 3>{});
    DitherEngine::NextLine();
}

std::unique_ptr<DitherEngine> CreateDitherer(DitherMode kind, int width, ColorLookup& lookup) {
    switch (kind) {
    case DitherMode::dkNearest:
        return std::make_unique<DitherEngine>(width, lookup);
    case DitherMode::dkFloydSteinberg:
        return std::make_unique<FloydSteinbergDitherer>(width, lookup);
    case DitherMode::dkStucki:
        return std::make_unique<StuckiDitherer>(width, lookup);
    case DitherMode::dkSierra:
        return std::make_unique<SierraDitherer>(width, lookup);
    case DitherMode::dkJaJuNi:
        return std::make_unique<JaJuNiDitherer>(width, lookup);
    case DitherMode::dkSteveArche:
        return std::make_unique<SteveArcheDitherer>(width, lookup);
    case DitherMode::dkBurkes:
        return std::make_unique<BurkesDitherer>(width, lookup);
    }
    return nullptr;
}

struct ColorQuantizer::OctreeNode {
    bool Leaf = false;
    int64_t PixelCount = 0;
    int64_t RedSum = 0;
    int64_t GreenSum = 0;
    int64_t BlueSum = 0;
    OctreeNode* NextReducible = nullptr;
    std::array<std::unique_ptr<OctreeNode>, 8> Children;
};

ColorQuantizer::ColorQuantizer(int maxColors, int colorBits)
    : maxColors_(maxColors), colorBits_(std::clamp(colorBits, 1, 8)) {
    root_.reset(NewNode(0));
}

ColorQuantizer::~ColorQuantizer() = default;

ColorQuantizer::OctreeNode* ColorQuantizer::NewNode(int level) {
    auto* node = new OctreeNode;
    if (level == colorBits_) {
        node->Leaf = true;
        ++leafCount_;
    } else {
        node->NextReducible = reducible_[static_cast<size_t>(level)];
        reducible_[static_cast<size_t>(level)] = node;
    }
    return node;
}

void ColorQuantizer::AddColor(int red, int green, int blue) {
    OctreeNode* node = root_.get();
    for (int level = 0; !node->Leaf; ++level) {
        const int shift = 7 - level;
        const size_t child = static_cast<size_t>(((red >> shift) & 1) << 2 | ((green >> shift) & 1) << 1 |
                                                 ((blue >> shift) & 1));
        if (!node->Children[child]) node->Children[child].reset(NewNode(level + 1));
        node = node->Children[child].get();
    }
    ++node->PixelCount;
    node->RedSum += red;
    node->GreenSum += green;
    node->BlueSum += blue;
    while (leafCount_ > maxColors_ && Reduce()) {
    }
}

bool ColorQuantizer::Reduce() {
    int level = colorBits_ - 1;
    while (level > 0 && !reducible_[static_cast<size_t>(level)])
        --level;
    OctreeNode* node = reducible_[static_cast<size_t>(level)];
    if (!node) return false;
    reducible_[static_cast<size_t>(level)] = node->NextReducible;
    int children = 0;
    for (auto& child : node->Children) {
        if (!child) continue;
        node->PixelCount += child->PixelCount;
        node->RedSum += child->RedSum;
        node->GreenSum += child->GreenSum;
        node->BlueSum += child->BlueSum;
        child.reset();
        ++children;
    }
    node->Leaf = true;
    leafCount_ -= children - 1;
    return true;
}

std::vector<QRgb> ColorQuantizer::Palette() const {
    std::vector<QRgb> palette;
    auto walk = [&](const auto& self, const OctreeNode& node) -> void {
        if (node.Leaf) {
            if (node.PixelCount > 0)
                palette.push_back(qRgb(static_cast<int>(node.RedSum / node.PixelCount),
                                       static_cast<int>(node.GreenSum / node.PixelCount),
                                       static_cast<int>(node.BlueSum / node.PixelCount)));
            return;
        }
        for (const auto& child : node.Children)
            if (child) self(self, *child);
    };
    walk(walk, *root_);
    return palette;
}

Bitmap ReduceColors(const QImage& source, ColorReduction method, DitherMode dither, int quantizeBits,
                    const std::vector<QRgb>& palette) {
    Bitmap result;
    if (method == ColorReduction::crNone) {
        result.Assign(source, PixelFormat::pf24bit);
        return result;
    }
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    Reduction reduction = ReductionFor(rgb, method, quantizeBits, palette);
    if (!reduction.Lookup) return result;
    std::unique_ptr<DitherEngine> ditherer = CreateDitherer(dither, rgb.width(), *reduction.Lookup);
    if (!ditherer) return result;
    result.SetPixelFormat(PixelFormat::pf8bit);
    result.SetSize(rgb.width(), rgb.height());
    result.Palette() = reduction.Palette;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uint8_t* out = result.ScanLine(y);
        for (int i = 0; i < rgb.width(); ++i) {
            const int x = ditherer->Column();
            out[x] = static_cast<uint8_t>(ditherer->Dither(qRed(in[x]), qGreen(in[x]), qBlue(in[x])).Index);
        }
        ditherer->NextLine();
    }
    return result;
}
