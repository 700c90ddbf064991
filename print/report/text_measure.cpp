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

double TextMeasure::CharWidth(QChar ch) {
    auto found = current_->chars.constFind(ch.unicode());
    if (found != current_->chars.constEnd()) return *found;
    const double width = current_->metrics.horizontalAdvance(ch);
    current_->chars.insert(ch.unicode(), width);
    return width;
}

qsizetype TextMeasure::FittingPrefix(QStringView word, double width) {
    // Summed character by character, so a huge word costs its length and not its length squared.
    double sum = 0;
    qsizetype count = 0;
    while (count < word.size()) {
        const double next = CharWidth(word[count]);
        if (count > 0 && sum + next > width) break;
        sum += next;
        ++count;
    }
    // Shaping may make the whole a little wider than its characters.
    while (count > 1 && current_->metrics.horizontalAdvance(word.left(count).toString()) > width)
        --count;
    if (count > 1 && count < word.size() && word[count].isLowSurrogate()) --count;
    return count;
}

QStringList TextMeasure::Wrap(const QString& text, double width) {
    const double blank = Width(QStringLiteral(" "));
    QStringList lines;
    QString line;
    double lineWidth = 0;
    bool lineEmpty = true; // no word placed yet, so no blank before the next one
    for (const QString& word : text.split(QLatin1Char(' '))) {
        const double wordWidth = Width(word);
        if (!lineEmpty && lineWidth + blank + wordWidth <= width) {
            line += QLatin1Char(' ') + word;
            lineWidth += blank + wordWidth;
            continue;
        }
        if (!lineEmpty) lines << line;
        lineEmpty = false;
        line = word;
        lineWidth = wordWidth;
        if (wordWidth <= width) continue;
        QStringView rest(word);
        for (qsizetype fits = FittingPrefix(rest, width); fits < rest.size();
             fits = FittingPrefix(rest, width)) {
            lines << rest.left(fits).toString();
            rest = rest.mid(fits);
        }
        line = rest.toString();
        lineWidth = Width(line);
    }
    lines << line;
    return lines;
}
