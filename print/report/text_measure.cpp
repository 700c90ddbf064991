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

double TextMeasure::Width(QStringView text) {
    auto found = current_->widths.find(text);
    if (found != current_->widths.end()) return found->second;
    QString key = text.toString();
    const double width = current_->metrics.horizontalAdvance(key);
    current_->widths.emplace(std::move(key), width);
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
    for (const RecentWrap& recent : recent_)
        if (recent.font == current_ && recent.width == width && recent.text == text) return recent.lines;
    RecentWrap& kept = recent_[nextRecent_];
    nextRecent_ = (nextRecent_ + 1) % recent_.size();
    kept = {current_, width, text, WrapWords(text, width)};
    return kept.lines;
}

QStringList TextMeasure::WrapWords(const QString& text, double width) {
    // Words are separated by single blanks, so every line is a piece of the text: lines are cut out of it.
    const double blank = Width(u" ");
    QStringList lines;
    qsizetype lineStart = 0;
    double lineWidth = 0;
    bool lineEmpty = true; // no word placed yet, so no blank before the next one
    for (qsizetype wordStart = 0;;) {
        qsizetype wordEnd = text.indexOf(QLatin1Char(' '), wordStart);
        if (wordEnd < 0) wordEnd = text.size();
        const QStringView word = QStringView(text).mid(wordStart, wordEnd - wordStart);
        const double wordWidth = Width(word);
        if (!lineEmpty && lineWidth + blank + wordWidth <= width) {
            lineWidth += blank + wordWidth;
        } else {
            if (!lineEmpty) lines << text.mid(lineStart, wordStart - 1 - lineStart);
            lineEmpty = false;
            lineStart = wordStart;
            lineWidth = wordWidth;
            if (wordWidth > width) {
                QStringView rest = word;
                for (qsizetype fits = FittingPrefix(rest, width); fits < rest.size();
                     fits = FittingPrefix(rest, width)) {
                    lines << rest.left(fits).toString();
                    rest = rest.mid(fits);
                }
                lineStart = wordEnd - rest.size();
                lineWidth = Width(rest);
            }
        }
        if (wordEnd == text.size()) break;
        wordStart = wordEnd + 1;
    }
    lines << text.mid(lineStart);
    return lines;
}
