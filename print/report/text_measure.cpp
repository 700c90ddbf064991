#include "print/report/text_measure.h"

#include <cmath>

TextMeasure::TextMeasure() : device_(1, 1, QImage::Format_RGB32) {
    const int dotsPerMeter = static_cast<int>(std::lround(kDpi / 0.0254));
    device_.setDotsPerMeterX(dotsPerMeter);
    device_.setDotsPerMeterY(dotsPerMeter);
    SetFont(RpFont());
}

void TextMeasure::SetFont(const RpFont& font) {
    const QFont qfont = ToQFont(font);
    std::shared_ptr<FontEntry>& entry = fonts_[qfont.key()];
    if (!entry) entry = std::make_shared<FontEntry>(QFontMetricsF(qfont, &device_));
    current_ = entry.get();
}

double TextMeasure::Width(const QString& text) {
    auto found = current_->widths.constFind(text);
    if (found != current_->widths.constEnd()) return *found;
    const double width = current_->metrics.horizontalAdvance(text);
    current_->widths.insert(text, width);
    return width;
}

qsizetype TextMeasure::FittingPrefix(const QString& word, double width) {
    qsizetype low = 1, high = word.size();
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (current_->metrics.horizontalAdvance(word.left(middle)) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

QStringList TextMeasure::Wrap(const QString& text, double width) {
    const double blank = Width(QStringLiteral(" "));
    QStringList lines;
    QString line;
    double lineWidth = 0;
    bool lineEmpty = true; // no word placed yet, so no blank before the next one
    for (QString word : text.split(QLatin1Char(' '))) {
        double wordWidth = Width(word);
        if (!lineEmpty && lineWidth + blank + wordWidth <= width) {
            line += QLatin1Char(' ') + word;
            lineWidth += blank + wordWidth;
            continue;
        }
        if (!lineEmpty) lines << line;
        while (wordWidth > width && word.size() > 1) {
            const qsizetype fits = FittingPrefix(word, width);
            lines << word.left(fits);
            word = word.mid(fits);
            wordWidth = Width(word);
        }
        line = word;
        lineWidth = wordWidth;
        lineEmpty = false;
    }
    lines << line;
    return lines;
}
