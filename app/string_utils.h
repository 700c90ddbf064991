#pragma once

#include <QString>
#include <QStringList>

// Text helpers every file format leans on. Positions are 1-based and all comparisons are exact.

// The n-th field (from 1) of text split at separator; empty fields count, a missing field is empty.
QString NthField(const QString& text, const QString& separator, int n);
// Every occurrence of find replaced, left to right; an inserted replacement is never searched again.
QString ReplaceAll(const QString& text, const QString& find, const QString& replacement);
// The characters from position n to the end; empty when n < 1.
QString RightPart(const QString& text, int n);
// The characters from position from to position to (lowered to the length); empty when from < 1.
QString MidPart(const QString& text, int from, int to);
// Position of the first sub that begins at or after start; 0 when none.
int PosFrom(const QString& text, const QString& sub, int start);
// Position of the last sub (occurrences may overlap); 0 when none.
int LastPos(const QString& text, const QString& sub);
// The number of fields text splits into at sub: occurrences + 1, and 0 for an empty text.
int CountOccurrences(const QString& text, const QString& sub);
