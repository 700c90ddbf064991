#include "print/preview/pv_canvas.h"

#include "platform/gfx/graphic.h"
#include "print/preview/pv_page_list.h"

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
    if (PvVisibleObject* visible = object->AsVisible()) visible->Visible = Visible;
    last_ = &pages_.AddObject(std::move(object), CoordsRelativeTo);
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
    const long double w = ConvertValue(pvPixels, unit, graphic.image.width()) * scale;
    const long double h = ConvertValue(pvPixels, unit, graphic.image.height()) * scale;
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

void PvCanvas::SaveValues() {
    saved_ = {Brush, Font, Pen, CoordsRelativeTo};
}

void PvCanvas::RestoreValues() {
    Brush = saved_.brush;
    Font = saved_.font;
    Pen = saved_.pen;
    CoordsRelativeTo = saved_.coords;
}
