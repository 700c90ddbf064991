#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class Stream;

// 32-bit little-endian integers of the suite's stream forms.
void WriteInt32(Stream& stream, int32_t value);
int32_t ReadInt32(Stream& stream);
// What the stream still holds after its position.
int64_t BytesLeft(Stream& stream);

// Every length of the preview suite is kept in inches; callers choose the unit they speak.
enum PvMeasurement : uint8_t { pvUnits, pvPixels, pvMillimeters, pvCentimeters, pvInches, pvTwips };

// The value in the target unit, in extended precision, unrounded. pvUnits are hundredths of a millimetre,
// pvPixels 1/96 inch, pvTwips 1/1440 inch.
long double ConvertValue(PvMeasurement from, PvMeasurement to, long double value);

struct PvPoint {
    long double X = 0, Y = 0;
};
struct PvRect {
    long double Left = 0, Top = 0, Right = 0, Bottom = 0;
    long double Width() const { return Right - Left; }
    long double Height() const { return Bottom - Top; }
    PvRect Offset(long double dx, long double dy) const {
        return {Left + dx, Top + dy, Right + dx, Bottom + dy};
    }
    // Smaller by d on every side.
    PvRect Inset(long double d) const { return {Left + d, Top + d, Right - d, Bottom - d}; }
};
// Point or size records and rectangles, member by member.
PvPoint ConvertPoint(PvMeasurement from, PvMeasurement to, const PvPoint& point);
PvRect ConvertRect(PvMeasurement from, PvMeasurement to, const PvRect& rect);

// Nearest integer, halves away from zero. Taken at double precision, so that a value written in decimal
// (1.2345 x 1000) rounds as its decimal text says.
long long RoundNearest(long double value);

// An integer rectangle with every side multiplied by factor and rounded to the nearest.
QRect ScaleRect(const QRect& rect, long double factor);

// The header and footer tokens' formats, and the suite's version text.
inline const QString kPvDateFormat = QStringLiteral("dd/MM/yyyy");
inline const QString kPvTimeFormat = QStringLiteral("hh/mm");
// The suite's version, also the version of the documents it saves.
constexpr long double kPvVersion = 2.96L;
// The class name, " v" and the version with its release: "PvPreview v2.96.6".
QString PvAboutText(const char* className);

// One length, in inches, with a change notice that fires only on a real change.
class PvValue {
  public:
    PvValue() = default;
    explicit PvValue(long double inches) : inches_(inches) {}
    PvValue(const PvValue& other) : inches_(other.inches_) {}
    PvValue& operator=(const PvValue& other) {
        SetInches(other.inches_);
        return *this;
    }

    long double Inches() const { return inches_; }
    long double As(PvMeasurement unit) const { return ConvertValue(pvInches, unit, inches_); }
    long double AsMillimeters() const { return As(pvMillimeters); }
    int AsTwips() const { return static_cast<int>(RoundNearest(As(pvTwips))); }
    int AsPixels(int pixelsPerInch) const { return static_cast<int>(RoundNearest(inches_ * pixelsPerInch)); }
    void SetInches(long double inches);
    void SetMillimeters(long double mm) { SetInches(ConvertValue(pvMillimeters, pvInches, mm)); }
    void Set(PvMeasurement unit, long double value) { SetInches(ConvertValue(unit, pvInches, value)); }

    std::function<void(PvValue&)> OnChange;

  private:
    long double inches_ = 0;
};

// Two lengths: a size (Width, Height) or a point (X, Y).
struct PvValueSize {
    PvValue Width, Height;
};
struct PvValuePoint {
    PvValue X, Y;
};

// A rectangle of two corners; components 1 Left, 2 Top, 3 Right, 4 Bottom.
class PvValueRect {
  public:
    PvValueRect() = default;
    explicit PvValueRect(const PvRect& inches) { Assign(inches); }
    PvValue& Left() { return TopLeft.X; }
    PvValue& Top() { return TopLeft.Y; }
    PvValue& Right() { return BottomRight.X; }
    PvValue& Bottom() { return BottomRight.Y; }
    const PvValue& Left() const { return TopLeft.X; }
    const PvValue& Top() const { return TopLeft.Y; }
    const PvValue& Right() const { return BottomRight.X; }
    const PvValue& Bottom() const { return BottomRight.Y; }
    void Assign(const PvRect& inches);
    PvRect Inches() const { return {Left().Inches(), Top().Inches(), Right().Inches(), Bottom().Inches()}; }

    PvValuePoint TopLeft, BottomRight;
};

// Name=Value lines in which page objects and resources keep their settings. Floats are written with three
// decimals and a full stop whatever the locale; points and rectangles as thousandths of an inch.
class PvValueList {
  public:
    long double ReadFloat(const QString& name, long double def) const;
    int ReadInteger(const QString& name, int def) const;
    QString ReadString(const QString& name, const QString& def) const;
    PvPoint ReadPoint(const QString& name, const PvPoint& def) const;
    PvRect ReadRect(const QString& name, const PvRect& def) const;
    void WriteFloat(const QString& name, long double value);
    void WriteInteger(const QString& name, int value);
    void WriteString(const QString& name, const QString& value);
    // Any text: backslashes and control characters (line ends, the end-of-text mark) are kept on the line
    // as a backslash and two hex digits.
    QString ReadText(const QString& name, const QString& def) const;
    void WriteText(const QString& name, const QString& text);
    void WritePoint(const QString& name, const PvPoint& value);
    void WriteRect(const QString& name, const PvRect& value);
    // Any number of points, as x,y pairs of thousandths in one line; nothing unless every field is an
    // integer and they pair up.
    std::optional<std::vector<PvPoint>> ReadPoints(const QString& name) const;
    void WritePoints(const QString& name, const std::vector<PvPoint>& points);

    bool Has(const QString& name) const { return IndexOfName(name) >= 0; }
    QStringList& Lines() { return lines_; }
    const QStringList& Lines() const { return lines_; }

    // Stream form: a 32-bit little-endian byte count, then the lines (CR LF after each).
    void SaveToStream(Stream& stream) const;
    // A count that is negative or larger than what the stream still holds raises EStreamError.
    void LoadFromStream(Stream& stream);

    static QString FormatFloat(long double value);

  private:
    int IndexOfName(const QString& name) const;
    std::optional<QString> Value(const QString& name) const;

    QStringList lines_;
};
