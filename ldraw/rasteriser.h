#pragma once

#include "ldraw/ldraw_colors.h"
#include "ldraw/render_target.h"

// Flat-shaded triangle covering the pixels whose corner (x, y) lies in it or within a sliver (1/64 pixel)
// of it: faces that share an edge overlap by that sliver, so no pixel between them is left unwritten even
// when their corners come a rounding apart from different placements. Equal depth keeps the older pixel.
void RasterTriangle(RenderTarget& target, const ScreenPoint& p1, const ScreenPoint& p2, const ScreenPoint& p3,
                    RGBA fill, RGBA alternate);
// Unshaded line; passEqual lets a pixel at the same depth be drawn over (edge and optional lines).
void RasterLine(RenderTarget& target, ScreenPoint a, ScreenPoint b, bool passEqual, RGBA fill,
                RGBA alternate);

// Lines lie on the faces they outline: they are drawn this much nearer, equal depth passing, so that they
// show over those faces.
constexpr float kLineDepthBias = 1.0f;
// An edge or optional line between two transformed points, moved nearer by the bias.
void DrawLineNearer(RenderTarget& target, const float p1[3], const float p2[3], RGBA fill, RGBA alternate);

void DrawLine3D(RenderTarget& target, const float p1[3], const float p2[3], RGBA fill, RGBA alternate);
void DrawTriangle3D(RenderTarget& target, const float p1[3], const float p2[3], const float p3[3], RGBA fill,
                    RGBA alternate);
