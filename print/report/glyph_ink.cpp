#include "print/report/glyph_ink.h"

#include <QPaintDevice>
#include <QtEndian>

namespace {

quint16 Word(const QByteArray& table, qsizetype at) {
    return at >= 0 && at + 2 <= table.size() ? qFromBigEndian<quint16>(table.constData() + at) : 0;
}

// Whether a glyph layout table (GSUB or GPOS) is missing or has no feature but kerning: its feature list
// is the one place shaping finds what to substitute or move.
bool OnlyKerning(const QByteArray& table) {
    if (table.isEmpty()) return true;
    if (table.size() < 10) return false;
    const qsizetype list = Word(table, 6);
    const int count = Word(table, list);
    if (list + 2 + 6 * qsizetype(count) > table.size()) return false;
    for (int i = 0; i < count; ++i)
        if (table.mid(list + 2 + 6 * i, 4) != "kern") return false;
    return true;
}

// Whether the device draws the font's glyphs as their outlines are, each at its advance.
bool Plain(const QFont& font) {
    return !font.underline() && !font.overline() && !font.strikeOut() && !font.kerning() &&
           font.capitalization() == QFont::MixedCase && font.letterSpacing() == 0 &&
           font.wordSpacing() == 0 &&
           (font.stretch() == QFont::AnyStretch || font.stretch() == QFont::Unstretched) &&
           font.hintingPreference() == QFont::PreferNoHinting;
}

// Whether the face has the font's style itself, rather than emboldened or slanted, and shapes no text.
bool Plain(const QFont& font, const QRawFont& raw) {
    const QByteArray os2 = raw.fontTable("OS/2");
    if (!raw.isValid() || os2.size() < 64) return false;
    const quint16 selection = Word(os2, 62);
    const bool bold = selection & 0x20, italic = selection & 0x201;
    if ((font.weight() > QFont::Medium && !bold) || (font.italic() && !italic)) return false;
    return OnlyKerning(raw.fontTable("GSUB")) && OnlyKerning(raw.fontTable("GPOS")) &&
           raw.fontTable("morx").isEmpty() && raw.fontTable("mort").isEmpty();
}

} // namespace

GlyphInk::Face::Face(const QFont& font, const QPaintDevice& device)
    : Raw(QRawFont::fromFont(QFont(font, &device))), Metrics(font, &device) {
    Plain = ::Plain(font, Raw);
    if (!Plain) return;
    Scale = Raw.pixelSize() / Raw.unitsPerEm();
    Raw.setPixelSize(Raw.unitsPerEm());
}

void GlyphInk::SetFont(const QFont& font, const QPaintDevice& device) {
    // Faces are kept for plain fonts only, which their key tells apart.
    if (!::Plain(font)) {
        face_ = nullptr;
        return;
    }
    std::shared_ptr<Face>& face = faces_[font.key() + u'@' + QString::number(device.logicalDpiY())];
    if (!face) face = std::make_shared<Face>(font, device);
    face_ = face.get();
}

const GlyphInk::Glyph& GlyphInk::GlyphOf(Face& face, QChar ch) {
    static const Glyph unknown;
    if (ch.unicode() >= kFirstMark) return unknown;
    Glyph& glyph = face.Glyphs[ch.unicode()];
    if (glyph.Measured) return glyph;
    glyph.Measured = true;
    if (!ch.isPrint() || !face.Raw.supportsCharacter(ch)) return glyph;
    const QList<quint32> indexes = face.Raw.glyphIndexesForString(QString(ch));
    if (indexes.size() != 1) return glyph;
    const QRectF units = face.Raw.boundingRect(indexes[0]);
    glyph.Known = true;
    if (!units.isEmpty()) glyph.Ink = QRectF(units.topLeft() * face.Scale, units.size() * face.Scale);
    glyph.Advance = face.Metrics.horizontalAdvance(ch);
    return glyph;
}

std::optional<QRectF> GlyphInk::Bounds(QStringView text) {
    if (!face_ || !face_->Plain) return std::nullopt;
    QRectF bounds;
    double x = 0;
    for (const QChar ch : text) {
        const Glyph& glyph = GlyphOf(*face_, ch);
        if (!glyph.Known) return std::nullopt;
        if (!glyph.Ink.isEmpty()) bounds |= glyph.Ink.translated(x, 0);
        x += glyph.Advance;
    }
    return bounds;
}
