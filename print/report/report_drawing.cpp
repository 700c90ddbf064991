// The report engine's drawing operations: each records a shape, a fill or a change of pen, brush or font.
#include <cmath>

#include "platform/gfx/bitmap.h"
#include "platform/ui.h"
#include "print/report/rp_print_object.h"

namespace {

// Pictures without a size of their own in inches are taken at this many pixels per inch.
constexpr double kPicturePixelsPerInch = 96;

} // namespace

void RpPrintObject::SetLineWidth(int points) {
    if (!Recording()) return;
    drawState_.PenWidth = std::max(points, 0);
    RecordSetting(RpCode::LineWidth, static_cast<uint32_t>(drawState_.PenWidth));
}

void RpPrintObject::SetPenColor(QRgb color) {
    if (!Recording()) return;
    drawState_.PenColor = color;
    RecordSetting(RpCode::PColor, color);
}

void RpPrintObject::SetPenStyle(Qt::PenStyle style) {
    if (!Recording()) return;
    drawState_.PenStyle = static_cast<uint8_t>(style);
    RecordSetting(RpCode::PStyle, drawState_.PenStyle);
}

void RpPrintObject::SetPenMode(PenMode mode) {
    if (!Recording() || mode > pmNotXor) return;
    drawState_.PenMode = mode;
    RecordSetting(RpCode::PMode, mode);
}

void RpPrintObject::SetBrushColor(QRgb color) {
    if (!Recording()) return;
    drawState_.BrushColor = color;
    RecordSetting(RpCode::BColor, color);
}

void RpPrintObject::SetBrushStyle(Qt::BrushStyle style) {
    if (!Recording()) return;
    drawState_.BrushStyle = static_cast<uint8_t>(style);
    RecordSetting(RpCode::BrushStyle, drawState_.BrushStyle);
}

void RpPrintObject::SetFontColor(QRgb color) {
    if (!Recording()) return;
    font_.Color = color;
    drawState_.Font.Color = color;
    RecordSetting(RpCode::FColor, color);
}

void RpPrintObject::Line(double x1, double y1, double x2, double y2) {
    if (!Recording()) return;
    drawState_.PenPos = PointInches(x2, y2);
    RecordShape(RpCode::Line, {PointInches(x1, y1), drawState_.PenPos});
}

void RpPrintObject::MoveTo(double x, double y) {
    if (!Recording()) return;
    drawState_.PenPos = PointInches(x, y);
    Record(RpShape{RpCode::MoveTo, {drawState_.PenPos}});
}

void RpPrintObject::LineTo(double x, double y) {
    if (!Recording()) return;
    drawState_.PenPos = PointInches(x, y);
    RecordShape(RpCode::LineTo, {drawState_.PenPos});
}

void RpPrintObject::Ellipse(double left, double top, double right, double bottom) {
    if (Recording()) RecordShape(RpCode::Ellipse, {PointInches(left, top), PointInches(right, bottom)});
}

void RpPrintObject::FloodFill(double x, double y, QRgb color, RpFillStyle style) {
    if (Recording()) RecordOutput(RpFloodFill{PointInches(x, y), color, style});
}

void RpPrintObject::FillRect(double left, double top, double right, double bottom) {
    if (Recording()) RecordShape(RpCode::FillRect, {PointInches(left, top), PointInches(right, bottom)});
}

void RpPrintObject::FrameRect(double left, double top, double right, double bottom) {
    if (Recording()) RecordShape(RpCode::FrameRect, {PointInches(left, top), PointInches(right, bottom)});
}

void RpPrintObject::Arc(double left, double top, double right, double bottom, double x3, double y3, double x4,
                        double y4) {
    if (Recording())
        RecordShape(RpCode::Arc, {PointInches(left, top), PointInches(right, bottom), PointInches(x3, y3),
                                  PointInches(x4, y4)});
}

void RpPrintObject::Pie(double left, double top, double right, double bottom, double x3, double y3, double x4,
                        double y4) {
    if (Recording())
        RecordShape(RpCode::Pie, {PointInches(left, top), PointInches(right, bottom), PointInches(x3, y3),
                                  PointInches(x4, y4)});
}

void RpPrintObject::PolyLine(const std::vector<QPointF>& points) {
    RecordPoints(RpCode::PolyLine, points, "Error in PolyLine command.");
}

void RpPrintObject::Polygon(const std::vector<QPointF>& points) {
    RecordPoints(RpCode::Polygon, points, "Error in Polygon command.");
}

void RpPrintObject::RecordPoints(RpCode code, const std::vector<QPointF>& points, const char* refusal) {
    if (!Recording() || points.empty()) return;
    if (points.size() > kMaxPolygonPoints) {
        prompts_->Show(QString::fromLatin1(refusal));
        return;
    }
    std::vector<QPointF> inches;
    inches.reserve(points.size());
    for (const QPointF& point : points)
        inches.push_back(PointInches(point.x(), point.y()));
    RecordShape(code, std::move(inches));
}

void RpPrintObject::DrawGraphic(const Graphic& picture, double x, double y, double width, double height) {
    if (!Recording()) return;
    const auto* bitmap = dynamic_cast<const Bitmap*>(&picture);
    if (!bitmap || bitmap->Empty()) return;
    QImage image = bitmap->ToImage();
    if (image.isNull()) {
        prompts_->Show(QStringLiteral("Not enough memory for graphic."));
        return;
    }
    const double w = width == -1 ? bitmap->Width() / kPicturePixelsPerInch : Inches(Pixels(width));
    const double h = height == -1 ? bitmap->Height() / kPicturePixelsPerInch : Inches(Pixels(height));
    const double left = x == -1 ? (Inches(pageWidth_) - w) / 2 : Inches(Pixels(x));
    const double top = y == -1 ? (Inches(pageHeight_) - h) / 2 : Inches(Pixels(y));
    RecordOutput(RpGraphic{QRectF(left, top, w, h), std::move(image)});
}
