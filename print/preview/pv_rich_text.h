#pragma once

#include <QByteArray>
#include <QRect>
#include <string_view>

class QTextCursor;
class QTextDocument;
class QPainter;

// Rich text travels between pages and documents as RTF: sizes, bold, italic, underline, strike-out,
// colours, paragraphs and tabs (what the rich-text reader takes back).

// The document as RTF (plain ASCII; other characters as Unicode escapes).
QByteArray SaveRichText(const QTextDocument& document);
// Puts RTF in place of the cursor's selection, in the formats the reader knows; its bounds hold. False when
// the bytes are not such rich text; nothing changes then.
bool LoadRichText(std::string_view rtf, QTextCursor& cursor);

// Lays the document out across rect (units of a painter space of ppi units per inch, whatever the paint
// device) and draws what fits inside it.
void DrawRichText(QPainter& painter, const QTextDocument& document, const QRect& rect, double ppi);
