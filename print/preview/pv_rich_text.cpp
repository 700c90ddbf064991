#include "print/preview/pv_rich_text.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "print/preview/pv_font_mapper.h"
#include "ui/list/rtf_text.h"

namespace {

// Colours in the order the text first uses them; entry 0 of the table is the automatic colour.
struct ColorTable {
    std::vector<QColor> colors;

    int Index(const QColor& color) {
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
            out += "\\par ";
        } else if (u >= 0x20 && u < 0x80) {
            out += static_cast<char>(u);
        } else {
            // Signed 16-bit, then the one character a reader without Unicode shows instead.
            out += "\\u" + QByteArray::number(static_cast<int16_t>(u)) + '?';
        }
    }
}

// A run's look in what the reader takes back: size, bold, italic, underline, strike-out and colour.
QByteArray Run(const QTextCharFormat& format, const QFont& defaultFont, ColorTable& colors) {
    const QFont font = format.font().resolve(defaultFont);
    QByteArray out = "{\\fs" + QByteArray::number(std::lround(std::max(1.0, font.pointSizeF()) * 2));
    if (font.bold()) out += "\\b";
    if (font.italic()) out += "\\i";
    if (font.underline()) out += "\\ul";
    if (font.strikeOut()) out += "\\strike";
    if (format.foreground().style() != Qt::NoBrush)
        out += "\\cf" + QByteArray::number(colors.Index(format.foreground().color()));
    return out + ' ';
}

} // namespace

QByteArray SaveRichText(const QTextDocument& document) {
    ColorTable colors;
    QByteArray body;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment part = fragment.fragment();
            body += Run(part.charFormat(), document.defaultFont(), colors);
            AppendEscaped(body, part.text());
            body += '}';
        }
        if (block.next().isValid()) body += "\\par\r\n";
    }
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\uc1{\\colortbl;";
    for (const QColor& color : colors.colors)
        out += "\\red" + QByteArray::number(color.red()) + "\\green" + QByteArray::number(color.green()) +
               "\\blue" + QByteArray::number(color.blue()) + ';';
    return out + "}\r\n" + body + "}\r\n";
}

bool LoadRichText(std::string_view rtf, QTextCursor& cursor) {
    const std::unique_ptr<QTextDocument> text =
        RtfDocument(QString::fromLatin1(rtf.data(), static_cast<qsizetype>(rtf.size())),
                    cursor.document()->defaultFont());
    if (!text) return false;
    cursor.insertFragment(QTextDocumentFragment(text.get()));
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
