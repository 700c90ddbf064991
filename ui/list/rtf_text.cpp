#include "ui/list/rtf_text.h"

#include <QColor>
#include <QTextCursor>
#include <QTextDocument>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"

namespace {

constexpr qsizetype kMaxRtfLength = 1 << 20;
constexpr std::size_t kMaxDepth = 64;
constexpr int kMaxPoints = 144;

struct Format {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int colour = 0; // index into the colour table
    int halfPoints = 0;
    bool skip = false;        // inside a destination that shows nothing
    bool colourTable = false; // inside \colortbl
    int unicodeSkip = 1;
};

struct Run {
    QString text;
    Format format;
};

struct Parsed {
    std::vector<Run> runs;
    std::vector<QColor> colours;
};

class Parser {
  public:
    explicit Parser(const QString& text) : text_(text) {}

    std::optional<Parsed> Parse() {
        if (!text_.startsWith(QLatin1String("{\\rtf")) || text_.size() > kMaxRtfLength) return std::nullopt;
        std::vector<Format> stack;
        Format format;
        qsizetype pendingSkip = 0; // fallback characters after \u
        for (i_ = 0; i_ < text_.size();) {
            const QChar c = text_[i_];
            if (c == u'{') {
                if (stack.size() >= kMaxDepth) return std::nullopt;
                stack.push_back(format);
                ++i_;
            } else if (c == u'}') {
                if (stack.empty()) break; // the closing brace of the document
                format = stack.back();
                stack.pop_back();
                ++i_;
            } else if (c == u'\\') {
                ++i_;
                ControlWord(format, pendingSkip);
            } else {
                ++i_;
                if (c == u'\r' || c == u'\n') continue;
                if (pendingSkip > 0) {
                    --pendingSkip;
                    continue;
                }
                if (format.colourTable && c == u';')
                    result_.colours.push_back(pendingColour_), pendingColour_ = {};
                else
                    Append(QString(c), format);
            }
        }
        return std::move(result_);
    }

  private:
    void Append(const QString& text, const Format& format) {
        if (format.skip || format.colourTable) return;
        if (!result_.runs.empty() && SameLook(result_.runs.back().format, format))
            result_.runs.back().text += text;
        else
            result_.runs.push_back({text, format});
    }

    static bool SameLook(const Format& a, const Format& b) {
        return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
               a.strike == b.strike && a.colour == b.colour && a.halfPoints == b.halfPoints;
    }

    void ControlWord(Format& format, qsizetype& pendingSkip) {
        if (i_ >= text_.size()) return;
        const QChar c = text_[i_];
        if (!c.isLetter()) {
            ++i_;
            if (c == u'\'') {
                bool ok = false;
                const QString hex = text_.mid(i_, 2);
                const int code = hex.toInt(&ok, 16);
                i_ += hex.size();
                if (!ok || hex.size() != 2) return;
                if (pendingSkip > 0)
                    --pendingSkip;
                else
                    Append(DecodeText(std::string(1, static_cast<char>(code))), format);
            } else if (c == u'*') {
                format.skip = true;
            } else if (c == u'~') {
                Append(QString(QChar(0xA0)), format);
            } else if (c == u'\\' || c == u'{' || c == u'}') {
                Append(QString(c), format);
            } else if (c == u'\r' || c == u'\n') {
                Append(QStringLiteral("\n"), format);
            }
            return;
        }
        QString word;
        while (i_ < text_.size() && text_[i_].isLetter() && word.size() < 32)
            word.append(text_[i_++]);
        const bool negative = i_ < text_.size() && text_[i_] == u'-';
        if (negative) ++i_;
        // However many digits there are, the number saturates instead of overflowing.
        bool hasNumber = false;
        qint64 value = 0;
        for (; i_ < text_.size() && text_[i_].isDigit(); ++i_) {
            hasNumber = true;
            value = qMin<qint64>(value * 10 + text_[i_].digitValue(), std::numeric_limits<int>::max());
        }
        if (i_ < text_.size() && text_[i_] == u' ') ++i_;
        const int number = static_cast<int>(negative ? -value : value);
        Apply(word, hasNumber, number, format, pendingSkip);
    }

    void Apply(const QString& word, bool hasNumber, int number, Format& format, qsizetype& pendingSkip) {
        const bool on = !hasNumber || number != 0;
        if (word == QLatin1String("b"))
            format.bold = on;
        else if (word == QLatin1String("i"))
            format.italic = on;
        else if (word == QLatin1String("ul"))
            format.underline = on;
        else if (word == QLatin1String("ulnone"))
            format.underline = false;
        else if (word == QLatin1String("strike"))
            format.strike = on;
        else if (word == QLatin1String("cf"))
            format.colour = qMax(0, number);
        else if (word == QLatin1String("fs"))
            format.halfPoints = qBound(0, number, 2 * kMaxPoints);
        else if (word == QLatin1String("plain"))
            format = Format{.skip = format.skip, .colourTable = format.colourTable};
        else if (word == QLatin1String("par") || word == QLatin1String("line"))
            Append(QStringLiteral("\n"), format);
        else if (word == QLatin1String("tab"))
            Append(QStringLiteral("\t"), format);
        else if (word == QLatin1String("uc"))
            format.unicodeSkip = qBound(0, number, 8);
        else if (word == QLatin1String("u")) {
            Append(QString(QChar(static_cast<char16_t>(number < 0 ? number + 65536 : number))), format);
            pendingSkip = format.unicodeSkip;
        } else if (word == QLatin1String("colortbl"))
            format.colourTable = true;
        else if (word == QLatin1String("red"))
            ColourPart(&QColor::setRed, number);
        else if (word == QLatin1String("green"))
            ColourPart(&QColor::setGreen, number);
        else if (word == QLatin1String("blue"))
            ColourPart(&QColor::setBlue, number);
        else if (word == QLatin1String("fonttbl") || word == QLatin1String("stylesheet") ||
                 word == QLatin1String("info") || word == QLatin1String("pict") ||
                 word == QLatin1String("object") || word == QLatin1String("header") ||
                 word == QLatin1String("footer"))
            format.skip = true;
    }

    void ColourPart(void (QColor::*set)(int), int value) {
        if (!pendingColour_.isValid()) pendingColour_ = QColor(0, 0, 0);
        (pendingColour_.*set)(qBound(0, value, 255));
    }

    const QString& text_;
    qsizetype i_ = 0;
    Parsed result_;
    QColor pendingColour_; // invalid: the automatic colour
};

} // namespace

std::unique_ptr<QTextDocument> RtfDocument(const QString& text, const QFont& font) {
    std::optional<Parsed> parsed = Parser(text).Parse();
    if (!parsed) return nullptr;
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(font);
    document->setDocumentMargin(0);
    QTextCursor cursor(document.get());
    for (const Run& run : parsed->runs) {
        QTextCharFormat format;
        format.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(run.format.italic);
        format.setFontUnderline(run.format.underline);
        format.setFontStrikeOut(run.format.strike);
        if (run.format.halfPoints > 0) format.setFontPointSize(run.format.halfPoints / 2.0);
        const auto colour = static_cast<std::size_t>(run.format.colour);
        if (colour < parsed->colours.size() && parsed->colours[colour].isValid())
            format.setForeground(parsed->colours[colour]);
        const QStringList paragraphs = run.text.split(u'\n');
        for (qsizetype p = 0; p < paragraphs.size(); ++p) {
            if (p > 0) cursor.insertBlock();
            cursor.insertText(paragraphs[p], format);
        }
    }
    return document;
}

QString RtfPlainText(const QString& text) {
    std::optional<Parsed> parsed = Parser(text).Parse();
    if (!parsed) return text;
    QString plain;
    for (const Run& run : parsed->runs)
        plain += run.text;
    return plain.replace(u'\n', u'\r');
}
