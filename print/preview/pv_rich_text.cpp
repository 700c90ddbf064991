#include "print/preview/pv_rich_text.h"

#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "platform/text.h"
#include "print/preview/pv_font_mapper.h"

namespace {

constexpr int kMaxDepth = 128;
constexpr int kDefaultHalfPoints = 24;

// ---- writing ----

// Fonts and colours in the order the text first uses them.
struct Tables {
    QStringList fonts;
    std::vector<QColor> colors;

    int Font(const QString& family) {
        qsizetype at = fonts.indexOf(family);
        if (at < 0) {
            at = fonts.size();
            fonts << family;
        }
        return static_cast<int>(at);
    }
    // From 1: entry 0 is the automatic colour.
    int Color(const QColor& color) {
        auto at = std::find(colors.begin(), colors.end(), color);
        if (at == colors.end()) at = colors.insert(colors.end(), color);
        return static_cast<int>(at - colors.begin()) + 1;
    }
};

void AppendEscaped(QByteArray& out, const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == QChar::LineSeparator) {
            out += "\\line ";
        } else if (u >= 0x20 && u < 0x80) {
            out += static_cast<char>(u);
        } else {
            // Signed 16-bit, then the one character a reader without Unicode shows instead.
            out += "\\u" + QByteArray::number(static_cast<int16_t>(u)) + '?';
        }
    }
}

QByteArray Alignment(Qt::Alignment alignment) {
    if (alignment & Qt::AlignHCenter) return "\\qc";
    if (alignment & Qt::AlignRight) return "\\qr";
    if (alignment & Qt::AlignJustify) return "\\qj";
    return "\\ql";
}

QByteArray Run(const QTextCharFormat& format, const QFont& defaultFont, Tables& tables) {
    const QFont font = format.font().resolve(defaultFont);
    QByteArray out = "{\\f" + QByteArray::number(tables.Font(font.family())) + "\\fs" +
                     QByteArray::number(std::lround(std::max(1.0, font.pointSizeF()) * 2));
    if (font.bold()) out += "\\b";
    if (font.italic()) out += "\\i";
    if (font.underline()) out += "\\ul";
    if (format.foreground().style() != Qt::NoBrush)
        out += "\\cf" + QByteArray::number(tables.Color(format.foreground().color()));
    return out + ' ';
}

// ---- reading ----

QChar FromCodePage(uint8_t byte) {
    return DecodeText(std::string_view(reinterpret_cast<const char*>(&byte), 1)).at(0);
}

enum Destination { Body, FontTable, ColorTable, Skipped };

// What a group carries and restores when it closes.
struct GroupState {
    Destination destination = Body;
    bool bold = false, italic = false, underline = false;
    int font = -1; // the default font
    int halfPoints = kDefaultHalfPoints;
    int color = 0;
    int unicodeSkip = 1;
};

bool SkippedDestination(std::string_view word) {
    static const std::string_view kWords[] = {
        "stylesheet", "info",    "pict",    "object",  "header",    "headerl",   "headerr",           "headerf",
        "footer",     "footerl", "footerr", "footerf", "footnote",  "listtable", "listoverridetable", "revtbl"};
    return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

class RtfReader {
  public:
    RtfReader(std::string_view rtf, QTextCursor& cursor) : rtf_(rtf), cursor_(cursor) {}

    void Read() {
        while (pos_ < rtf_.size() && !done_) {
            const char c = rtf_[pos_++];
            if (c == '{')
                Open();
            else if (c == '}')
                Close();
            else if (c == '\\')
                Control();
            else if (c != '\r' && c != '\n')
                Char(FromCodePage(static_cast<uint8_t>(c)), static_cast<uint8_t>(c) >= 0x80);
        }
        Flush();
        cursor_.mergeBlockFormat(BlockFormat());
    }

  private:
    void Open() {
        if (stack_.size() >= kMaxDepth) {
            ++overflow_;
            return;
        }
        stack_.push_back(state_);
    }

    void Close() {
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        Flush();
        if (stack_.empty()) {
            done_ = true; // the document's own group ended
            return;
        }
        state_ = stack_.back();
        stack_.pop_back();
    }

    // Inside a group that is too deep everything is passed over.
    bool Ignoring() const { return overflow_ > 0 || state_.destination == Skipped; }

    void Control() {
        if (pos_ >= rtf_.size()) return;
        const char c = rtf_[pos_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            Symbol(c);
            return;
        }
        const size_t start = pos_;
        while (pos_ < rtf_.size() && pos_ - start < 32 && std::isalpha(static_cast<unsigned char>(rtf_[pos_])))
            ++pos_;
        const std::string_view word = rtf_.substr(start, pos_ - start);
        std::optional<int> parameter;
        const bool negative = pos_ < rtf_.size() && rtf_[pos_] == '-';
        if (negative) ++pos_;
        long long value = 0;
        for (int digits = 0; pos_ < rtf_.size() && std::isdigit(static_cast<unsigned char>(rtf_[pos_]));
             ++pos_, ++digits) {
            if (digits < 10) value = value * 10 + (rtf_[pos_] - '0');
            parameter = static_cast<int>(std::clamp(negative ? -value : value, -2147483648LL, 2147483647LL));
        }
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;
        if (!Ignoring()) Word(word, parameter);
    }

    void Symbol(char c) {
        if (Ignoring()) {
            if (c == '\'') pos_ = std::min(rtf_.size(), pos_ + 2);
            return;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}':
            Char(QLatin1Char(c), false);
            break;
        case '~':
            Char(QChar(0x00A0), false);
            break;
        case '_':
            Char(QChar(0x2011), false);
            break;
        case '*':
            state_.destination = Skipped;
            break;
        case '\r':
        case '\n':
            Paragraph();
            break;
        case '\'': {
            const std::string hex(rtf_.substr(pos_, 2));
            pos_ = std::min(rtf_.size(), pos_ + 2);
            bool ok = false;
            const int byte = QByteArray::fromStdString(hex).toInt(&ok, 16);
            if (ok && hex.size() == 2) Char(FromCodePage(static_cast<uint8_t>(byte)), true);
            break;
        }
        default:
            break; // optional hyphens and the rest show nothing
        }
    }

    void Word(std::string_view word, std::optional<int> parameter) {
        const bool on = parameter.value_or(1) != 0;
        if (state_.destination == FontTable) {
            if (word == "f") fontNumber_ = parameter.value_or(0);
            return;
        }
        if (state_.destination == ColorTable) {
            const int component = std::clamp(parameter.value_or(0), 0, 255);
            if (word == "red") red_ = component;
            if (word == "green") green_ = component;
            if (word == "blue") blue_ = component;
            return;
        }
        if (SkippedDestination(word)) {
            state_.destination = Skipped;
        } else if (word == "fonttbl") {
            state_.destination = FontTable;
        } else if (word == "colortbl") {
            state_.destination = ColorTable;
        } else if (word == "par") {
            Paragraph();
        } else if (word == "line") {
            Char(QChar::LineSeparator, false);
        } else if (word == "tab") {
            Char(QLatin1Char('\t'), false);
        } else if (word == "u" && parameter) {
            pendingSkip_ = 0;
            Char(QChar(static_cast<char16_t>(*parameter & 0xFFFF)), false);
            pendingSkip_ = state_.unicodeSkip;
        } else if (word == "uc") {
            state_.unicodeSkip = std::clamp(parameter.value_or(1), 0, 10);
        } else if (word == "deff") {
            defaultFont_ = parameter.value_or(0);
        } else if (word == "pard") {
            alignment_ = Qt::AlignLeft;
        } else if (word == "ql" || word == "qc" || word == "qr" || word == "qj") {
            alignment_ = word == "qc"   ? Qt::AlignHCenter
                         : word == "qr" ? Qt::AlignRight
                         : word == "qj" ? Qt::AlignJustify
                                        : Qt::AlignLeft;
        } else {
            CharacterWord(word, parameter, on);
        }
    }

    void CharacterWord(std::string_view word, std::optional<int> parameter, bool on) {
        GroupState next = state_;
        if (word == "plain") {
            next.bold = next.italic = next.underline = false;
            next.font = -1;
            next.halfPoints = kDefaultHalfPoints;
            next.color = 0;
        } else if (word == "b") {
            next.bold = on;
        } else if (word == "i") {
            next.italic = on;
        } else if (word == "ul") {
            next.underline = on;
        } else if (word == "ulnone") {
            next.underline = false;
        } else if (word == "f") {
            next.font = parameter.value_or(0);
        } else if (word == "fs") {
            next.halfPoints = std::clamp(parameter.value_or(kDefaultHalfPoints), 2, 3276);
        } else if (word == "cf") {
            next.color = parameter.value_or(0);
        } else {
            return;
        }
        Flush();
        state_ = next;
    }

    void Char(QChar c, bool codePageByte) {
        if (Ignoring()) return;
        if (pendingSkip_ > 0 && (codePageByte || c.unicode() < 0x80)) {
            --pendingSkip_;
            return;
        }
        if (state_.destination == FontTable) {
            if (c == QLatin1Char(';')) {
                fonts_.insert(fontNumber_, fontName_.trimmed());
                fontName_.clear();
            } else if (fontName_.size() < 256) {
                fontName_ += c;
            }
            return;
        }
        if (state_.destination == ColorTable) {
            if (c == QLatin1Char(';')) {
                colors_.push_back(red_ < 0 ? QColor() : QColor(red_, std::max(green_, 0), std::max(blue_, 0)));
                red_ = green_ = blue_ = -1;
            }
            return;
        }
        if (c.unicode() < 0x20 && c != QLatin1Char('\t')) return;
        if (length_ >= kRichTextMaxLength) return;
        ++length_;
        run_ += c;
    }

    void Paragraph() {
        if (state_.destination != Body || length_ >= kRichTextMaxLength) return;
        Flush();
        cursor_.mergeBlockFormat(BlockFormat());
        cursor_.insertBlock();
        ++length_;
    }

    QTextBlockFormat BlockFormat() const {
        QTextBlockFormat format;
        format.setAlignment(alignment_);
        return format;
    }

    QTextCharFormat CharFormat() const {
        QTextCharFormat format;
        const QString family = fonts_.value(state_.font < 0 ? defaultFont_ : state_.font);
        if (!family.isEmpty()) format.setFontFamilies({family});
        format.setFontPointSize(state_.halfPoints / 2.0);
        format.setFontWeight(state_.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(state_.italic);
        format.setFontUnderline(state_.underline);
        if (state_.color > 0 && static_cast<size_t>(state_.color) <= colors_.size() &&
            colors_[static_cast<size_t>(state_.color - 1)].isValid())
            format.setForeground(colors_[static_cast<size_t>(state_.color - 1)]);
        return format;
    }

    void Flush() {
        if (run_.isEmpty()) return;
        cursor_.insertText(run_, CharFormat());
        run_.clear();
    }

    std::string_view rtf_;
    QTextCursor& cursor_;
    size_t pos_ = 0;
    bool done_ = false;
    std::vector<GroupState> stack_;
    int overflow_ = 0;
    GroupState state_;
    QString run_;
    int length_ = 0;
    int pendingSkip_ = 0;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    QHash<int, QString> fonts_;
    int defaultFont_ = 0;
    int fontNumber_ = 0;
    QString fontName_;
    std::vector<QColor> colors_; // from entry 1; the automatic colour is entry 0
    int red_ = -1, green_ = -1, blue_ = -1;
};

} // namespace

QByteArray SaveRichText(const QTextDocument& document) {
    Tables tables;
    QByteArray body;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        body += "\\pard" + Alignment(block.blockFormat().alignment()) + ' ';
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment part = fragment.fragment();
            body += Run(part.charFormat(), document.defaultFont(), tables);
            AppendEscaped(body, part.text());
            body += '}';
        }
        if (block.next().isValid()) body += "\\par\r\n";
    }
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
    for (int i = 0; i < tables.fonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + ' ';
        AppendEscaped(out, QString(tables.fonts[i]).remove(QLatin1Char(';')));
        out += ";}";
    }
    out += "}{\\colortbl;";
    for (const QColor& color : tables.colors)
        out += "\\red" + QByteArray::number(color.red()) + "\\green" + QByteArray::number(color.green()) +
               "\\blue" + QByteArray::number(color.blue()) + ';';
    return out + "}\r\n" + body + "}\r\n";
}

bool LoadRichText(std::string_view rtf, QTextCursor& cursor) {
    if (rtf.substr(0, 5) != "{\\rtf") return false;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    RtfReader(rtf.substr(1), cursor).Read();
    cursor.endEditBlock();
    return true;
}

void DrawRichText(QPainter& painter, const QTextDocument& document, const QRect& rect, double ppi) {
    // Point sizes would follow the paint device; pixel sizes at ppi follow the painter's own space.
    const std::unique_ptr<QTextDocument> copy(document.clone());
    copy->setDefaultFont(FontAtResolution(document.defaultFont(), ppi));
    copy->setDocumentMargin(0);
    struct Sized {
        int position, length;
        QTextCharFormat format;
    };
    std::vector<Sized> runs;
    for (QTextBlock block = copy->begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment part = fragment.fragment();
            QTextCharFormat format = part.charFormat();
            const double points = format.fontPointSize();
            if (points <= 0) continue;
            format.clearProperty(QTextFormat::FontPointSize);
            format.setProperty(QTextFormat::FontPixelSize,
                               std::max(1, static_cast<int>(std::lround(points * ppi / 72))));
            runs.push_back({part.position(), part.length(), format});
        }
    // Applied afterwards: changing a fragment's format may merge it with its neighbours.
    QTextCursor cursor(copy.get());
    for (const Sized& run : runs) {
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(run.format);
    }
    copy->setTextWidth(rect.width());
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.translate(rect.topLeft());
    copy->drawContents(&painter, QRectF(0, 0, rect.width(), rect.height()));
    painter.restore();
}
