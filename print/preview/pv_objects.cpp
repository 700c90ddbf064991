#include "print/preview/pv_objects.h"

#include <QPainter>
#include <algorithm>

#include "print/preview/pv_font_mapper.h"

namespace {

QColor ColorOf(int32_t color) {
    return QColor::fromRgb(ClassicColorToRgb(color));
}

} // namespace

QPen QtPen(const PvPen& pen) {
    static const Qt::PenStyle kStyles[] = {Qt::SolidLine,      Qt::DashLine, Qt::DotLine,  Qt::DashDotLine,
                                           Qt::DashDotDotLine, Qt::NoPen,    Qt::SolidLine};
    QPen qt(ColorOf(pen.Color));
    qt.setStyle(pen.Style >= 0 && pen.Style < 7 ? kStyles[pen.Style] : Qt::SolidLine);
    // The window system draws pens of width 0 and 1 one device pixel wide.
    if (pen.Width <= 1) {
        qt.setWidth(0);
        qt.setCosmetic(true);
    } else {
        qt.setWidth(pen.Width);
    }
    return qt;
}

QBrush QtBrush(const PvBrush& brush) {
    static const Qt::BrushStyle kStyles[] = {Qt::SolidPattern, Qt::NoBrush,         Qt::HorPattern,
                                             Qt::VerPattern,   Qt::FDiagPattern,    Qt::BDiagPattern,
                                             Qt::CrossPattern, Qt::DiagCrossPattern};
    if (brush.Color == clNone || brush.Style < 0 || brush.Style > 7) return Qt::NoBrush;
    return QBrush(ColorOf(brush.Color), kStyles[brush.Style]);
}

namespace {

// A quarter of the ellipse inscribed in the box (cx, cy are the box's corner the arc bends around).
void ArcAround(QPainterPath& path, QPointF from, QPointF corner, QPointF to, int w, int h) {
    const double kx = std::round(w / 4.45), ky = std::round(h / 4.45);
    const QPointF c1 = from.y() == corner.y()
                           ? QPointF(corner.x() - (corner.x() > from.x() ? kx : -kx), corner.y())
                           : QPointF(corner.x(), corner.y() - (corner.y() > from.y() ? ky : -ky));
    const QPointF c2 = to.y() == corner.y()
                           ? QPointF(corner.x() - (corner.x() > to.x() ? kx : -kx), corner.y())
                           : QPointF(corner.x(), corner.y() - (corner.y() > to.y() ? ky : -ky));
    path.cubicTo(c1, c2, to);
}

QImage::Format FormatFor(int pixelFormat) {
    switch (pixelFormat) {
    case pf1bit:
        return QImage::Format_Mono;
    case pf4bit:
    case pf8bit:
        return QImage::Format_Indexed8;
    case pf15bit:
        return QImage::Format_RGB555;
    case pf16bit:
        return QImage::Format_RGB16;
    case pf24bit:
        return QImage::Format_RGB888;
    case pf32bit:
        return QImage::Format_RGB32;
    default:
        return QImage::Format_Invalid;
    }
}

} // namespace

PvDrawContext::PvDrawContext(QPainter& painter, double ppiX, double ppiY, bool printer,
                             const QPainterPath& baseClip)
    : painter_(painter), ppiX_(ppiX), ppiY_(ppiY), printer_(printer), baseClip_(baseClip) {}

QRect PixelRect(const PvRect& inches, double ppiX, double ppiY) {
    auto x = [ppiX](long double v) { return static_cast<int>(RoundNearest(v * ppiX)); };
    auto y = [ppiY](long double v) { return static_cast<int>(RoundNearest(v * ppiY)); };
    return QRect(QPoint(x(inches.Left), y(inches.Top)), QPoint(x(inches.Right) - 1, y(inches.Bottom) - 1));
}

void PvDrawContext::SetClip(const QPainterPath& shape) {
    if (baseClip_.isEmpty()) {
        painter_.setClipPath(shape);
        return;
    }
    painter_.setClipPath(baseClip_);
    painter_.setClipPath(shape, Qt::IntersectClip);
}

void PvDrawContext::RemoveClip() {
    if (baseClip_.isEmpty())
        painter_.setClipping(false);
    else
        painter_.setClipPath(baseClip_);
}

QPainterPath RectanglePath(const QRect& r) {
    QPainterPath path;
    const int right = r.left() + r.width(), bottom = r.top() + r.height();
    path.moveTo(r.left(), r.top());
    path.lineTo(right, r.top());
    path.lineTo(right, bottom);
    path.lineTo(r.left(), bottom);
    path.closeSubpath();
    return path;
}

QPainterPath EllipsePath(const QRect& r) {
    return RoundRectPath(r, r.width(), r.height());
}

QPainterPath RoundRectPath(const QRect& r, int cornerWidth, int cornerHeight) {
    const int left = r.left(), top = r.top(), right = r.left() + r.width(), bottom = r.top() + r.height();
    const int w = std::clamp(cornerWidth, 0, r.width()), h = std::clamp(cornerHeight, 0, r.height());
    if (w == 0 || h == 0) return RectanglePath(r);
    const int rx = w / 2, ry = h / 2;
    QPainterPath path;
    path.moveTo(left + rx, top);
    path.lineTo(right - rx, top);
    ArcAround(path, {double(right - rx), double(top)}, {double(right), double(top)},
              {double(right), double(top + ry)}, w, h);
    path.lineTo(right, bottom - ry);
    ArcAround(path, {double(right), double(bottom - ry)}, {double(right), double(bottom)},
              {double(right - rx), double(bottom)}, w, h);
    path.lineTo(left + rx, bottom);
    ArcAround(path, {double(left + rx), double(bottom)}, {double(left), double(bottom)},
              {double(left), double(bottom - ry)}, w, h);
    path.lineTo(left, top + ry);
    ArcAround(path, {double(left), double(top + ry)}, {double(left), double(top)},
              {double(left + rx), double(top)}, w, h);
    path.closeSubpath();
    return path;
}

void PrintBitmap(QPainter& painter, const QRect& rect, const QImage& bitmap, int32_t copyMode) {
    if (bitmap.isNull()) return;
    painter.save();
    switch (static_cast<uint32_t>(copyMode)) {
    case 0x00000042: // BLACKNESS
        painter.fillRect(rect, Qt::black);
        break;
    case 0x00FF0062: // WHITENESS
        painter.fillRect(rect, Qt::white);
        break;
    case 0x00550009: // DSTINVERT
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(rect, Qt::white);
        break;
    default: {
        // Pattern operations have no brush pattern at print time and copy like SRCCOPY.
        static const std::pair<uint32_t, QPainter::CompositionMode> kModes[] = {
            {0x008800C6, QPainter::RasterOp_SourceAndDestination},       // SRCAND
            {0x00EE0086, QPainter::RasterOp_SourceOrDestination},        // SRCPAINT
            {0x00660046, QPainter::RasterOp_SourceXorDestination},       // SRCINVERT
            {0x00330008, QPainter::RasterOp_NotSource},                  // NOTSRCCOPY
            {0x00440328, QPainter::RasterOp_SourceAndNotDestination},    // SRCERASE
            {0x001100A6, QPainter::RasterOp_NotSourceAndNotDestination}, // NOTSRCERASE
            {0x00BB0226, QPainter::RasterOp_NotSourceOrDestination},     // MERGEPAINT
        };
        for (const auto& [code, mode] : kModes)
            if (code == static_cast<uint32_t>(copyMode)) painter.setCompositionMode(mode);
        painter.drawImage(rect, bitmap);
    }
    }
    painter.restore();
}

void PvBaseObject::Save(PvValueList& values) const {
    values.WriteInteger(QStringLiteral("ID"), Id());
    values.WriteInteger(QStringLiteral("UI"), UniqueId);
}

void PvBaseObject::Load(const PvValueList& values) {
    UniqueId = values.ReadInteger(QStringLiteral("UI"), -1);
}

void PvBaseObject::Offset(long double, long double, PvMeasurement) {}

QRect PvVisibleObject::Bounds(double ppiX, double ppiY) const {
    return PixelRect(Rect, ppiX, ppiY).normalized();
}

void PvVisibleObject::Save(PvValueList& values) const {
    PvBaseObject::Save(values);
    values.WriteRect(QStringLiteral("XY"), Rect);
}

void PvVisibleObject::Load(const PvValueList& values) {
    PvBaseObject::Load(values);
    Rect = values.ReadRect(QStringLiteral("XY"), Rect);
}

void PvVisibleObject::Offset(long double dx, long double dy, PvMeasurement unit) {
    Rect = Rect.Offset(ConvertValue(unit, pvInches, dx), ConvertValue(unit, pvInches, dy));
}

QPainterPath PvVisibleObject::Shape(const PvDrawContext& context) const {
    return RectanglePath(context.Rect(Rect));
}

void PvVisibleObject::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Changed();
}

void PvOutlineShape::Save(PvValueList& values) const {
    PvVisibleObject::Save(values);
    values.WriteInteger(QStringLiteral("P"), pen_.Index());
}

void PvOutlineShape::Load(const PvValueList& values) {
    PvVisibleObject::Load(values);
    pen_ = resources_.Pens.Named(values.ReadInteger(QStringLiteral("P"), -1));
}

void PvOutlineShape::DrawOn(PvDrawContext& context) const {
    if (!Visible()) return;
    QPainter& painter = context.Painter();
    painter.setPen(pen_ ? QtPen(*pen_) : QPen(Qt::black));
    painter.setBrush(Fill());
    painter.drawPath(Outline(context));
}

void PvSolidShape::Save(PvValueList& values) const {
    PvOutlineShape::Save(values);
    values.WriteInteger(QStringLiteral("B"), brush_.Index());
}

void PvSolidShape::Load(const PvValueList& values) {
    PvOutlineShape::Load(values);
    brush_ = resources_.Brushes.Named(values.ReadInteger(QStringLiteral("B"), -1));
}

QBrush PvSolidShape::Fill() const {
    return brush_ ? QtBrush(*brush_) : QBrush(Qt::white);
}

QPainterPath PvRectangleShape::Outline(const PvDrawContext& context) const {
    return Shape(context);
}

QPainterPath PvEllipseShape::Outline(const PvDrawContext& context) const {
    return EllipsePath(context.Rect(Rect));
}

void PvRoundRectShape::Save(PvValueList& values) const {
    PvSolidShape::Save(values);
    values.WritePoint(QStringLiteral("XY3"), Corner);
}

void PvRoundRectShape::Load(const PvValueList& values) {
    PvSolidShape::Load(values);
    Corner = values.ReadPoint(QStringLiteral("XY3"), Corner);
}

QPainterPath PvRoundRectShape::Outline(const PvDrawContext& context) const {
    return RoundRectPath(context.Rect(Rect), context.X(Corner.X), context.Y(Corner.Y));
}

void PvGraphicObject::Save(PvValueList& values) const {
    PvSolidShape::Save(values);
    values.WriteInteger(QStringLiteral("CM"), CopyMode);
    values.WriteInteger(QStringLiteral("PF"), PixelFormat);
    values.WriteInteger(QStringLiteral("G"), graphic_.Index());
}

void PvGraphicObject::Load(const PvValueList& values) {
    PvSolidShape::Load(values);
    CopyMode = values.ReadInteger(QStringLiteral("CM"), SRCCOPY);
    PixelFormat = values.ReadInteger(QStringLiteral("PF"), pf8bit);
    graphic_ = resources_.Graphics.Named(values.ReadInteger(QStringLiteral("G"), -1));
}

void PvGraphicObject::DrawOn(PvDrawContext& context) const {
    if (!Visible() || !graphic_) return;
    const QImage image = graphic_->Image();
    const QImage::Format format = context.Printer() ? FormatFor(PixelFormat) : QImage::Format_Invalid;
    // On paper the picture takes the object's pixel format first, as a printer bitmap would.
    PrintBitmap(context.Painter(), context.Rect(Rect),
                format == QImage::Format_Invalid || format == image.format() ? image
                                                                             : image.convertToFormat(format),
                CopyMode);
}

void PvTextObject::Save(PvValueList& values) const {
    PvVisibleObject::Save(values);
    values.WriteInteger(QStringLiteral("F"), font_.Index());
    values.WriteInteger(QStringLiteral("B"), brush_.Index());
    values.WriteText(QStringLiteral("T"), Text);
}

void PvTextObject::Load(const PvValueList& values) {
    PvVisibleObject::Load(values);
    font_ = resources_.Fonts.Named(values.ReadInteger(QStringLiteral("F"), -1));
    brush_ = resources_.Brushes.Named(values.ReadInteger(QStringLiteral("B"), -1));
    Text = values.ReadText(QStringLiteral("T"), QString());
}

void PvTextObject::DrawOn(PvDrawContext& context) const {
    if (!Visible() || !font_) return;
    QPainter& painter = context.Painter();
    const QRect rect = context.Rect(Rect);
    painter.save();
    painter.translate(rect.topLeft());
    // Angles turn counter-clockwise on a page whose y runs down.
    painter.rotate(-font_->Angle / 10.0);
    if (brush_ && brush_->Style != bsClear)
        painter.fillRect(QRect(QPoint(0, 0), rect.size()), QtBrush(*brush_));
    painter.setPen(ColorOf(font_->Color));
    MappedTextOut(painter, QtFont(*font_), context.PpiY(), 0, 0, Text);
    painter.restore();
}

template <class Base>
QPainterPath PvPointShape<Base>::PointsPath(const PvDrawContext& context, bool closed) const {
    QPainterPath path;
    for (size_t i = 0; i < points_.size(); ++i) {
        const QPointF at(context.X(points_[i].X), context.Y(points_[i].Y));
        i == 0 ? path.moveTo(at) : path.lineTo(at);
    }
    if (closed && points_.size() > 2) path.closeSubpath();
    return path;
}

template <class Base> PvRect PvPointShape<Base>::PointBounds(const std::vector<PvPoint>& points) {
    if (points.empty()) return {};
    PvRect bounds{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (const PvPoint& point : points)
        bounds = {std::min(bounds.Left, point.X), std::min(bounds.Top, point.Y),
                  std::max(bounds.Right, point.X), std::max(bounds.Bottom, point.Y)};
    return bounds;
}

template class PvPointShape<PvOutlineShape>;
template class PvPointShape<PvSolidShape>;

void PvClipObject::Save(PvValueList& values) const {
    PvBaseObject::Save(values);
    values.WriteRect(QStringLiteral("XY"), Rect);
    if (id_ == pvClipRoundRectId) values.WritePoint(QStringLiteral("XY3"), Corner);
}

void PvClipObject::Load(const PvValueList& values) {
    PvBaseObject::Load(values);
    Rect = values.ReadRect(QStringLiteral("XY"), Rect);
    if (id_ == pvClipRoundRectId) Corner = values.ReadPoint(QStringLiteral("XY3"), Corner);
}

void PvClipObject::Offset(long double dx, long double dy, PvMeasurement unit) {
    Rect = Rect.Offset(ConvertValue(unit, pvInches, dx), ConvertValue(unit, pvInches, dy));
}

void PvClipObject::DrawOn(PvDrawContext& context) const {
    const QRect rect = context.Rect(Rect);
    context.SetClip(id_ == pvClipEllipseId     ? EllipsePath(rect)
                    : id_ == pvClipRoundRectId ? RoundRectPath(rect, context.X(Corner.X), context.Y(Corner.Y))
                                               : RectanglePath(rect));
}

std::unique_ptr<PvBaseObject> CreatePvObject(int id, PvResourceTable& resources) {
    switch (id) {
    case pvRectangleId:
        return std::make_unique<PvRectangleShape>(resources);
    case pvEllipseId:
        return std::make_unique<PvEllipseShape>(resources);
    case pvRoundRectId:
        return std::make_unique<PvRoundRectShape>(resources);
    case pvRemoveClipId:
        return std::make_unique<PvRemoveClipObject>(resources);
    case pvClipRectId:
    case pvClipRoundRectId:
    case pvClipEllipseId:
        return std::make_unique<PvClipObject>(resources, id);
    case pvGraphicId:
        return std::make_unique<PvGraphicObject>(resources);
    case pvTextId:
        return std::make_unique<PvTextObject>(resources);
    case pvLineId:
    case pvPolyLineId:
        return std::make_unique<PvPolyLineObject>(resources, id);
    case pvPolygonId:
        return std::make_unique<PvPolygonObject>(resources);
    default:
        return nullptr;
    }
}
