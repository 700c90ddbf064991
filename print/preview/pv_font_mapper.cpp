#include "print/preview/pv_font_mapper.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

std::vector<int> MappedAdvances(const std::vector<int>& referenceWidths, int referenceResolution,
                                int targetResolution) {
    std::vector<int> advances;
    advances.reserve(referenceWidths.size());
    long double sum = 0;
    for (int width : referenceWidths) {
        const long double d = static_cast<long double>(width) / referenceResolution * targetResolution;
        const long double whole = std::trunc(d);
        int advance = static_cast<int>(whole);
        sum += d - whole;
        // Taking one off (not the rounded sum) keeps the written text within a pixel of its measurement.
        if (sum > 1) {
            ++advance;
            sum -= 1;
        }
        advances.push_back(advance);
    }
    return advances;
}

QFont FontAtResolution(QFont font, double ppi) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pointSizeF() * ppi / 72.0))));
    return font;
}

QFont QtFont(const PvFont& font) {
    QFont qt(font.Name);
    qt.setPointSizeF(std::clamp(font.Size, 1, kMaxFontPoints));
    qt.setBold((font.Style & fsBold) != 0);
    qt.setItalic((font.Style & fsItalic) != 0);
    qt.setUnderline((font.Style & fsUnderline) != 0);
    return qt;
}

QSizeF MappedTextExtent(const QFont& font, const QString& text) {
    const QFontMetricsF reference(FontAtResolution(font, kFontReferenceResolution));
    return {reference.horizontalAdvance(text) / kFontReferenceResolution,
            reference.height() / kFontReferenceResolution};
}

void MappedTextOut(QPainter& painter, const QFont& font, double ppi, double x, double y,
                   const QString& text) {
    if (text.isEmpty()) return;
    const QFontMetricsF reference(FontAtResolution(font, kFontReferenceResolution));
    std::vector<int> widths;
    widths.reserve(static_cast<size_t>(text.size()));
    for (const QChar c : text)
        widths.push_back(static_cast<int>(std::lround(reference.horizontalAdvance(c))));
    const std::vector<int> advances = MappedAdvances(widths, kFontReferenceResolution, static_cast<int>(ppi));
    const QFont target = FontAtResolution(font, ppi);
    painter.setFont(target);
    const double baseline = y + QFontMetricsF(target).ascent();
    for (qsizetype i = 0; i < text.size(); ++i) {
        painter.drawText(QPointF(x, baseline), QString(text[i]));
        x += advances[static_cast<size_t>(i)];
    }
}
