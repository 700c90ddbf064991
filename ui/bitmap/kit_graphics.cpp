#include "ui/bitmap/kit_graphics.h"

#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/sys_colors.h"
#include "platform/stream.h"

namespace {

// The colours a deeper picture is reduced to: black and white; the sixteen standard colours; those, a
// 6 x 6 x 6 colour cube and a ramp of greys.
std::vector<QRgb> DefaultPalette(int bits) {
    if (bits == 1) return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    std::vector<QRgb> palette = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (QRgb& colour : palette)
        colour |= 0xFF000000u;
    if (bits == 4) return palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back(qRgb(r * 51, g * 51, b * 51));
    for (int i = 1; palette.size() < 256; ++i)
        palette.push_back(qRgb(i * 10, i * 10, i * 10));
    return palette;
}

int BitsForCount(int colorCount) {
    switch (colorCount) {
    case 0:
        return ColorDepth() <= 8 ? ColorDepth() : 24;
    case 2:
        return 1;
    case 16:
        return 4;
    case 256:
        return 8;
    default:
        return 24;
    }
}

PixelFormat FormatOf(int bits) {
    return bits == 1   ? PixelFormat::pf1bit
           : bits == 4 ? PixelFormat::pf4bit
           : bits == 8 ? PixelFormat::pf8bit
                       : PixelFormat::pf24bit;
}

// The bitmap at another depth: palette pictures that fit keep their indices, others are mapped to the
// nearest colour of the default palette.
Bitmap AtDepth(const Bitmap& bitmap, int bits) {
    Bitmap result;
    result.SetPixelFormat(FormatOf(bits));
    result.SetSize(bitmap.Width(), bitmap.Height());
    const int ownBits = BitsPerPixel(bitmap.Format());
    const bool keepIndices = bits <= 8 && ownBits <= bits;
    if (keepIndices) {
        result.Palette() = bitmap.Palette();
        result.Palette().resize(size_t(1) << bits, qRgb(0, 0, 0));
    } else if (bits <= 8) {
        result.Palette() = DefaultPalette(bits);
    }
    QHash<QRgb, uint8_t> nearest;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const QRgb colour = bitmap.Pixel(x, y) | 0xFF000000u;
            if (bits > 8) {
                result.SetPixel(x, y, colour);
                continue;
            }
            if (keepIndices) {
                result.SetIndex(x, y, bitmap.Index(x, y));
                continue;
            }
            auto found = nearest.constFind(colour);
            if (found == nearest.constEnd()) found = nearest.insert(colour, result.NearestIndex(colour));
            result.SetIndex(x, y, *found);
        }
    return result;
}

// The copies a placement makes of a bitmap inside rect.
std::vector<Rect> Placements(const Rect& rect, int width, int height, unsigned flags) {
    if (flags & kdTile) {
        std::vector<Rect> tiles;
        for (int j = 0; j <= rect.Height() / height; ++j)
            for (int i = 0; i <= rect.Width() / width; ++i)
                tiles.push_back(
                    Rect{0, 0, width, height}.Offset(rect.Left + i * width, rect.Top + j * height));
        return tiles;
    }
    if (flags & kdStretch) {
        if ((flags & kdProportional) == kdProportional)
            return {ProportionalRect({0, 0, width, height}, rect)};
        return {rect};
    }
    return {Rect{0, 0, width, height}.Offset(rect.Left, rect.Top)};
}

// Mask first with AND (white where transparent, black elsewhere), then the blacked-out image with OR.
void CopyThroughMask(Canvas& canvas, const Rect& target, const Bitmap& image, const Bitmap& mask) {
    const CopyMode mode = canvas.Mode;
    const int32_t text = canvas.TextColor, background = canvas.BackgroundColor;
    canvas.BackgroundColor = clWhite;
    canvas.TextColor = clBlack;
    canvas.Mode = CopyMode::cmSrcAnd;
    canvas.CopyRect(target, mask, {0, 0, mask.Width(), mask.Height()});
    canvas.Mode = CopyMode::cmSrcPaint;
    canvas.CopyRect(target, image, {0, 0, image.Width(), image.Height()});
    canvas.Mode = mode;
    canvas.TextColor = text;
    canvas.BackgroundColor = background;
}

void Draw(Canvas& canvas, const std::vector<Rect>& placements, const Bitmap& bitmap, const Bitmap* mask,
          unsigned flags) {
    // Palettes only matter on palette displays; every canvas here is true colour, so kdRealizePalette
    // has nothing to select.
    const Rect whole{0, 0, bitmap.Width(), bitmap.Height()};
    Bitmap madeMask, madeImage;
    const bool transparent = (flags & kdTransparent) && !(flags & (kdDrawGraphic | kdMasked));
    if (transparent)
        MakeTransparentMask(bitmap, whole, madeMask, RgbToWinColor(bitmap.TransparentColor()), madeImage);
    for (const Rect& target : placements) {
        if (flags & kdDrawGraphic)
            canvas.StretchDraw(target, bitmap.ToImage());
        else if ((flags & kdMasked) && mask)
            CopyThroughMask(canvas, target, bitmap, *mask);
        else if (transparent)
            CopyThroughMask(canvas, target, madeImage, madeMask);
        else
            canvas.CopyRect(target, bitmap, whole);
    }
}

} // namespace

void FillBitmap(Bitmap* bitmap, const Rect& rect, int32_t color) {
    if (!bitmap || rect.IsEmpty()) return;
    bitmap->SetSize(rect.Width(), rect.Height());
    const QRgb colour = ClassicColorToRgb(color);
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            bitmap->SetPixel(x, y, colour);
}

void MakeTransparentMask(const Bitmap& source, const Rect& rect, Bitmap& mask, int32_t transparentColor,
                         Bitmap& image) {
    const QRgb key = ClassicColorToRgb(transparentColor) & 0xFFFFFF;
    image.SetPixelFormat(PixelFormat::pf24bit);
    image.SetSize(rect.Width(), rect.Height());
    mask.SetPixelFormat(PixelFormat::pf1bit);
    mask.SetSize(rect.Width(), rect.Height());
    mask.Palette() = DefaultPalette(1);
    const Rect inside = Intersect(rect, {0, 0, source.Width(), source.Height()});
    for (int y = inside.Top; y < inside.Bottom; ++y)
        for (int x = inside.Left; x < inside.Right; ++x) {
            const QRgb colour = source.Pixel(x, y) & 0xFFFFFF;
            const bool clear = colour == key;
            mask.SetIndex(x - rect.Left, y - rect.Top, clear ? 1 : 0);
            image.SetPixel(x - rect.Left, y - rect.Top, clear ? qRgb(0, 0, 0) : colour | 0xFF000000u);
        }
}

void DrawBitmap(Canvas& canvas, const Rect& rect, const Bitmap& bitmap, const Bitmap* mask, QPoint clipOffset,
                unsigned flags) {
    if (bitmap.Empty()) return;
    const std::optional<Rect> clip = canvas.ClipRect;
    if (flags & kdClip) canvas.ClipRect = rect.Offset(clipOffset.x(), clipOffset.y());
    Draw(canvas, Placements(rect, bitmap.Width(), bitmap.Height(), flags), bitmap, mask, flags);
    canvas.ClipRect = clip;
}

void DrawBitmapRect(Canvas& canvas, const Rect& rect, const Bitmap& bitmap, Rect& drawnRect,
                    const Bitmap* mask, unsigned flags) {
    drawnRect = {};
    if (bitmap.Empty()) return;
    const std::vector<Rect> placements = Placements(rect, bitmap.Width(), bitmap.Height(), flags);
    Draw(canvas, placements, bitmap, mask, flags);
    drawnRect = (flags & kdTile) ? rect : placements.front();
}

Rect ProportionalRect(const Rect& source, const Rect& target) {
    if (source.IsEmpty()) return {target.Left, target.Top, target.Left, target.Top};
    const double factor =
        std::min(double(target.Width()) / source.Width(), double(target.Height()) / source.Height());
    return Rect{0, 0, int(source.Width() * factor), int(source.Height() * factor)}.Offset(target.Left,
                                                                                          target.Top);
}

uint8_t ColorDepth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return static_cast<uint8_t>(screen ? screen->depth() : 24);
}

std::string BitmapToBMP(const Bitmap& bitmap, int colorCount) {
    if (bitmap.Empty()) throw EInvalidGraphic("Bitmap image is not valid");
    MemoryStream out;
    AtDepth(bitmap, BitsForCount(colorCount)).WriteBmpFile(out);
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

void WriteBMP(Stream& stream, const Bitmap& bitmap, int colorCount, bool withSize) {
    const std::string image = BitmapToBMP(bitmap, colorCount);
    if (withSize) {
        const uint32_t size = static_cast<uint32_t>(image.size());
        const uint8_t prefix[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16),
                                   uint8_t(size >> 24)};
        stream.WriteBuffer(prefix, 4);
    }
    stream.WriteBuffer(image.data(), image.size());
}

void SaveBitmapBMP(Stream& stream, const Bitmap& bitmap, int colorCount) {
    WriteBMP(stream, bitmap, bitmap.Format() == PixelFormat::pf1bit ? 2 : colorCount, false);
    stream.SetPosition(0);
}
