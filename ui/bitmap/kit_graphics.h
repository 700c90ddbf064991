#pragma once

#include <QPoint>
#include <cstdint>
#include <string>

#include "platform/gfx/rect.h"

class Bitmap;
class Canvas;
class Stream;

// How DrawBitmap places and copies a bitmap.
enum KitDrawFlag : unsigned {
    kdClip = 0x1,             // clip to the target rectangle (moved by the given point)
    kdStretch = 0x10,         // stretch to the target rectangle
    kdAdjustWidth = 0x200,    // with kdStretch and kdAdjustHeight: fit proportionally
    kdAdjustHeight = 0x400,   //
    kdProportional = 0x600,   //
    kdTile = 0x20,            // repeat over the target rectangle
    kdTransparent = 0x40,     // the bitmap's transparent colour leaves the target visible
    kdDrawGraphic = 0x80,     // let the bitmap draw itself instead of copying its pixels
    kdMasked = 0x100,         // transparent where the given mask is set
    kdRealizePalette = 0x1000 // select the bitmap's palette first
};

// Sizes the bitmap to the rectangle and fills it with a window-system colour; nothing for no bitmap or an
// empty rectangle.
void FillBitmap(Bitmap* bitmap, const Rect& rect, int32_t color);
// image := the rectangle of source with the transparent colour blacked out; mask := a two-colour bitmap of
// the same size, 1 where source has the transparent colour.
void MakeTransparentMask(const Bitmap& source, const Rect& rect, Bitmap& mask, int32_t transparentColor,
                         Bitmap& image);
// Draws a bitmap into rect by the flags; kdMasked uses mask. With kdClip the drawing is clipped to rect
// moved by clipOffset. Nothing for an empty bitmap.
void DrawBitmap(Canvas& canvas, const Rect& rect, const Bitmap& bitmap, const Bitmap* mask, QPoint clipOffset,
                unsigned flags);
// As DrawBitmap without clipping; drawnRect reports what was covered (empty when nothing was drawn).
void DrawBitmapRect(Canvas& canvas, const Rect& rect, const Bitmap& bitmap, Rect& drawnRect,
                    const Bitmap* mask, unsigned flags);
// The source scaled by the smaller of the two ratios, placed at the target's top-left corner.
Rect ProportionalRect(const Rect& source, const Rect& target);
// Bits per pixel of the display.
uint8_t ColorDepth();

// A BMP file image of the bitmap at a colour count: 2, 16 or 256 colours, or 0 for the display's depth;
// deeper formats are written at 24 bits. Raises EInvalidGraphic "Bitmap image is not valid" when empty.
std::string BitmapToBMP(const Bitmap& bitmap, int colorCount);
// Writes that image, preceded by its 32-bit size when asked.
void WriteBMP(Stream& stream, const Bitmap& bitmap, int colorCount, bool withSize);
// Writes the image (a two-colour bitmap always at 2 colours) and rewinds the stream.
void SaveBitmapBMP(Stream& stream, const Bitmap& bitmap, int colorCount);
