#pragma once

#include "ldraw/ldraw_colors.h"
#include "ldraw/render_target.h"

// The plane through three screen points, computed exactly in integers: depth at (x, y) is (a x + b y + d) /
// c.
struct Plane {
    float a, b, c, d;
};
Plane PlaneOfTriangle(const ScreenPoint& p1, const ScreenPoint& p2, const ScreenPoint& p3);

// Flat-shaded triangle; the row of the greatest y is not filled and equal depth keeps the older pixel.
void RasterTriangle(RenderTarget& target, const ScreenPoint& p1, const ScreenPoint& p2, const ScreenPoint& p3,
                    RGBA fill, RGBA alternate);
// Unshaded line; passEqual lets a pixel at the same depth be drawn over (optional lines).
void RasterLine(RenderTarget& target, ScreenPoint a, ScreenPoint b, bool passEqual, RGBA fill,
                RGBA alternate);

void DrawLine3D(RenderTarget& target, const float p1[3], const float p2[3], RGBA fill, RGBA alternate);
void DrawTriangle3D(RenderTarget& target, const float p1[3], const float p2[3], const float p3[3], RGBA fill,
                    RGBA alternate);
