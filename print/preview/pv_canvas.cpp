#include "print/preview/pv_canvas.h"

#include <type_traits>

#include "platform/gfx/graphic.h"
#include "print/preview/pv_font_mapper.h"
#include "print/preview/pv_page_list.h"
#include "print/preview/pv_rich_text.h"

namespace {

PvRect InchesOf(long double left, long double top, long double right, long double bottom,
                PvMeasurement unit) {
    return ConvertRect(unit, pvInches, {left, top, right, bottom});
}

} // namespace

bool PvCanvas::CompareGraphics() const {
    return pages_.Resources.CompareGraphics;
}

void PvCanvas::SetCompareGraphics(bool on) {
    pages_.Resources.CompareGraphics = on;
}

PvBaseObject& PvCanvas::Add(std::unique_ptr<PvBaseObject> object) {
    if (PvVisibleObject* visible = object->AsVisible()) visible->SetVisible(Visible);
    const bool onTarget = TargetPage >= 1 && TargetPage <= pages_.Count();
    last_ =
        &pages_.AddObject(std::move(object), CoordsRelativeTo, onTarget ? TargetPage : pages_.CurrentPage());
    return *last_;
}

PvSolidShape& PvCanvas::AddShape(std::unique_ptr<PvSolidShape> shape, const PvRect& inches) {
    shape->SetBrush(Brush);
    shape->SetPen(Pen);
    shape->Rect = inches;
    return static_cast<PvSolidShape&>(Add(std::move(shape)));
}

PvSolidShape& PvCanvas::Rectangle(long double left, long double top, long double right, long double bottom,
                                  PvMeasurement unit) {
    return AddShape(std::make_unique<PvRectangleShape>(pages_.Resources),
                    InchesOf(left, top, right, bottom, unit));
}

PvSolidShape& PvCanvas::Ellipse(long double left, long double top, long double right, long double bottom,
                                PvMeasurement unit) {
    return AddShape(std::make_unique<PvEllipseShape>(pages_.Resources),
                    InchesOf(left, top, right, bottom, unit));
}

PvSolidShape& PvCanvas::RoundRect(long double left, long double top, long double right, long double bottom,
                                  long double cornerWidth, long double cornerHeight, PvMeasurement unit) {
    auto shape = std::make_unique<PvRoundRectShape>(pages_.Resources);
    shape->Corner = {ConvertValue(unit, pvInches, cornerWidth), ConvertValue(unit, pvInches, cornerHeight)};
    return AddShape(std::move(shape), InchesOf(left, top, right, bottom, unit));
}

PvGraphicObject& PvCanvas::AddGraphic(const PvGraphic& graphic, long double x, long double y,
                                      long double scale, PvMeasurement unit) {
    auto object = std::make_unique<PvGraphicObject>(pages_.Resources);
    object->SetBrush(Brush);
    object->SetPen(Pen);
    object->CopyMode = CopyMode;
    object->SetGraphic(graphic);
    const long double w = ConvertValue(pvPixels, unit, graphic.Size().width()) * scale;
    const long double h = ConvertValue(pvPixels, unit, graphic.Size().height()) * scale;
    object->Rect = InchesOf(x, y, x + w, y + h, unit);
    return static_cast<PvGraphicObject&>(Add(std::move(object)));
}

PvGraphicObject& PvCanvas::Draw(long double x, long double y, const QImage& picture, long double scale) {
    return AddGraphic(PvGraphic::Make(picture), x, y, scale, DefaultMeasurement);
}

PvGraphicObject& PvCanvas::Draw(long double x, long double y, const Graphic& picture, long double scale) {
    return AddGraphic(PvGraphic::Make(picture), x, y, scale, DefaultMeasurement);
}

PvGraphicObject& PvCanvas::StretchDrawScaled(long double x, long double y, const QImage& picture,
                                             long double scale, PvMeasurement unit) {
    return AddGraphic(PvGraphic::Make(picture), x, y, scale, unit);
}

PvBaseObject& PvCanvas::AddClip(int id, const PvRect& inches, PvPoint corner) {
    auto clip = std::make_unique<PvClipObject>(pages_.Resources, id);
    clip->Rect = inches;
    clip->Corner = corner;
    return Add(std::move(clip));
}

PvBaseObject& PvCanvas::ClipRect(long double left, long double top, long double right, long double bottom,
                                 PvMeasurement unit) {
    return AddClip(pvClipRectId, InchesOf(left, top, right, bottom, unit), {});
}

PvBaseObject& PvCanvas::ClipEllipse(long double left, long double top, long double right, long double bottom,
                                    PvMeasurement unit) {
    return AddClip(pvClipEllipseId, InchesOf(left, top, right, bottom, unit), {});
}

PvBaseObject& PvCanvas::ClipRoundRect(long double left, long double top, long double right,
                                      long double bottom, long double cornerWidth, long double cornerHeight,
                                      PvMeasurement unit) {
    return AddClip(pvClipRoundRectId, InchesOf(left, top, right, bottom, unit),
                   {ConvertValue(unit, pvInches, cornerWidth), ConvertValue(unit, pvInches, cornerHeight)});
}

PvBaseObject& PvCanvas::RemoveClip() {
    return Add(std::make_unique<PvRemoveClipObject>(pages_.Resources));
}

PvTextObject& PvCanvas::TextOut(long double x, long double y, const QString& text, PvMeasurement unit) {
    auto object = std::make_unique<PvTextObject>(pages_.Resources);
    object->SetFont(Font);
    object->SetBrush(Brush);
    object->Text = text;
    const PvPoint size = TextExtent(text, pvInches);
    const PvPoint at = ConvertPoint(unit, pvInches, {x, y});
    object->Rect = {at.X, at.Y, at.X + size.X, at.Y + size.Y};
    return static_cast<PvTextObject&>(Add(std::move(object)));
}

PvPoint PvCanvas::TextExtent(const QString& text, PvMeasurement unit) const {
    const QSizeF inches = MappedTextExtent(QtFont(Font), text);
    return ConvertPoint(pvInches, unit, {inches.width(), inches.height()});
}

void PvCanvas::MoveTo(long double x, long double y, PvMeasurement unit) {
    penPosition_ = ConvertPoint(unit, pvInches, {x, y});
}

template <class Shape>
Shape& PvCanvas::AddPoints(std::unique_ptr<Shape> shape, const std::vector<PvPoint>& points,
                           PvMeasurement unit) {
    shape->SetPen(Pen);
    if constexpr (std::is_base_of_v<PvSolidShape, Shape>) shape->SetBrush(Brush);
    std::vector<PvPoint> inches;
    inches.reserve(points.size());
    for (const PvPoint& point : points)
        inches.push_back(ConvertPoint(unit, pvInches, point));
    shape->SetPoints(std::move(inches));
    return static_cast<Shape&>(Add(std::move(shape)));
}

PvPolyLineObject& PvCanvas::LineTo(long double x, long double y, PvMeasurement unit) {
    const PvPoint from = penPosition_;
    MoveTo(x, y, unit);
    return AddPoints(std::make_unique<PvPolyLineObject>(pages_.Resources, pvLineId), {from, penPosition_},
                     pvInches);
}

PvPolyLineObject& PvCanvas::Polyline(const std::vector<PvPoint>& points, PvMeasurement unit) {
    return AddPoints(std::make_unique<PvPolyLineObject>(pages_.Resources, pvPolyLineId), points, unit);
}

PvPolygonObject& PvCanvas::Polygon(const std::vector<PvPoint>& points, PvMeasurement unit) {
    return AddPoints(std::make_unique<PvPolygonObject>(pages_.Resources), points, unit);
}

void PvCanvas::RichText(long double left, long double top, long double right, long double bottom,
                        const QTextDocument& text, PvMeasurement unit) {
    pages_.AddRichText(pages_.Resources.Memos.Add({SaveRichText(text)}),
                       InchesOf(left, top, right, bottom, unit), CoordsRelativeTo);
}

void PvCanvas::SaveValues() {
    saved_ = {Brush, Font, Pen, CoordsRelativeTo};
}

void PvCanvas::RestoreValues() {
    Brush = saved_.brush;
    Font = saved_.font;
    Pen = saved_.pen;
    CoordsRelativeTo = saved_.coords;
}
