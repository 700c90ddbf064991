#include "platform/gfx/canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <cstdlib>

#include "platform/gfx/bitmap.h"

namespace {

QColor ToQColor(int32_t color) {
    return QColor::fromRgb(ClassicColorToRgb(color));
}

QRect ToQRect(const Rect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

QPainter::CompositionMode CompositionOf(CopyMode mode) {
    switch (mode) {
    case CopyMode::cmSrcAnd:
        return QPainter::RasterOp_SourceAndDestination;
    case CopyMode::cmSrcPaint:
        return QPainter::RasterOp_SourceOrDestination;
    default:
        return QPainter::CompositionMode_Source;
    }
}

// Colours of one ring of a 3D edge: top-left, bottom-right.
struct Ring {
    int topLeft;
    int bottomRight;
};

// System colour indexes: 15 face, 16 shadow, 20 highlight, 21 dark shadow, 22 light.
Ring OuterRing(unsigned edge, bool soft) {
    if (edge & BDR_RAISEDOUTER) return {soft ? 20 : 22, 21};
    return {soft ? 21 : 16, 20};
}

Ring InnerRing(unsigned edge, bool soft) {
    if (edge & BDR_RAISEDINNER) return {soft ? 22 : 20, 16};
    return {soft ? 16 : 21, 22};
}

} // namespace

Canvas::Canvas(QImage& target) : target_(target) {}

void Canvas::Begin(QPainter& painter) const {
    painter.begin(&target_);
    if (ClipRect) painter.setClipRect(ToQRect(*ClipRect));
}

void Canvas::Changed() {
    if (OnChange) OnChange();
}

QFont Canvas::DrawingFont() const {
    QFont font = Font.Face;
    if (CharacterExtra != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, CharacterExtra);
    return font;
}

void Canvas::FillRect(const Rect& r) {
    if (Brush.Style == BrushStyle::bsClear || r.IsEmpty()) return;
    QPainter painter;
    Begin(painter);
    painter.fillRect(ToQRect(r), ToQColor(Brush.Color));
    painter.end();
    Changed();
}

void Canvas::FrameRect(const Rect& r) {
    if (r.IsEmpty()) return;
    QPainter painter;
    Begin(painter);
    const QColor color = ToQColor(Brush.Color);
    painter.fillRect(QRect(r.Left, r.Top, r.Width(), 1), color);
    painter.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), color);
    painter.fillRect(QRect(r.Left, r.Top, 1, r.Height()), color);
    painter.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), color);
    painter.end();
    Changed();
}

void Canvas::Rectangle(const Rect& r) {
    if (r.IsEmpty()) return;
    FillRect({r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1});
    Polyline({{r.Left, r.Top},
              {r.Right - 1, r.Top},
              {r.Right - 1, r.Bottom - 1},
              {r.Left, r.Bottom - 1},
              {r.Left, r.Top}});
}

// Lines are stepped here rather than by the painter: the end point is left out, as the window system does,
// and a dotted pen sets every other pixel.
void Canvas::LineTo(int x, int y) {
    const QPoint from = penPos_;
    penPos_ = {x, y};
    if (Pen.Style == PenStyle::psClear) return;
    const int dx = std::abs(x - from.x()), dy = -std::abs(y - from.y());
    const int sx = from.x() < x ? 1 : -1, sy = from.y() < y ? 1 : -1;
    const QRgb color = ClassicColorToRgb(Pen.Color);
    const Rect bounds = ClipRect ? Intersect(*ClipRect, {0, 0, target_.width(), target_.height()})
                                 : Rect{0, 0, target_.width(), target_.height()};
    int error = dx + dy, px = from.x(), py = from.y();
    for (int step = 0; px != x || py != y; ++step) {
        if ((Pen.Style == PenStyle::psSolid || step % 2 == 0) && bounds.Contains(px, py))
            target_.setPixel(px, py, color);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            px += sx;
        }
        if (twice <= dx) {
            error += dx;
            py += sy;
        }
    }
    Changed();
}

void Canvas::Polyline(const std::vector<QPoint>& points) {
    if (points.empty()) return;
    MoveTo(points.front().x(), points.front().y());
    for (size_t i = 1; i < points.size(); ++i)
        LineTo(points[i].x(), points[i].y());
}

void Canvas::Polygon(const std::vector<QPoint>& points) {
    if (points.size() < 2) return;
    if (Brush.Style == BrushStyle::bsSolid) {
        QPainter painter;
        Begin(painter);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(Brush.Color));
        painter.drawPolygon(QPolygon(QList<QPoint>(points.begin(), points.end())));
        painter.end();
    }
    std::vector<QPoint> closed = points;
    closed.push_back(points.front());
    Polyline(closed);
}

void Canvas::DrawFocusRect(const Rect& r) {
    if (r.IsEmpty()) return;
    for (int x = r.Left; x < r.Right; ++x)
        for (int y : {r.Top, r.Bottom - 1})
            if ((x + y) % 2 == 0 && target_.valid(x, y))
                target_.setPixel(x, y, target_.pixel(x, y) ^ 0xFFFFFF);
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
        for (int x : {r.Left, r.Right - 1})
            if ((x + y) % 2 == 0 && target_.valid(x, y))
                target_.setPixel(x, y, target_.pixel(x, y) ^ 0xFFFFFF);
    Changed();
}

void Canvas::DrawEdge(Rect& r, unsigned edge, unsigned flags) {
    const bool soft = flags & BF_SOFT;
    std::vector<Ring> rings;
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) rings.push_back(OuterRing(edge, soft));
    if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) rings.push_back(InnerRing(edge, soft));
    Rect ring = r;
    QPainter painter;
    Begin(painter);
    for (const Ring& colours : rings) {
        if (ring.IsEmpty()) break;
        const QColor light = ToQColor(clSystemColor | colours.topLeft),
                     dark = ToQColor(clSystemColor | colours.bottomRight);
        if (flags & BF_TOP) painter.fillRect(QRect(ring.Left, ring.Top, ring.Width(), 1), light);
        if (flags & BF_LEFT) painter.fillRect(QRect(ring.Left, ring.Top, 1, ring.Height()), light);
        if (flags & BF_BOTTOM) painter.fillRect(QRect(ring.Left, ring.Bottom - 1, ring.Width(), 1), dark);
        if (flags & BF_RIGHT) painter.fillRect(QRect(ring.Right - 1, ring.Top, 1, ring.Height()), dark);
        ring = {ring.Left + ((flags & BF_LEFT) ? 1 : 0), ring.Top + ((flags & BF_TOP) ? 1 : 0),
                ring.Right - ((flags & BF_RIGHT) ? 1 : 0), ring.Bottom - ((flags & BF_BOTTOM) ? 1 : 0)};
    }
    painter.end();
    if (flags & BF_ADJUST) r = ring;
    Changed();
}

void Canvas::TextOut(int x, int y, const QString& text) {
    const QFont font = DrawingFont();
    const QFontMetrics metrics(font);
    QPainter painter;
    Begin(painter);
    painter.setFont(font);
    if (Font.Escapement != 0) {
        // Rotated text turns about its top-left point, counter-clockwise.
        painter.translate(x, y);
        painter.rotate(-Font.Escapement / 10.0);
        x = y = 0;
    }
    if (Brush.Style == BrushStyle::bsSolid)
        painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()),
                         ToQColor(Brush.Color));
    painter.setPen(ToQColor(Font.Color));
    painter.drawText(x, y + metrics.ascent(), text);
    painter.end();
    Changed();
}

Rect Canvas::DrawText(const Rect& r, const QString& text, unsigned format) {
    const QFont font = DrawingFont();
    const QFontMetrics metrics(font);
    int flags = (format & DT_CENTER)  ? Qt::AlignHCenter
                : (format & DT_RIGHT) ? Qt::AlignRight
                                      : Qt::AlignLeft;
    flags |= (format & DT_VCENTER) ? Qt::AlignVCenter : (format & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    flags |= (format & DT_SINGLELINE) ? Qt::TextSingleLine : 0;
    const QRect bounds = metrics.boundingRect(ToQRect(r), flags, text);
    const Rect measured{r.Left, r.Top, r.Left + bounds.width(), r.Top + bounds.height()};
    if (format & DT_CALCRECT) return measured;
    QPainter painter;
    Begin(painter);
    if (!(format & DT_NOCLIP)) painter.setClipRect(ToQRect(ClipRect ? Intersect(*ClipRect, r) : r));
    painter.setFont(font);
    painter.setLayoutDirection((format & DT_RTLREADING) ? Qt::RightToLeft : Qt::LeftToRight);
    if (Brush.Style == BrushStyle::bsSolid) painter.fillRect(bounds, ToQColor(Brush.Color));
    painter.setPen(ToQColor(Font.Color));
    painter.drawText(ToQRect(r), flags, text);
    painter.end();
    Changed();
    return measured;
}

int Canvas::TextWidth(const QString& text) const {
    return QFontMetrics(DrawingFont()).horizontalAdvance(text);
}

int Canvas::TextHeight(const QString& text) const {
    return text.isNull() ? 0 : QFontMetrics(DrawingFont()).height();
}

void Canvas::CopyRect(const Rect& dst, const QImage& src, const Rect& srcRect) {
    if (dst.IsEmpty() || srcRect.IsEmpty() || src.isNull()) return;
    QPainter painter;
    Begin(painter);
    painter.setCompositionMode(CompositionOf(Mode));
    // Opaque pixels only: a copy moves colours, not transparency.
    painter.drawImage(ToQRect(dst), src.convertToFormat(QImage::Format_RGB32), ToQRect(srcRect));
    painter.end();
    Changed();
}

void Canvas::CopyRect(const Rect& dst, const Bitmap& src, const Rect& srcRect) {
    if (src.Format() != PixelFormat::pf1bit) {
        CopyRect(dst, src.ToImage(), srcRect);
        return;
    }
    // A two-colour source takes the canvas's text and background colours, whatever its palette says.
    QImage mono(src.Width(), src.Height(), QImage::Format_RGB32);
    const QRgb zero = ClassicColorToRgb(TextColor), one = ClassicColorToRgb(BackgroundColor);
    for (int y = 0; y < src.Height(); ++y) {
        const uint8_t* row = src.ScanLine(y);
        QRgb* out = reinterpret_cast<QRgb*>(mono.scanLine(y));
        for (int x = 0; x < src.Width(); ++x)
            out[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? one : zero;
    }
    CopyRect(dst, mono, srcRect);
}

void Canvas::StretchDraw(const Rect& dst, const QImage& picture) {
    if (dst.IsEmpty() || picture.isNull()) return;
    QPainter painter;
    Begin(painter);
    painter.drawImage(ToQRect(dst), picture);
    painter.end();
    Changed();
}
