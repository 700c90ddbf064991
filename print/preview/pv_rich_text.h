#pragma once

#include <QByteArray>
#include <QRect>
#include <string_view>

class QTextCursor;
class QTextDocument;
class QPainter;

// Rich text travels between pages and documents as RTF: fonts, sizes, bold, italic, underline, colours,
// paragraph alignment, tabs and line breaks.

// The most characters a rich text takes in; the rest of a longer one is dropped.
constexpr int kRichTextMaxLength = 1000000;

// The document as RTF (Windows-1252 code page, other characters as Unicode escapes).
QByteArray SaveRichText(const QTextDocument& document);
// Puts RTF in place of the cursor's selection. Unknown words and destinations are passed over, groups
// nest at most 128 deep (deeper ones are skipped) and at most kRichTextMaxLength characters go in. False
// when the bytes are not RTF; nothing is inserted then.
bool LoadRichText(std::string_view rtf, QTextCursor& cursor);

// Lays the document out across rect (units of a painter space of ppi units per inch, whatever the paint
// device) and draws what fits inside it.
void DrawRichText(QPainter& painter, const QTextDocument& document, const QRect& rect, double ppi);
