#pragma once

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <optional>

#include "print/report/report_font.h"

// Text sizes at the fixed reference resolution every report is laid out at, so that pages break the same
// on screen, on paper and in files on every machine. Widths are cached per font and text.
class TextMeasure {
  public:
    static constexpr int kDpi = 1200;

    TextMeasure();
    void SetFont(const RpFont& font);

    // In reference pixels.
    double Width(const QString& text);
    double Height() const { return current_->metrics.height(); }
    // Whole reference pixels from one line to the next, at least one.
    int LineHeight() const { return std::max(1, static_cast<int>(Height())); }

    // Greedy by words: each line holds as many whole words as fit in `width`; a word wider than a line is
    // broken between characters. A line never measures more than `width` unless one character does.
    QStringList Wrap(const QString& text, double width);

  private:
    struct FontEntry {
        explicit FontEntry(const QFontMetricsF& m) : metrics(m) {}
        QFontMetricsF metrics;
        QHash<QString, double> widths;
        QHash<char16_t, double> chars;
    };
    double CharWidth(QChar ch);
    // Length of the longest start of `word` that fits in `width`, at least one character.
    qsizetype FittingPrefix(QStringView word, double width);

    QImage device_;
    QHash<QString, std::shared_ptr<FontEntry>> fonts_;
    FontEntry* current_ = nullptr;
};
