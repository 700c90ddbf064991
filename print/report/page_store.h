#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <QString>
#include <memory>
#include <variant>
#include <vector>

#include "print/report/report_font.h"

class QPainter;

// Command codes of recorded pages.
enum class RpCode : uint8_t {
    Line = 0,
    Graphic = 3,
    PageNumber = 4,
    Font = 6,
    LineWidth = 12,
    Text = 19,
    FColor = 29,
    BColor = 30,
    PColor = 31,
    MoveTo = 32,
    LineTo = 33,
    Ellipse = 34,
    BrushStyle = 35,
    FillRect = 37,
    FrameRect = 38,
    Arc = 39,
    Pie = 40,
    PolyLine = 41,
    Polygon = 42,
    PStyle = 44,
};

// Every position below is in inches from the sheet's top-left corner, resolved when the page was composed.

// A text written with its top-left corner at `At`; an opaque text first fills its box with the brush colour.
struct RpText {
    QPointF At;
    QString Text;
    QRgb Brush = qRgb(255, 255, 255);
    bool Opaque = true;
};

// The page number, whose text is known only when a page is drawn: the format with the page's own number
// (and " of " the page count when ShowTotal), aligned on the drawn text between the margins.
struct RpPageNumber {
    QString Format;
    int Alignment = 0; // 0 at the left margin, 1 centred between the margins, 2 ending at the right margin
    double Y = 0;
    double Left = 0;
    double Right = 0;
    RpFont Font;
    bool ShowTotal = false;
    QRgb Brush = qRgb(255, 255, 255);
    bool Opaque = true;
};

// A shape drawn with the current pen (and brush for the closed ones). Line: two ends; MoveTo, LineTo: one
// point; Ellipse, FillRect, FrameRect: two corners; Arc, Pie: two corners, a start and an end point;
// PolyLine, Polygon: the points.
struct RpShape {
    RpCode Code;
    std::vector<QPointF> Points;
};

// A picture stretched into a rectangle.
struct RpGraphic {
    QRectF Target;
    QImage Picture;
};

// A change of drawing state: Font (colour included), LineWidth (points), FColor, BColor, PColor (QRgb),
// BrushStyle (Qt::BrushStyle), PStyle (Qt::PenStyle).
struct RpSetting {
    RpCode Code;
    uint32_t Value = 0;
    RpFont Font;
};

using RpPrintCommand = std::variant<RpText, RpPageNumber, RpShape, RpGraphic, RpSetting>;

// What a page starts with, so that any page draws the same alone or after the others.
struct RpDrawState {
    RpFont Font;
    QRgb PenColor = qRgb(0, 0, 0);
    double PenWidth = 0;  // points; 0 is the thinnest line the device draws
    uint8_t PenStyle = 1; // Qt::SolidLine
    QRgb BrushColor = qRgb(255, 255, 255);
    uint8_t BrushStyle = 1; // Qt::SolidPattern
    QPointF PenPos;
};

// One page: its starting state and its commands.
class RpPageList {
  public:
    explicit RpPageList(const RpDrawState& initial) : Initial(initial) {}
    void Add(RpPrintCommand command) { commands_.push_back(std::move(command)); }
    int Count() const { return static_cast<int>(commands_.size()); }
    const std::vector<RpPrintCommand>& Commands() const { return commands_; }

    RpDrawState Initial;

  private:
    std::vector<RpPrintCommand> commands_;
};

// How a page is drawn on a device.
struct RpReplayOptions {
    QRectF Printable; // inches; texts are kept inside it
    bool FontColors = true;
};

// The stored pages of one report.
class RpPages {
  public:
    void NewPage(const RpDrawState& initial);
    // Adds to the last page; nothing when there is none.
    void Add(RpPrintCommand command);
    // 1-based; null past the count.
    const RpPageList* Page(int number) const;
    int Count() const { return static_cast<int>(pages_.size()); }
    // Removes the last page.
    void DropLast() { pages_.pop_back(); }

    // Draws page `number` on a painter whose device coordinates are pixels of its resolution.
    void ReplayPage(int number, QPainter& painter, const RpReplayOptions& options) const;

    int FirstPageToPrint = 1;
    int LastPageToPrint = 1;

  private:
    std::vector<std::unique_ptr<RpPageList>> pages_;
};

// "Page %d" with a number: %d becomes the number and %% a percent sign; anything else stays as written.
QString FormatPageNumber(const QString& format, int number);
