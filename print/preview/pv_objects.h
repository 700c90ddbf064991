#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <QRect>
#include <memory>
#include <vector>

#include "print/preview/pv_resources.h"
#include "print/preview/pv_units.h"

class QPainter;

// Inches to units at a resolution, each side rounded to the nearest; right and bottom exclusive.
QRect PixelRect(const PvRect& inches, double ppiX, double ppiY);

// Where a page is being drawn: the painter in a space of ppiX x ppiY units per inch with its origin at the
// sheet's corner, whether it goes to paper, and the clip that a removed clip returns to (the sheet's or the
// margins').
class PvDrawContext {
  public:
    PvDrawContext(QPainter& painter, double ppiX, double ppiY, bool printer,
                  const QPainterPath& baseClip = {});

    QPainter& Painter() const { return painter_; }
    double PpiX() const { return ppiX_; }
    double PpiY() const { return ppiY_; }
    bool Printer() const { return printer_; }
    // Inches to units, rounded to the nearest.
    int X(long double inches) const { return static_cast<int>(RoundNearest(inches * ppiX_)); }
    int Y(long double inches) const { return static_cast<int>(RoundNearest(inches * ppiY_)); }
    QRect Rect(const PvRect& inches) const { return PixelRect(inches, ppiX_, ppiY_); }

    // Clips to shape within the base clip; RemoveClip goes back to the base clip.
    void SetClip(const QPainterPath& shape);
    void RemoveClip();

  private:
    QPainter& painter_;
    double ppiX_, ppiY_;
    bool printer_;
    QPainterPath baseClip_;
};

// The closed outlines that shapes and clips draw. Ellipses are four Bézier arcs from side midpoint to side
// midpoint whose control points lie on the rectangle's edges, width / 4.45 and height / 4.45 from the
// corners; rounded rectangles join straight edges by quarters of such an ellipse of the corner size (the
// corner's width and height, so that the arcs have half of it; at most half the sides).
QPainterPath RectanglePath(const QRect& rect);
QPainterPath EllipsePath(const QRect& rect);
QPainterPath RoundRectPath(const QRect& rect, int cornerWidth, int cornerHeight);

// Qt's pen and brush for the window system's: pens of width 0 and 1 draw one device pixel wide; a brush of
// no colour paints nothing; colours come from the classic table.
QPen QtPen(const PvPen& pen);
QBrush QtBrush(const PvBrush& brush);

// The raster copy mode that copies the source as it is.
constexpr int32_t SRCCOPY = 0x00CC0020;
// The window system's pixel formats, by their stored numbers.
enum PvPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// Sends a picture onto a printer's page in the rectangle, with the raster operation of copyMode (any mode
// but the fifteen named ones copies); an empty picture draws nothing.
void PrintBitmap(QPainter& painter, const QRect& rect, const QImage& bitmap, int32_t copyMode);

// Kinds of page object, by the number each saves under "ID".
enum PvObjectId {
    pvTextId = 1,
    pvRectangleId = 2,
    pvEllipseId = 3,
    pvRoundRectId = 4,
    pvLineId = 5,
    pvPolyLineId = 6,
    pvPolygonId = 7,
    pvRemoveClipId = 9,
    pvClipRectId = 10,
    pvClipRoundRectId = 11,
    pvClipEllipseId = 12,
    pvGraphicId = 13
};

class PvBaseObject;

// What holds page objects and repaints when one of them changes.
class PvObjectOwner {
  public:
    virtual void ObjectChanged(PvBaseObject& object) = 0;

  protected:
    ~PvObjectOwner() = default;
};

// Something recorded on a page that draws itself at any resolution and keeps its settings as a value list.
class PvBaseObject {
  public:
    explicit PvBaseObject(PvResourceTable& resources) : resources_(resources) {}
    virtual ~PvBaseObject() = default;
    PvBaseObject(const PvBaseObject&) = delete;
    PvBaseObject& operator=(const PvBaseObject&) = delete;

    virtual int Id() const = 0;
    // Objects without the print flag show on screen only.
    void Draw(PvDrawContext& context) const {
        if (Print || !context.Printer()) DrawOn(context);
    }
    virtual void Save(PvValueList& values) const;
    virtual void Load(const PvValueList& values);
    virtual void Offset(long double dx, long double dy, PvMeasurement unit);
    // Hit-testable objects answer with themselves.
    virtual class PvVisibleObject* AsVisible() { return nullptr; }
    // The page that holds the object hears of its changes.
    void SetOwner(PvObjectOwner* owner) { owner_ = owner; }

    int UniqueId = -1;
    bool Print = true;

  protected:
    virtual void DrawOn(PvDrawContext& context) const = 0;
    void Changed() {
        if (owner_) owner_->ObjectChanged(*this);
    }
    PvResourceTable& resources_;

  private:
    PvObjectOwner* owner_ = nullptr;
};

// An object with a visibility and a bounding rectangle, in inches.
class PvVisibleObject : public PvBaseObject {
  public:
    using PvBaseObject::PvBaseObject;
    PvVisibleObject* AsVisible() override { return this; }
    // The bounding rectangle at a resolution, for hit testing.
    QRect Bounds(double ppiX, double ppiY) const;
    void Save(PvValueList& values) const override;
    void Load(const PvValueList& values) override;
    void Offset(long double dx, long double dy, PvMeasurement unit) override;

    bool Visible() const { return visible_; }
    // Tells the page when it changes.
    void SetVisible(bool visible);
    PvRect Rect; // inches

  protected:
    QPainterPath Shape(const PvDrawContext& context) const;

  private:
    bool visible_ = true;
};

// A shape drawn with a pen held in the resource table.
class PvOutlineShape : public PvVisibleObject {
  public:
    using PvVisibleObject::PvVisibleObject;
    void SetPen(const PvPen& pen) { pen_ = resources_.Pens.Add(pen); }
    const PvRef<PvPen>& Pen() const { return pen_; }
    void Save(PvValueList& values) const override;
    void Load(const PvValueList& values) override;

  protected:
    void DrawOn(PvDrawContext& context) const override;
    virtual QPainterPath Outline(const PvDrawContext& context) const = 0;
    virtual QBrush Fill() const { return Qt::NoBrush; }

  private:
    PvRef<PvPen> pen_;
};

// A shape outlined with a pen and filled with a brush, both held in the resource table.
class PvSolidShape : public PvOutlineShape {
  public:
    using PvOutlineShape::PvOutlineShape;
    void SetBrush(const PvBrush& brush) { brush_ = resources_.Brushes.Add(brush); }
    const PvRef<PvBrush>& Brush() const { return brush_; }
    void Save(PvValueList& values) const override;
    void Load(const PvValueList& values) override;

  protected:
    QBrush Fill() const override;

  private:
    PvRef<PvBrush> brush_;
};

class PvRectangleShape : public PvSolidShape {
  public:
    using PvSolidShape::PvSolidShape;
    int Id() const override { return pvRectangleId; }

  protected:
    QPainterPath Outline(const PvDrawContext& context) const override;
};

class PvEllipseShape : public PvSolidShape {
  public:
    using PvSolidShape::PvSolidShape;
    int Id() const override { return pvEllipseId; }

  protected:
    QPainterPath Outline(const PvDrawContext& context) const override;
};

class PvRoundRectShape : public PvSolidShape {
  public:
    using PvSolidShape::PvSolidShape;
    int Id() const override { return pvRoundRectId; }
    void Save(PvValueList& values) const override;
    void Load(const PvValueList& values) override;
    PvPoint Corner; // width and height, inches

  protected:
    QPainterPath Outline(const PvDrawContext& context) const override;
};

// A picture stretched into its rectangle.
class PvGraphicObject : public PvSolidShape {
  public:
    using PvSolidShape::PvSolidShape;
    int Id() const override { return pvGraphicId; }
    void SetGraphic(const PvGraphic& graphic) {
        graphic_ = resources_.Graphics.Add(graphic, resources_.CompareGraphics);
    }
    const PvRef<PvGraphic>& GraphicRef() const { return graphic_; }
    void Save(PvValueList& values) const override;
    // The picture is found by its index in the graphic list ("G"); without one the object draws nothing.
    void Load(const PvValueList& values) override;

    int32_t CopyMode = SRCCOPY;
    int PixelFormat = pf8bit;

  protected:
    void DrawOn(PvDrawContext& context) const override;
    QPainterPath Outline(const PvDrawContext& context) const override { return Shape(context); }

  private:
    PvRef<PvGraphic> graphic_;
};

// A line of text in a font from the resource table, its top-left corner at the rectangle's; a brush that is
// not clear fills the text's rectangle first. The font's angle (tenths of a degree) turns it about that
// corner.
class PvTextObject : public PvVisibleObject {
  public:
    using PvVisibleObject::PvVisibleObject;
    int Id() const override { return pvTextId; }
    void SetFont(const PvFont& font) { font_ = resources_.Fonts.Add(font); }
    void SetBrush(const PvBrush& brush) { brush_ = resources_.Brushes.Add(brush); }
    const PvRef<PvFont>& Font() const { return font_; }
    const PvRef<PvBrush>& Brush() const { return brush_; }
    void Save(PvValueList& values) const override;
    void Load(const PvValueList& values) override;

    QString Text;

  protected:
    void DrawOn(PvDrawContext& context) const override;

  private:
    PvRef<PvFont> font_;
    PvRef<PvBrush> brush_;
};

// Shapes through a list of points in inches ("PTS"); the rectangle always follows them (a shape loaded
// without readable points has none).
template <class Base> class PvPointShape : public Base {
  public:
    using Base::Base;
    const std::vector<PvPoint>& Points() const { return points_; }
    void SetPoints(std::vector<PvPoint> points) {
        points_ = std::move(points);
        this->Rect = PointBounds(points_);
    }
    void Save(PvValueList& values) const override {
        Base::Save(values);
        values.WritePoints(QStringLiteral("PTS"), points_);
    }
    void Load(const PvValueList& values) override {
        Base::Load(values);
        SetPoints(values.ReadPoints(QStringLiteral("PTS")).value_or(std::vector<PvPoint>{}));
    }
    void Offset(long double dx, long double dy, PvMeasurement unit) override {
        const long double x = ConvertValue(unit, pvInches, dx), y = ConvertValue(unit, pvInches, dy);
        for (PvPoint& point : points_)
            point = {point.X + x, point.Y + y};
        this->Rect = PointBounds(points_);
    }

  protected:
    QPainterPath PointsPath(const PvDrawContext& context, bool closed) const;

  private:
    static PvRect PointBounds(const std::vector<PvPoint>& points);
    std::vector<PvPoint> points_;
};

// A line (two points) or a line through many points, drawn with the pen.
class PvPolyLineObject : public PvPointShape<PvOutlineShape> {
  public:
    PvPolyLineObject(PvResourceTable& resources, int id) : PvPointShape(resources), id_(id) {}
    int Id() const override { return id_; }

  protected:
    QPainterPath Outline(const PvDrawContext& context) const override { return PointsPath(context, false); }

  private:
    int id_;
};

// A closed figure through the points, outlined with the pen and filled (alternate rule) with the brush.
class PvPolygonObject : public PvPointShape<PvSolidShape> {
  public:
    using PvPointShape::PvPointShape;
    int Id() const override { return pvPolygonId; }

  protected:
    QPainterPath Outline(const PvDrawContext& context) const override { return PointsPath(context, true); }
};

// Clip commands: later objects of the page draw inside the shape until a remove-clip object.
class PvRemoveClipObject : public PvBaseObject {
  public:
    using PvBaseObject::PvBaseObject;
    int Id() const override { return pvRemoveClipId; }

  protected:
    void DrawOn(PvDrawContext& context) const override { context.RemoveClip(); }
};

class PvClipObject : public PvBaseObject {
  public:
    PvClipObject(PvResourceTable& resources, int id) : PvBaseObject(resources), id_(id) {}
    int Id() const override { return id_; }
    void Save(PvValueList& values) const override;
    void Load(const PvValueList& values) override;
    void Offset(long double dx, long double dy, PvMeasurement unit) override;

    PvRect Rect;    // inches
    PvPoint Corner; // of a rounded rectangle, inches

  protected:
    void DrawOn(PvDrawContext& context) const override;

  private:
    int id_;
};

// A new object of a saved kind; nothing for an unknown id.
std::unique_ptr<PvBaseObject> CreatePvObject(int id, PvResourceTable& resources);
