#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <QString>
#include <memory>
#include <variant>
#include <vector>

#include "print/pen_mode.h"
#include "print/report/glyph_ink.h"
#include "print/report/report_font.h"
#include "print/report/report_layout.h"

class QPainter;

// Command codes of recorded pages.
enum class RpCode : uint8_t {
    Line = 0,
    NextLine = 1,
    Graphic = 3,
    PageNumber = 4,
    Detail = 5,
    Font = 6,
    FooterDim = 7,
    FooterInf = 8,
    HeaderDim = 10,
    HeaderInf = 11,
    LineWidth = 12,
    Margins = 13,
    PageNumberInf = 15,
    Tab = 16,
    TopOfPage = 17,
    SetY = 18,
    Text = 19,
    Column = 20,
    AutoPagingOn = 25,
    AutoPagingOff = 26,
    SaveY = 27,
    RestoreY = 28,
    FColor = 29,
    BColor = 30,
    PColor = 31,
    MoveTo = 32,
    LineTo = 33,
    Ellipse = 34,
    BrushStyle = 35,
    FloodFill = 36,
    FillRect = 37,
    FrameRect = 38,
    Arc = 39,
    Pie = 40,
    PolyLine = 41,
    Polygon = 42,
    Measure = 43,
    PStyle = 44,
    PMode = 45,
};

// Whether a pen mode's result depends on the pixels already drawn, which only a picture can provide.
bool ReadsPixels(PenMode mode);

// A flood fill spreads over the pixels of the given colour (fsSurface) or up to a border of it (fsBorder).
enum RpFillStyle : uint8_t { fsSurface, fsBorder };

// Every position below is in inches from the sheet's top-left corner, resolved when the page was composed.

// A text written with its top-left corner at `At`; an opaque text first fills its box with the brush colour.
// Its advance was measured when the page was composed, so drawing never shapes it but once.
struct RpText {
    QPointF At;
    QString Text;
    double Advance = 0; // reference pixels
    QRgb Brush = qRgb(255, 255, 255);
    bool Opaque = true;
};

// The page number, whose text is known only when a page is drawn: the page-number line of the layout with
// the page's own number (and " of " the page count when it shows the total), aligned between the margins.
struct RpPageNumber {
    QRgb Brush = qRgb(255, 255, 255);
    bool Opaque = true;
};

// A layout command that changes only where the report stands. NextLine, TopOfPage, AutoPagingOn,
// AutoPagingOff, SaveY, RestoreY: no values; Detail: top, bottom; Margins: left, right; Tab, SetY: A;
// Column: Index, left, width; Measure: A. Values are reference pixels.
struct RpLayout {
    RpCode Code;
    int Index = 0;
    int A = 0;
    int B = 0;
};

// A header or footer line (Index 1 to 10) or the page-number line.
struct RpInfo {
    RpCode Code;
    int Index = 0;
    RpInfoLine Line;
    bool ShowTotal = false;
};

// A header or footer box.
struct RpBoxDim {
    RpCode Code;
    RpBox Box;
};

// Fills with the current brush from a point; drawn only where the pixels can be read.
struct RpFloodFill {
    QPointF At;
    QRgb Color = 0;
    RpFillStyle Style = fsSurface;
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
// BrushStyle (Qt::BrushStyle), PStyle (Qt::PenStyle), PMode (PenMode).
struct RpSetting {
    RpCode Code;
    uint32_t Value = 0;
    RpFont Font;
};

using RpPrintCommand = std::variant<RpText, RpPageNumber, RpShape, RpGraphic, RpSetting, RpLayout, RpInfo,
                                    RpBoxDim, RpFloodFill>;

// What a page starts with, so that any page draws the same alone or after the others.
struct RpDrawState {
    RpFont Font;
    QRgb PenColor = qRgb(0, 0, 0);
    double PenWidth = 0;  // points; 0 is the thinnest line the device draws
    uint8_t PenStyle = 1; // Qt::SolidLine
    QRgb BrushColor = qRgb(255, 255, 255);
    uint8_t BrushStyle = 1; // Qt::SolidPattern
    uint8_t PenMode = pmCopy;
    QPointF PenPos;
};

// One page: its starting state and its commands.
class RpPageList {
  public:
    RpPageList(const RpDrawState& initial, const RpLayoutState& layout)
        : Initial(initial), InitialLayout(layout) {}
    void Add(RpPrintCommand command);
    int Count() const { return static_cast<int>(commands_.size()); }
    const std::vector<RpPrintCommand>& Commands() const { return commands_; }
    // Some command needs the pixels drawn before it (a flood fill, a pen mode that combines with them).
    bool ReadsPixels() const { return readsPixels_; }

    RpDrawState Initial;
    RpLayoutState InitialLayout;

  private:
    std::vector<RpPrintCommand> commands_;
    bool readsPixels_ = false;
};

// How a page is drawn on a device.
struct RpReplayOptions {
    QRectF Printable; // inches; texts are kept inside it
    bool FontColors = true;
    // The page starts as blank white paper: a white text box that would cover nothing drawn yet is left out.
    bool BlankPaper = false;
};

// The stored pages of one report.
class RpPages {
  public:
    void NewPage(const RpDrawState& initial, const RpLayoutState& layout);
    // Adds to the last page; nothing when there is none.
    void Add(RpPrintCommand command);
    // 1-based; null past the count.
    const RpPageList* Page(int number) const;
    int Count() const { return static_cast<int>(pages_.size()); }
    // Removes the last page.
    void DropLast() { pages_.pop_back(); }

    // Draws page `number` on a painter whose device coordinates are pixels of its resolution, and returns
    // the layout state the page leaves. A page that reads pixels is drawn on a device without readable
    // pixels (a printer, a PDF file) through a picture of the sheet at up to kPixelDpi.
    RpLayoutState ReplayPage(int number, QPainter& painter, const RpReplayOptions& options) const;
    static constexpr int kPixelDpi = 300;

    int FirstPageToPrint = 1;
    int LastPageToPrint = 1;

  private:
    RpLayoutState Replay(const RpPageList& page, int number, QPainter& painter,
                         const RpReplayOptions& options) const;
    RpLayoutState ReplayThroughPicture(const RpPageList& page, int number, QPainter& painter,
                                       const RpReplayOptions& options) const;

    std::vector<std::unique_ptr<RpPageList>> pages_;
    mutable GlyphInk glyphInk_; // kept from page to page
};

// "Page %d" with a number: %d becomes the number and %% a percent sign; anything else stays as written.
QString FormatPageNumber(const QString& format, int number);
