#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QRgb>

// The pixels a flood fill from `seed` reaches on a 32-bit image: the 4-connected pixels of `color`, or with
// `border` those that are not of `color`. Empty when the seed is outside or not such a pixel. Alpha is
// ignored. Linear in the image's size.
QRegion FloodRegion(const QImage& image, QPoint seed, QRgb color, bool border);
