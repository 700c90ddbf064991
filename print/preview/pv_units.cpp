#include "print/preview/pv_units.h"

#include <QLocale>
#include <cmath>
#include <cstdlib>

#include "platform/stream.h"
#include "platform/text.h"

namespace {

// Inches per one of each unit, in unit order.
long double ToInches(PvMeasurement unit, long double value) {
    switch (unit) {
    case pvUnits:
        return value / 100 / 25.4L;
    case pvPixels:
        return value / 96;
    case pvMillimeters:
        return value / 25.4L;
    case pvCentimeters:
        return value * 10 / 25.4L;
    case pvInches:
        return value;
    case pvTwips:
        return value / 1440;
    }
    return value;
}

long double FromInches(PvMeasurement unit, long double value) {
    switch (unit) {
    case pvUnits:
        return value * 25.4L * 100;
    case pvPixels:
        return value * 96;
    case pvMillimeters:
        return value * 25.4L;
    case pvCentimeters:
        return value * 25.4L / 10;
    case pvInches:
        return value;
    case pvTwips:
        return value * 1440;
    }
    return value;
}

constexpr long long kMaxThousandths = 1LL << 53;

QString Thousandths(long double value) {
    return QString::number(RoundNearest(value * 1000));
}

// Integers separated by commas, each read as thousandths; nothing when a field is not an integer or the
// count (when given) is not met.
std::optional<std::vector<long double>> ReadThousandths(const QString& text, qsizetype count) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (count >= 0 && fields.size() != count) return std::nullopt;
    std::vector<long double> values;
    for (const QString& field : fields) {
        bool ok = false;
        const long long value = field.trimmed().toLongLong(&ok);
        // Beyond 2^53 thousandths a value could not be written back as it was read.
        if (!ok || value > kMaxThousandths || value < -kMaxThousandths) return std::nullopt;
        values.push_back(static_cast<long double>(value) / 1000);
    }
    return values;
}

// A text on one line of a value list: backslashes and control characters (line ends, the end-of-text mark)
// become a backslash and two hex digits.
QString EscapeLine(const QString& text) {
    QString line;
    line.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c == QLatin1Char('\\'))
            line += QStringLiteral("\\%1").arg(int(c.unicode()), 2, 16, QLatin1Char('0'));
        else
            line += c;
    return line;
}

QString UnescapeLine(const QString& line) {
    QString text;
    text.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        bool hex = false;
        const int code = line[i] == QLatin1Char('\\') ? line.mid(i + 1, 2).toInt(&hex, 16) : 0;
        if (hex && i + 2 < line.size()) {
            text += QChar(code);
            i += 2;
        } else {
            text += line[i];
        }
    }
    return text;
}

} // namespace

long double ConvertValue(PvMeasurement from, PvMeasurement to, long double value) {
    if (from == to) return value;
    return FromInches(to, ToInches(from, value));
}

PvPoint ConvertPoint(PvMeasurement from, PvMeasurement to, const PvPoint& point) {
    return {ConvertValue(from, to, point.X), ConvertValue(from, to, point.Y)};
}

PvRect ConvertRect(PvMeasurement from, PvMeasurement to, const PvRect& rect) {
    return {ConvertValue(from, to, rect.Left), ConvertValue(from, to, rect.Top),
            ConvertValue(from, to, rect.Right), ConvertValue(from, to, rect.Bottom)};
}

long long RoundNearest(long double value) {
    return std::llround(static_cast<double>(value));
}

QRect ScaleRect(const QRect& rect, long double factor) {
    auto scaled = [factor](int side) { return static_cast<int>(RoundNearest(side * factor)); };
    // Sides, not corners: QRect's right and bottom lie one inside.
    return QRect(QPoint(scaled(rect.left()), scaled(rect.top())),
                 QPoint(scaled(rect.left() + rect.width()) - 1, scaled(rect.top() + rect.height()) - 1));
}

QString PvAboutText(const char* className) {
    return QString::fromLatin1(className) + QStringLiteral(" v") +
           QString::number(double(kPvVersion), 'f', 2) + QStringLiteral(".6");
}

void PvValue::SetInches(long double inches) {
    if (inches == inches_) return;
    inches_ = inches;
    if (OnChange) OnChange(*this);
}

void PvValueRect::Assign(const PvRect& inches) {
    Left().SetInches(inches.Left);
    Top().SetInches(inches.Top);
    Right().SetInches(inches.Right);
    Bottom().SetInches(inches.Bottom);
}

QString PvValueList::FormatFloat(long double value) {
    const long long thousandths = RoundNearest(value * 1000);
    const unsigned long long magnitude = static_cast<unsigned long long>(std::llabs(thousandths));
    return (thousandths < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 1000) +
           QLatin1Char('.') + QStringLiteral("%1").arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
}

int PvValueList::IndexOfName(const QString& name) const {
    for (int i = 0; i < lines_.size(); ++i) {
        const QString& line = lines_[i];
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0 && QStringView(line).left(equals).compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

std::optional<QString> PvValueList::Value(const QString& name) const {
    const int index = IndexOfName(name);
    if (index < 0) return std::nullopt;
    const QString& line = lines_[index];
    return line.mid(line.indexOf(QLatin1Char('=')) + 1);
}

long double PvValueList::ReadFloat(const QString& name, long double def) const {
    bool ok = false;
    const std::optional<QString> text = Value(name);
    const double value = text ? text->trimmed().toDouble(&ok) : 0.0; // toDouble reads a full stop only
    return ok ? value : def;
}

int PvValueList::ReadInteger(const QString& name, int def) const {
    bool ok = false;
    const std::optional<QString> text = Value(name);
    const int value = text ? text->trimmed().toInt(&ok) : 0;
    return ok ? value : def;
}

QString PvValueList::ReadString(const QString& name, const QString& def) const {
    return Value(name).value_or(def);
}

PvPoint PvValueList::ReadPoint(const QString& name, const PvPoint& def) const {
    const std::optional<QString> text = Value(name);
    if (!text) return def;
    const auto values = ReadThousandths(*text, 2);
    return values ? PvPoint{(*values)[0], (*values)[1]} : def;
}

PvRect PvValueList::ReadRect(const QString& name, const PvRect& def) const {
    const std::optional<QString> text = Value(name);
    if (!text) return def;
    if (text->trimmed().isEmpty()) return {};
    const auto values = ReadThousandths(*text, 4);
    return values ? PvRect{(*values)[0], (*values)[1], (*values)[2], (*values)[3]} : def;
}

void PvValueList::WriteString(const QString& name, const QString& value) {
    const QString line = name + QLatin1Char('=') + value;
    const int index = IndexOfName(name);
    if (index < 0)
        lines_.append(line);
    else
        lines_[index] = line;
}

QString PvValueList::ReadText(const QString& name, const QString& def) const {
    const std::optional<QString> line = Value(name);
    return line ? UnescapeLine(*line) : def;
}

void PvValueList::WriteText(const QString& name, const QString& text) {
    WriteString(name, EscapeLine(text));
}

void PvValueList::WriteFloat(const QString& name, long double value) {
    WriteString(name, FormatFloat(value));
}

void PvValueList::WriteInteger(const QString& name, int value) {
    WriteString(name, QString::number(value));
}

void PvValueList::WritePoint(const QString& name, const PvPoint& value) {
    WriteString(name, Thousandths(value.X) + QLatin1Char(',') + Thousandths(value.Y));
}

void PvValueList::WriteRect(const QString& name, const PvRect& value) {
    WriteString(name, QStringList{Thousandths(value.Left), Thousandths(value.Top), Thousandths(value.Right),
                                  Thousandths(value.Bottom)}
                          .join(QLatin1Char(',')));
}

std::optional<std::vector<PvPoint>> PvValueList::ReadPoints(const QString& name) const {
    const std::optional<QString> text = Value(name);
    if (!text) return std::nullopt;
    if (text->trimmed().isEmpty()) return std::vector<PvPoint>{};
    const auto values = ReadThousandths(*text, -1);
    if (!values || values->size() % 2 != 0) return std::nullopt;
    std::vector<PvPoint> points;
    points.reserve(values->size() / 2);
    for (size_t i = 0; i < values->size(); i += 2)
        points.push_back({(*values)[i], (*values)[i + 1]});
    return points;
}

void PvValueList::WritePoints(const QString& name, const std::vector<PvPoint>& points) {
    QStringList fields;
    fields.reserve(static_cast<qsizetype>(points.size() * 2));
    for (const PvPoint& point : points)
        fields << Thousandths(point.X) << Thousandths(point.Y);
    WriteString(name, fields.join(QLatin1Char(',')));
}

void WriteInt32(Stream& stream, int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    const uint8_t bytes[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                              static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
    stream.WriteBuffer(bytes, 4);
}

int32_t ReadInt32(Stream& stream) {
    uint8_t b[4];
    stream.ReadBuffer(b, 4);
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                uint32_t(b[3]) << 24);
}

int64_t BytesLeft(Stream& stream) {
    return stream.Size() - stream.Position();
}

void PvValueList::SaveToStream(Stream& stream) const {
    // One encoding for the whole text: lines encoded one by one could mix two.
    const std::string bytes = EncodeTextFile(JoinLinesCrlf(lines_));
    WriteInt32(stream, static_cast<int32_t>(bytes.size()));
    stream.WriteBuffer(bytes.data(), bytes.size());
}

void PvValueList::LoadFromStream(Stream& stream) {
    const int32_t count = ReadInt32(stream);
    if (count < 0 || count > BytesLeft(stream)) throw EStreamError("Value list longer than its stream");
    std::string bytes(static_cast<size_t>(count), '\0');
    stream.ReadBuffer(bytes.data(), bytes.size());
    lines_ = SplitLines(DecodeText(bytes));
}
