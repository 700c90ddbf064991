#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "platform/gfx/rect.h"
#include "platform/gfx/sys_colors.h"

class Bitmap;
class QPainter;

// Text format flags of the window system's text drawing.
enum TextFormat : unsigned {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_SINGLELINE = 0x20,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_RTLREADING = 0x20000,
};

// Edge kinds and sides of the window system's 3D edges.
enum EdgeKind : unsigned {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
};
enum EdgeFlag : unsigned {
    BF_LEFT = 0x1,
    BF_TOP = 0x2,
    BF_RIGHT = 0x4,
    BF_BOTTOM = 0x8,
    BF_RECT = 0xF,
    BF_SOFT = 0x1000,
    BF_ADJUST = 0x2000,
};

enum class PenStyle { psSolid, psDot, psClear };
enum class BrushStyle { bsSolid, bsClear };
// How copied pixels meet the target: replace it, AND into it, OR into it.
enum class CopyMode { cmSrcCopy, cmSrcAnd, cmSrcPaint };

// A font as drawing state: the face, its colour (a window-system colour) and a rotation in tenths of a
// degree.
struct CanvasFont {
    QFont Face;
    int32_t Color = clBlack;
    int Escapement = 0;
    bool operator==(const CanvasFont&) const = default;
};

// Drawing on an image with window-system semantics: right and bottom edges are exclusive, lines leave out
// their end point, text is placed by its top, and the pen, brush, font and copy mode are state. System
// colours come from the classic table, so what is drawn is the same on every desktop.
class Canvas {
  public:
    explicit Canvas(QImage& target);
    QImage& Target() { return target_; }

    struct {
        int32_t Color = clBlack;
        PenStyle Style = PenStyle::psSolid;
    } Pen;
    struct {
        int32_t Color = clWhite;
        BrushStyle Style = BrushStyle::bsSolid;
    } Brush;
    CanvasFont Font;
    CopyMode Mode = CopyMode::cmSrcCopy;
    // Colours a 1-bit source takes when copied: bit 0 the text colour, bit 1 the background colour.
    int32_t TextColor = clBlack;
    int32_t BackgroundColor = clWhite;
    // Extra pixels between characters.
    int CharacterExtra = 0;
    // Drawing is limited to this rectangle when set.
    std::optional<Rect> ClipRect;
    // Fires after every drawing call.
    std::function<void()> OnChange;

    void FillRect(const Rect& r);
    // A one-pixel frame in the brush colour.
    void FrameRect(const Rect& r);
    // Outline in the pen, inside filled with the brush.
    void Rectangle(const Rect& r);
    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    void LineTo(int x, int y);
    void Polyline(const std::vector<QPoint>& points);
    // Filled with the brush and outlined with the pen.
    void Polygon(const std::vector<QPoint>& points);
    // A dotted frame that a second call removes again.
    void DrawFocusRect(const Rect& r);
    // The window system's 3D edge; with BF_ADJUST r shrinks by the rings drawn on each side.
    void DrawEdge(Rect& r, unsigned edge, unsigned flags);

    // Text with its top-left at (x, y); an opaque brush fills the background.
    void TextOut(int x, int y, const QString& text);
    // Text laid out in r by the format; with DT_CALCRECT only measures, returning the bounds.
    Rect DrawText(const Rect& r, const QString& text, unsigned format);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;

    // Copies srcRect of src into dst (stretching when the sizes differ) in the copy mode.
    void CopyRect(const Rect& dst, const QImage& src, const Rect& srcRect);
    void CopyRect(const Rect& dst, const Bitmap& src, const Rect& srcRect);
    // Draws a picture over what is there, its transparent pixels leaving the target as it was.
    void StretchDraw(const Rect& dst, const QImage& picture);

  private:
    void Begin(QPainter& painter) const;
    void Changed();
    QFont DrawingFont() const;

    QImage& target_;
    QPoint penPos_;
};
