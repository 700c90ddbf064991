#pragma once

#include <QByteArray>
#include <QImage>

// A picture's rows without their padding, deflated at the fastest level: pictures of labels are mostly
// blank and shrink about fifty times even so.
QByteArray PackPixels(const QImage& image);
// The picture of that size and format back from its packed rows; EZDecompressionError when they are short
// or broken.
QImage UnpackPixels(const QByteArray& packed, QSize size, QImage::Format format);
