#pragma once

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QStringList>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "print/report/report_font.h"

// Text sizes at the fixed reference resolution every report is laid out at, so that pages break the same
// on screen, on paper and in files on every machine. Widths are cached per font and text.
class TextMeasure {
  public:
    static constexpr int kDpi = 1200;

    TextMeasure();
    void SetFont(const RpFont& font);

    // In reference pixels.
    double Width(QStringView text);
    double Height() const { return current_->metrics.height(); }
    // Whole reference pixels from one line to the next, at least one.
    int LineHeight() const { return std::max(1, static_cast<int>(Height())); }

    // Greedy by words: each line holds as many whole words as fit in `width`; a word wider than a line is
    // broken between characters. A line never measures more than `width` unless one character does.
    QStringList Wrap(const QString& text, double width);

  private:
    // Looks texts up by view, so that words are measured without copying them out of their line.
    struct ViewHash {
        using is_transparent = void;
        size_t operator()(QStringView text) const {
            return std::hash<std::u16string_view>()(
                std::u16string_view(text.utf16(), static_cast<size_t>(text.size())));
        }
    };
    struct FontEntry {
        explicit FontEntry(const QFontMetricsF& m) : metrics(m) {}
        QFontMetricsF metrics;
        std::unordered_map<QString, double, ViewHash, std::equal_to<>> widths;
        QHash<char16_t, double> chars;
    };
    // A report asks how many lines a text takes just before it writes it: the last two wraps are kept.
    struct RecentWrap {
        const FontEntry* font = nullptr;
        double width = 0;
        QString text;
        QStringList lines;
    };
    double CharWidth(QChar ch);
    // Length of the longest start of `word` that fits in `width`, at least one character.
    qsizetype FittingPrefix(QStringView word, double width);
    QStringList WrapWords(const QString& text, double width);

    QImage device_;
    QHash<QString, std::shared_ptr<FontEntry>> fonts_;
    FontEntry* current_ = nullptr;
    std::array<RecentWrap, 2> recent_;
    size_t nextRecent_ = 0;
};
