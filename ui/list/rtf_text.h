#pragma once

#include <QFont>
#include <QString>
#include <memory>

class QTextDocument;

// Rich-text cells: the common formatting subset (bold, italic, underline, strike-out, colour table, font
// size, paragraphs, tabs, hex and Unicode escapes); other destinations are skipped. Bounded in length and
// nesting; a text that is not such rich text gives null, and the caller shows it as plain text.
std::unique_ptr<QTextDocument> RtfDocument(const QString& text, const QFont& font);
// The text of the rich text without its formatting (paragraph ends as carriage returns), or the text
// itself when it is not rich text.
QString RtfPlainText(const QString& text);
