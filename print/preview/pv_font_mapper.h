#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>
#include <vector>

#include "print/preview/pv_resources.h"

class QPainter;

// Text is measured at one fine reference resolution and written at any other with the advances that
// measurement gives, so that a line of text lines up alike on screen and on paper.
constexpr int kFontReferenceResolution = 7200;

// Character advances at a target resolution from each character's width at the reference resolution: the
// whole part of each scaled width, one more whenever the fractions left over add up to more than one.
std::vector<int> MappedAdvances(const std::vector<int>& referenceWidths, int referenceResolution,
                                int targetResolution);

// The largest font size, in points, that is drawn as given.
constexpr int kMaxFontPoints = 1638;

// A font at so many pixels per inch: its point size in pixels.
QFont FontAtResolution(QFont font, double ppi);
// The window system's font description as a font to draw with (its colour is the pen's); sizes are kept
// within 1 to kMaxFontPoints.
QFont QtFont(const PvFont& font);

// Width and height in inches of a text measured at the reference resolution.
QSizeF MappedTextExtent(const QFont& font, const QString& text);
// Writes text with its top-left corner at (x, y) in a space of ppi units per inch, each character at its
// mapped advance; an empty text writes nothing.
void MappedTextOut(QPainter& painter, const QFont& font, double ppi, double x, double y, const QString& text);
