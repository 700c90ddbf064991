#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>
#include <QRectF>
#include <QStringView>
#include <array>
#include <memory>
#include <optional>

class QPaintDevice;

// Where the glyphs of a text put ink, from each glyph's outline box in the font's own units: exact enough to
// tell a box clear of the line above even where that line's descenders end right at the box's top. Known only
// where each character is drawn as its own glyph, one after the other on the baseline: a printable character
// before the combining marks (U+0300) that the font has, in a font that substitutes no glyphs and moves none
// but by kerning, drawn unhinted and without kerning, spacing, decorations or synthesised styles.
class GlyphInk {
  public:
    // The font as the device draws it; each font is kept for every device resolution it was set for.
    void SetFont(const QFont& font, const QPaintDevice& device);
    // The rectangle the text inks, in device pixels from the left end of its baseline; empty for a text
    // without ink, nothing where its glyphs cannot be told.
    std::optional<QRectF> Bounds(QStringView text);

  private:
    static constexpr char16_t kFirstMark = 0x300;
    struct Glyph {
        bool Measured = false;
        bool Known = false;
        QRectF Ink; // device pixels from the glyph's origin
        double Advance = 0;
    };
    struct Face {
        Face(const QFont& font, const QPaintDevice& device);
        QRawFont Raw;          // at its units per em, where outline boxes are exact
        QFontMetricsF Metrics; // on the device: the advances glyphs are drawn at
        double Scale = 0;      // font units to device pixels
        bool Plain = false;
        std::array<Glyph, kFirstMark> Glyphs;
    };
    static const Glyph& GlyphOf(Face& face, QChar ch);

    QHash<QString, std::shared_ptr<Face>> faces_;
    Face* face_ = nullptr;
};
