#pragma once

#include <QImage>

#include "print/preview/pv_objects.h"
#include "print/preview/pv_resources.h"

class Graphic;
class QTextDocument;
class PvPageList;

// Where recorded coordinates are measured from.
enum PvCoordsRelative { pvFromPage, pvFromPrinterMargins, pvFromUserMargins, pvFromHeaderLine };

// The drawing interface of a preview's pages. It paints nothing: each call records an object on the current
// page, in inches, with the current brush and pen stored once in the shared resources.
class PvCanvas {
  public:
    explicit PvCanvas(PvPageList& pages) : pages_(pages) {}

    PvBrush Brush{clWhite, bsClear};
    PvFont Font{clBlack, 0, QStringLiteral("Arial"), 10, 0, 1};
    PvPen Pen;
    PvCoordsRelative CoordsRelativeTo = pvFromPage;
    // The unit of the calls that take none.
    PvMeasurement DefaultMeasurement = pvMillimeters;
    int32_t CopyMode = SRCCOPY;
    bool Visible = true;
    // The page objects are recorded on (1-based); 0 (or a page that is not there) records on whichever page
    // is current. Set it when the current page may change while drawing goes on (the user pages through a
    // long run).
    int TargetPage = 0;
    bool CompareGraphics() const;
    void SetCompareGraphics(bool on);

    PvSolidShape& Rectangle(long double left, long double top, long double right, long double bottom,
                            PvMeasurement unit);
    PvSolidShape& Ellipse(long double left, long double top, long double right, long double bottom,
                          PvMeasurement unit);
    PvSolidShape& RoundRect(long double left, long double top, long double right, long double bottom,
                            long double cornerWidth, long double cornerHeight, PvMeasurement unit);
    // The picture at (x, y) in the default unit, as large as its pixels at 96 per inch times scale.
    PvGraphicObject& Draw(long double x, long double y, const QImage& picture, long double scale);
    PvGraphicObject& Draw(long double x, long double y, const Graphic& picture, long double scale);
    PvGraphicObject& StretchDrawScaled(long double x, long double y, const QImage& picture, long double scale,
                                       PvMeasurement unit);
    PvBaseObject& ClipRect(long double left, long double top, long double right, long double bottom,
                           PvMeasurement unit);
    PvBaseObject& ClipEllipse(long double left, long double top, long double right, long double bottom,
                              PvMeasurement unit);
    PvBaseObject& ClipRoundRect(long double left, long double top, long double right, long double bottom,
                                long double cornerWidth, long double cornerHeight, PvMeasurement unit);
    PvBaseObject& RemoveClip();

    // A line of text in the current font with its top-left corner at (x, y); a brush that is not clear
    // fills behind it.
    PvTextObject& TextOut(long double x, long double y, const QString& text, PvMeasurement unit);
    // The width (X) and height (Y) of a text in the current font.
    PvPoint TextExtent(const QString& text, PvMeasurement unit) const;
    // Where the next LineTo starts.
    void MoveTo(long double x, long double y, PvMeasurement unit);
    // A line in the current pen from the pen position to (x, y), where the pen position then is.
    PvPolyLineObject& LineTo(long double x, long double y, PvMeasurement unit);
    PvPolyLineObject& Polyline(const std::vector<PvPoint>& points, PvMeasurement unit);
    // Closed, outlined with the pen and filled with the brush.
    PvPolygonObject& Polygon(const std::vector<PvPoint>& points, PvMeasurement unit);
    // Rich text laid out across the rectangle; a page draws its rich text before its objects.
    void RichText(long double left, long double top, long double right, long double bottom,
                  const QTextDocument& text, PvMeasurement unit);

    // One level: brush, font, pen and the coordinate reference.
    void SaveValues();
    void RestoreValues();

    PvBaseObject* LastObject() const { return last_; }

  private:
    PvSolidShape& AddShape(std::unique_ptr<PvSolidShape> shape, const PvRect& inches);
    PvGraphicObject& AddGraphic(const PvGraphic& graphic, long double x, long double y, long double scale,
                                PvMeasurement unit);
    PvBaseObject& AddClip(int id, const PvRect& inches, PvPoint corner);
    PvBaseObject& Add(std::unique_ptr<PvBaseObject> object);
    template <class Shape>
    Shape& AddPoints(std::unique_ptr<Shape> shape, const std::vector<PvPoint>& points, PvMeasurement unit);

    struct SavedValues {
        PvBrush brush;
        PvFont font;
        PvPen pen;
        PvCoordsRelative coords = pvFromPage;
    };
    PvPageList& pages_;
    SavedValues saved_;
    PvBaseObject* last_ = nullptr;
    PvPoint penPosition_; // inches
};
