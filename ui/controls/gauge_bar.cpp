#include "ui/controls/gauge_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QWheelEvent>
#include <cmath>

namespace {

QColor ToQColor(int32_t color) {
    return QColor::fromRgb(WinColorToRgb(color));
}

QRect ToQRect(const Rect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

// A sunken or raised one-pixel edge inside r.
void Edge(QPainter& painter, const Rect& r, bool raised) {
    const QColor light = ToQColor(clBtnHighlight), dark = ToQColor(clBtnShadow);
    painter.setPen(raised ? light : dark);
    painter.drawLine(r.Left, r.Top, r.Right - 1, r.Top);
    painter.drawLine(r.Left, r.Top, r.Left, r.Bottom - 1);
    painter.setPen(raised ? dark : light);
    painter.drawLine(r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
    painter.drawLine(r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
}

QColor Shifted(int32_t color, int by) {
    const QRgb rgb = WinColorToRgb(color);
    return QColor(std::clamp(qRed(rgb) + by, 0, 255), std::clamp(qGreen(rgb) + by, 0, 255),
                  std::clamp(qBlue(rgb) + by, 0, 255));
}

// a and b mixed, weight parts of b in 255.
QColor Blended(int32_t a, int32_t b, int weight) {
    const QRgb x = WinColorToRgb(a), y = WinColorToRgb(b);
    auto mix = [weight](int p, int q) { return (p * (255 - weight) + q * weight) / 255; };
    return QColor(mix(qRed(x), qRed(y)), mix(qGreen(x), qGreen(y)), mix(qBlue(x), qBlue(y)));
}

enum Side : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

} // namespace

ArrowBar::ArrowBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(100, 16);
    // unguarded: its owner guards the handlers it sets
    connect(&timer_, &QTimer::timeout, this, [this] { TimerHandler(); });
    CursorPos = [this] { return mapFromGlobal(QCursor::pos()); };
}

void CustomGaugeBar::SetPosition(int value) {
    value = std::clamp(value, min_, std::max(min_, max_));
    if (value == position_) return;
    position_ = value;
    update();
    DoChange();
}

void CustomGaugeBar::SetMin(int value) {
    if (!Loading && value >= max_) value = max_ - 1;
    if (value == min_) return;
    min_ = value;
    SetPosition(position_);
    update();
}

void CustomGaugeBar::SetMax(int value) {
    if (!Loading && value <= min_) value = min_ + 1;
    if (value == max_) return;
    max_ = value;
    SetPosition(position_);
    update();
}

void CustomGaugeBar::SetHandleSize(int value) {
    value = std::max(value, 0);
    if (value == handleSize_) return;
    handleSize_ = value;
    update();
}

void ArrowBar::SetButtonSize(int value) {
    if (value == buttonSize_) return;
    buttonSize_ = value;
    update();
}

void ArrowBar::SetKind(Kind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    update();
}

void ArrowBar::SetStyle(Style style) {
    style_ = style;
    update();
}

void ArrowBar::SetBorderStyle(BorderStyle style) {
    borderStyle_ = style;
    update();
}

void ArrowBar::SetBackgnd(Backgnd backgnd) {
    if (backgnd == backgnd_) return;
    backgnd_ = backgnd;
    update();
}

void ArrowBar::SetShowArrows(bool show) {
    if (show == showArrows_) return;
    showArrows_ = show;
    update();
}

void ArrowBar::SetShowHandleGrip(bool show) {
    if (show == showHandleGrip_) return;
    showHandleGrip_ = show;
    update();
}

void ArrowBar::SetColor(int32_t color) {
    if (color == color_) return;
    color_ = color;
    update();
}

Rect ArrowBar::ClientRect() const {
    const int border = borderStyle_ == bsSingle ? 1 : 0;
    return {border, border, width() - border, height() - border};
}

int ArrowBar::GetButtonSize() const {
    if (!showArrows_) return 0;
    const Rect c = ClientRect();
    const int length = kind_ == sbHorizontal ? c.Width() : c.Height();
    const int thickness = kind_ == sbHorizontal ? c.Height() : c.Width();
    int b = buttonSize_ ? buttonSize_ : std::min(thickness, 32);
    if (length <= 2 * b) b = length / 2;
    if (style_ == rbsMac) --b;
    return b < 2 ? 0 : b;
}

Rect ArrowBar::TrackRect() const {
    const Rect c = ClientRect();
    const int b = GetButtonSize();
    return kind_ == sbHorizontal ? Rect{c.Left + b, c.Top, c.Right - b, c.Bottom}
                                 : Rect{c.Left, c.Top + b, c.Right, c.Bottom - b};
}

int CustomGaugeBar::TrackLength() const {
    const Rect t = TrackRect();
    return std::max(GetKind() == sbHorizontal ? t.Width() : t.Height(), 0);
}

int CustomGaugeBar::EffectiveHandleSize() const {
    const Rect c = ClientRect();
    int size = handleSize_ ? handleSize_ : (GetKind() == sbHorizontal ? c.Height() : c.Width());
    if (TrackLength() - size < 1) size = TrackLength() - 1;
    return std::max(size, 0);
}

Rect CustomGaugeBar::GetHandleRect() const {
    const Rect t = TrackRect();
    const int size = EffectiveHandleSize();
    // Min = Max (settings being read) leaves the handle at the start instead of dividing by zero.
    // In 64 bits: a wide Min .. Max times the track length overflows an int.
    const int64_t range = int64_t(max_) - min_;
    const int offset =
        range <= 0 ? 0
                   : static_cast<int>(std::nearbyint(double(TrackLength() - size) *
                                                     double(int64_t(position_) - min_) / double(range)));
    return GetKind() == sbHorizontal ? Rect{t.Left + offset, t.Top, t.Left + offset + size, t.Bottom}
                                     : Rect{t.Left, t.Top + offset, t.Right, t.Top + offset + size};
}

Rect ArrowBar::DrawnHandleRect() const {
    const Rect h = GetHandleRect();
    if (isEnabled() && !h.IsEmpty()) return h;
    const Rect t = TrackRect();
    return kind_ == sbHorizontal ? Rect{(t.Left + t.Right) / 2, t.Top, (t.Left + t.Right) / 2, t.Bottom}
                                 : Rect{t.Left, (t.Top + t.Bottom) / 2, t.Right, (t.Top + t.Bottom) / 2};
}

Rect ArrowBar::ButtonRect(bool first) const {
    const Rect c = ClientRect();
    const int b = GetButtonSize();
    if (kind_ == sbHorizontal)
        return first ? Rect{c.Left, c.Top, c.Left + b, c.Bottom}
                     : Rect{c.Right - b, c.Top, c.Right, c.Bottom};
    return first ? Rect{c.Left, c.Top, c.Right, c.Top + b} : Rect{c.Left, c.Bottom - b, c.Right, c.Bottom};
}

ArrowBar::Zone ArrowBar::GetZone(int x, int y) const {
    const Rect c = ClientRect();
    if (!c.Contains(x, y)) return zNone;
    if (ButtonRect(true).Contains(x, y)) return zBtnPrev;
    if (ButtonRect(false).Contains(x, y)) return zBtnNext;
    const Rect h = DrawnHandleRect();
    if (h.Contains(x, y)) return zHandle;
    const int along = Along(x - c.Left, y - c.Top);
    const int start = Along(h.Left - c.Left, h.Top - c.Top), end = Along(h.Right - c.Left, h.Bottom - c.Top);
    const int length = kind_ == sbHorizontal ? c.Width() : c.Height();
    if (along >= 1 && along < start) return zTrackPrev;
    if (along < end || along >= length - 1) return zNone;
    return zTrackNext;
}

void ArrowBar::DoChange() {
    if (OnChange) OnChange();
    if (userChange_ && OnUserChange) OnUserChange();
}

void CustomGaugeBar::StepBy(int64_t delta) {
    userChange_ = true;
    SetPosition(
        static_cast<int>(std::clamp(position_ + delta, int64_t(min_), int64_t(std::max(min_, max_)))));
    userChange_ = false;
}

void ArrowBar::StartHotTracking() {
    timerMode_ = tmHotTrack;
    timer_.start(150);
}

void ArrowBar::StopHotTracking() {
    timer_.stop();
    timerMode_ = tmOff;
    hotZone_ = zNone;
    update();
}

void ArrowBar::TimerHandler() {
    if (timerMode_ == tmDelay) {
        timerMode_ = tmRepeat;
        timer_.setInterval(100);
    } else if (timerMode_ == tmHotTrack) {
        const QPoint p = CursorPos();
        if (!ClientRect().Contains(p.x(), p.y())) StopHotTracking();
    }
}

void CustomGaugeBar::TimerHandler() {
    const bool hotTracking = GetTimerMode() == tmHotTrack;
    ArrowBar::TimerHandler();
    if (hotTracking) return;
    const int before = position_;
    const Rect c = ClientRect();
    const QPoint p = CursorPos();
    const Zone under =
        GetZone(std::clamp(p.x(), c.Left, c.Right - 1), std::clamp(p.y(), c.Top, c.Bottom - 1));
    switch (DragZone()) {
    case zBtnPrev:
    case zBtnNext:
        StepBy(DragZone() == zBtnPrev ? -smallChange_ : smallChange_);
        if (position_ == before) StartHotTracking();
        break;
    case zTrackPrev:
        if (under == zBtnPrev || under == zTrackPrev) StepBy(-largeChange_);
        break;
    case zTrackNext:
        if (under == zTrackNext || under == zBtnNext) StepBy(largeChange_);
        break;
    default:
        break;
    }
}

void ArrowBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    dragZone_ = GetZone(p.x(), p.y());
    pressPoint_ = p;
    update();
    if (dragZone_ == zHandle) {
        HandlePressed();
        StartHotTracking();
        return;
    }
    timerMode_ = tmRepeat;
    TimerHandler();
    if (timerMode_ == tmRepeat) {
        timerMode_ = tmDelay;
        timer_.start(600);
    }
}

void ArrowBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (dragZone_ == zNone) {
        if (!isEnabled()) return;
        const Zone zone = GetZone(p.x(), p.y());
        if (zone != hotZone_) {
            hotZone_ = zone;
            if (zone != zNone) StartHotTracking();
            update();
        }
        return;
    }
    if (dragZone_ == zHandle) HandleDragged(Along(p.x() - pressPoint_.x(), p.y() - pressPoint_.y()));
}

void CustomGaugeBar::HandleDragged(int delta) {
    const int room = TrackLength() - EffectiveHandleSize();
    if (room <= 0) return; // no track to drag along
    userChange_ = true;
    const double target = pressPosition_ + (double(max_) - min_) * delta / room;
    SetPosition(
        static_cast<int>(std::clamp(std::nearbyint(target), double(min_), double(std::max(min_, max_)))));
    userChange_ = false;
}

void ArrowBar::mouseReleaseEvent(QMouseEvent* event) {
    dragZone_ = zNone;
    update();
    StartHotTracking();
    if (OnMouseUp)
        OnMouseUp(event->button(), event->modifiers(), int(event->position().x()),
                  int(event->position().y()));
}

void ArrowBar::leaveEvent(QEvent*) {
    StopHotTracking();
}

// Fine-stepping wheels send small deltas: they add up until a notch's worth is reached.
void CustomGaugeBar::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    wheelRemainder_ += angle.y() != 0 ? angle.y() : angle.x();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    if (notches != 0) StepBy(int64_t(smallChange_) * notches);
    event->accept();
}

void ArrowBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (borderStyle_ == bsSingle) Edge(painter, {0, 0, width(), height()}, false);
    const Rect h = DrawnHandleRect();
    const Rect t = TrackRect();
    if (GetButtonSize() > 0) {
        DrawButton(painter, ButtonRect(true), true, dragZone_ == zBtnPrev);
        DrawButton(painter, ButtonRect(false), false, dragZone_ == zBtnNext);
    }
    const Rect before =
        kind_ == sbHorizontal ? Rect{t.Left, t.Top, h.Left, t.Bottom} : Rect{t.Left, t.Top, t.Right, h.Top};
    const Rect after = kind_ == sbHorizontal ? Rect{h.Right, t.Top, t.Right, t.Bottom}
                                             : Rect{t.Left, h.Bottom, t.Right, t.Bottom};
    DrawTrack(painter, before, dragZone_ == zTrackPrev);
    DrawTrack(painter, after, dragZone_ == zTrackNext);
    if (!h.IsEmpty()) DrawHandle(painter, h);
}

void ArrowBar::DrawButton(QPainter& painter, const Rect& r, bool first, bool pushed) {
    if (r.IsEmpty()) return;
    const bool horizontal = kind_ == sbHorizontal;
    const bool hot = hotZone_ == (first ? zBtnPrev : zBtnNext);
    int size = std::max(1, std::min(r.Width(), r.Height()) / 4);
    QColor arrowColor = isEnabled() ? QColor(Qt::black) : ToQColor(clBtnShadow);
    if (style_ == rbsMac) {
        // Framed on the three sides away from the track.
        const unsigned away = horizontal ? (first ? kLeft | kTop | kBottom : kRight | kTop | kBottom)
                                         : (first ? kLeft | kTop | kRight : kLeft | kBottom | kRight);
        MacBox(painter, r, ButtonColor, pushed, hot, away);
        size = std::max(1, std::min(r.Width(), r.Height()) / 2 * 3 / 4);
        arrowColor = isEnabled() ? ToQColor(BorderColor) : Blended(ButtonColor, BorderColor, 96);
    } else {
        painter.fillRect(ToQRect(r), ToQColor(ButtonColor));
        Edge(painter, r, !pushed);
    }
    const int shift = pushed && style_ == rbsDefault ? 1 : 0;
    const int cx = (r.Left + r.Right) / 2 + shift, cy = (r.Top + r.Bottom) / 2 + shift;
    const int s = size;
    QPolygon arrow;
    if (horizontal)
        arrow << QPoint(first ? cx - s : cx + s, cy) << QPoint(first ? cx + s : cx - s, cy - s)
              << QPoint(first ? cx + s : cx - s, cy + s);
    else
        arrow << QPoint(cx, first ? cy - s : cy + s) << QPoint(cx - s, first ? cy + s : cy - s)
              << QPoint(cx + s, first ? cy + s : cy - s);
    painter.setPen(Qt::NoPen);
    painter.setBrush(arrowColor);
    painter.drawPolygon(arrow);
}

void ArrowBar::DrawTrack(QPainter& painter, const Rect& r, bool pushed) {
    if (r.IsEmpty()) return;
    const QRect q = ToQRect(r);
    if (pushed) {
        painter.fillRect(q, ToQColor(style_ == rbsMac ? ShadowColor : clWindowFrame));
    } else {
        const QColor face = ToQColor(color_);
        const QColor light = ToQColor(style_ == rbsMac ? HighLightColor : clBtnHighlight);
        painter.fillRect(q, face);
        if (backgnd_ == bgPattern && face != light) painter.fillRect(q, QBrush(light, Qt::Dense4Pattern));
    }
    if (style_ != rbsMac) return;
    // The frame along the track's long sides.
    painter.setPen(ToQColor(BorderColor));
    if (kind_ == sbHorizontal) {
        painter.drawLine(r.Left, r.Top, r.Right - 1, r.Top);
        painter.drawLine(r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
    } else {
        painter.drawLine(r.Left, r.Top, r.Left, r.Bottom - 1);
        painter.drawLine(r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
    }
}

void ArrowBar::DrawHandle(QPainter& painter, const Rect& r) {
    if (style_ != rbsMac) {
        painter.fillRect(ToQRect(r), ToQColor(clBtnFace));
        Edge(painter, r, true);
        return;
    }
    const bool horizontal = kind_ == sbHorizontal;
    MacBox(painter, r, HandleColor, dragZone_ == zHandle, hotZone_ == zHandle,
           kLeft | kTop | kRight | kBottom);
    if (!showHandleGrip_) return;
    // Ridges across the handle at its centre, 3 pixels apart.
    const int length = horizontal ? r.Width() : r.Height();
    const int ridges = length > 10 ? 4 : 3;
    const int centre = horizontal ? (r.Left + r.Right) / 2 : (r.Top + r.Bottom) / 2;
    const int first = centre - (ridges - 1) * 3 / 2;
    for (int i = 0; i < ridges; ++i) {
        const int at = first + 3 * i;
        painter.setPen(Shifted(HandleColor, 24));
        horizontal ? painter.drawLine(at, r.Top + 3, at, r.Bottom - 4)
                   : painter.drawLine(r.Left + 3, at, r.Right - 4, at);
        painter.setPen(Shifted(HandleColor, -24));
        horizontal ? painter.drawLine(at + 1, r.Top + 3, at + 1, r.Bottom - 4)
                   : painter.drawLine(r.Left + 3, at + 1, r.Right - 4, at + 1);
    }
}

void ArrowBar::MacBox(QPainter& painter, const Rect& r, int32_t face, bool pushed, bool hot,
                      unsigned frameSides) {
    const QColor fill = hot && !pushed ? Blended(face, BorderColor, 96)
                        : pushed       ? Shifted(face, -24)
                                       : ToQColor(face);
    painter.fillRect(ToQRect(r), fill);
    const QColor light = Shifted(face, pushed ? -24 : 24), dark = Shifted(face, pushed ? 24 : -24);
    painter.setPen(light);
    painter.drawLine(r.Left + 1, r.Top + 1, r.Right - 2, r.Top + 1);
    painter.drawLine(r.Left + 1, r.Top + 1, r.Left + 1, r.Bottom - 2);
    painter.setPen(dark);
    painter.drawLine(r.Left + 1, r.Bottom - 2, r.Right - 2, r.Bottom - 2);
    painter.drawLine(r.Right - 2, r.Top + 1, r.Right - 2, r.Bottom - 2);
    painter.setPen(ToQColor(BorderColor));
    if (frameSides & kLeft) painter.drawLine(r.Left, r.Top, r.Left, r.Bottom - 1);
    if (frameSides & kTop) painter.drawLine(r.Left, r.Top, r.Right - 1, r.Top);
    if (frameSides & kRight) painter.drawLine(r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
    if (frameSides & kBottom) painter.drawLine(r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
}
