#pragma once

#include <QFont>
#include <QRgb>
#include <QString>

// A report font: what a font object of the report engine holds.
struct RpFont {
    QString Name = QStringLiteral("Arial");
    double Size = 8; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    QRgb Color = qRgb(0, 0, 0);

    bool operator==(const RpFont&) const = default;
};

// The Qt font for a report font, the same on every machine and device: Arial is Liberation Sans, and glyph
// advances are neither hinted nor kerned, so a line measures the sum of its words.
QFont ToQFont(const RpFont& font);
