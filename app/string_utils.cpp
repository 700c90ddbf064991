#include "app/string_utils.h"

QString NthField(const QString& text, const QString& separator, int n) {
    if (n < 1) return {};
    qsizetype start = 0;
    for (int field = 1; field < n; ++field) {
        qsizetype hit = separator.isEmpty() ? -1 : text.indexOf(separator, start);
        if (hit < 0) return {};
        start = hit + separator.size();
    }
    qsizetype end = separator.isEmpty() ? -1 : text.indexOf(separator, start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

QString ReplaceAll(const QString& text, const QString& find, const QString& replacement) {
    if (find.isEmpty()) return text;
    QString result = text;
    return result.replace(find, replacement);
}

QString RightPart(const QString& text, int n) {
    if (n < 1 || n > text.size()) return {};
    return text.mid(n - 1);
}

QString MidPart(const QString& text, int from, int to) {
    if (from < 1 || from > text.size() || to < from) return {};
    return text.mid(from - 1, qMin<qsizetype>(to, text.size()) - from + 1);
}

int PosFrom(const QString& text, const QString& sub, int start) {
    if (sub.isEmpty()) return 0;
    qsizetype from = qMax(start, 1) - 1;
    if (from + sub.size() > text.size()) return 0;
    return static_cast<int>(text.indexOf(sub, from) + 1);
}

int LastPos(const QString& text, const QString& sub) {
    if (sub.isEmpty() || sub.size() > text.size()) return 0;
    return static_cast<int>(text.lastIndexOf(sub) + 1);
}

int CountOccurrences(const QString& text, const QString& sub) {
    if (text.isEmpty()) return 0;
    int count = 1;
    if (sub.isEmpty()) return count;
    // Advance one past each hit so that no input can make the search stand still.
    for (qsizetype hit = text.indexOf(sub); hit >= 0; hit = text.indexOf(sub, hit + 1))
        ++count;
    return count;
}
