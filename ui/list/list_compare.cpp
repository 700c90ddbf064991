#include "ui/list/list_compare.h"

#include <QDateTime>
#include <QLocale>
#include <charconv>
#include <cmath>
#include <optional>

namespace {

int Sign(double a, double b) {
    return a > b ? 1 : (a == b ? 0 : -1);
}

void RemoveFirst(QString& text, const QString& part) {
    if (part.isEmpty()) return;
    qsizetype at = text.indexOf(part);
    if (at >= 0) text.remove(at, part.size());
}

} // namespace

// Reads the whole text as a number with the C rules once the locale's separators are normalised.
std::optional<double> NumberKey(QString text, const QString& prefix, const QString& suffix, bool grouped) {
    RemoveFirst(text, suffix);
    RemoveFirst(text, prefix);
    QLocale locale;
    if (grouped) text.remove(locale.groupSeparator());
    if (QString point = locale.decimalPoint(); point != QLatin1String(".")) {
        qsizetype at = text.indexOf(point);
        if (at >= 0) text.replace(at, point.size(), QStringLiteral("."));
    }
    text = text.trimmed();
    if (text.isEmpty()) return 0.0;
    if (text.startsWith(QLatin1Char('+'))) text.remove(0, 1);
    std::string bytes = text.toStdString();
    double value = 0;
    auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    if (error != std::errc() || end != bytes.data() + bytes.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {

double DayValue(const QDate& date) {
    return date.isValid() ? static_cast<double>(date.toJulianDay()) : 0.0;
}

double DateTimeValue(const QString& text) {
    QLocale locale;
    if (QDateTime both = locale.toDateTime(text, QLocale::ShortFormat); both.isValid())
        return DayValue(both.date()) + both.time().msecsSinceStartOfDay() / 86400000.0;
    if (QDate date = locale.toDate(text, QLocale::ShortFormat); date.isValid()) return DayValue(date);
    if (QTime time = locale.toTime(text, QLocale::ShortFormat); time.isValid())
        return time.msecsSinceStartOfDay() / 86400000.0;
    return 0.0;
}

// Cuts the number before the first of '-', '/' or '.' (searched in that order) off the front; -1 when
// there is no separator or no number.
int CutDatePart(QString& text) {
    qsizetype at = -1;
    for (QChar separator : {QLatin1Char('-'), QLatin1Char('/'), QLatin1Char('.')}) {
        at = text.indexOf(separator);
        if (at >= 0) break;
    }
    if (at < 0) return -1;
    bool ok = false;
    int value = text.left(at).trimmed().toInt(&ok);
    text.remove(0, at + 1);
    return ok && value >= 0 ? value : -1;
}

double ParseDate(QString text, bool dayFirst) {
    const int first = CutDatePart(text);
    const int second = first >= 0 ? CutDatePart(text) : -1;
    bool ok = false;
    int year = text.trimmed().toInt(&ok);
    if (second < 0 || !ok || year < 0) return 0.0;
    // Two-digit years: up to 25 is this century. A year written in full is taken as written.
    if (year < 100) year += year <= 25 ? 2000 : 1900;
    QDate date = dayFirst ? QDate(year, second, first) : QDate(year, first, second);
    return DayValue(date);
}

} // namespace

double ParseDateDMY(const QString& text) {
    return ParseDate(text, true);
}
double ParseDateMDY(const QString& text) {
    return ParseDate(text, false);
}

double DateKey(SortStyle style, const QString& text) {
    switch (style) {
    case ssDateDMY:
        return ParseDateDMY(text);
    case ssDateMDY:
        return ParseDateMDY(text);
    default:
        return DateTimeValue(text);
    }
}

int CompareNumberKeys(const std::optional<double>& a, const std::optional<double>& b) {
    return a && b ? Sign(*a, *b) : 0;
}

int CompareDateKeys(double a, double b) {
    return Sign(a, b);
}

int CompareUpperKeys(QStringView upperA, QStringView upperB, QStringView a, QStringView b) {
    if (upperA.compare(upperB) > 0) return 1;
    return a == b ? 0 : -1;
}

int CompareTextKeys(QStringView a, QStringView b) {
    const int order = a.compare(b, Qt::CaseSensitive);
    return order > 0 ? 1 : (order == 0 ? 0 : -1);
}

int CompareCellTexts(SortStyle style, const QString& a, const QString& b, const QString& prefix,
                     const QString& suffix) {
    switch (style) {
    case ssNone:
        return 1;
    case ssNumeric:
    case ssNumericGrouped:
        return CompareNumberKeys(NumberKey(a, prefix, suffix, style == ssNumericGrouped),
                                 NumberKey(b, prefix, suffix, style == ssNumericGrouped));
    case ssDateTime:
    case ssDateDMY:
    case ssDateMDY:
        return CompareDateKeys(DateKey(style, a), DateKey(style, b));
    case ssUpperText:
        return CompareUpperKeys(a.toUpper(), b.toUpper(), a, b);
    default:
        return CompareTextKeys(a, b);
    }
}
