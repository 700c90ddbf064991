#include "ui/kit/kit_scroll_text.h"

#include <QEvent>
#include <QPainter>
#include <cmath>

#include "platform/gfx/canvas.h"
#include "platform/sys/kit_hi_timer.h"
#include "platform/sys/sys_errors.h"
#include "ui/kit/kit_application.h"

namespace {

// Pool intervals are whole multiples of the pool's tick. Rounding up must still fit 16 bits: the largest
// interval takes the largest multiple there is.
uint16_t PoolInterval(uint16_t interval) {
    const int tick = KitApplication::kPoolInterval;
    int rounded = (interval + tick - 1) / tick * tick;
    if (rounded > 0xFFFF) rounded = 0xFFFF / tick * tick;
    return static_cast<uint16_t>(std::max(rounded, tick));
}

int Round(double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

KitScrollText::KitScrollText(QWidget* parent) : KitGraphicControl(parent), lines_{"TKitScrollText"} {
    KitGraphicControl::SetTransparent(false);
    resize(200, 20);
    font3D_.OnChange = [this](KitObject*) {
        MeasureLines();
        Change();
    };
    CreateTimer();
    MeasureLines();
}

KitScrollText::~KitScrollText() {
    destroying_ = true;
    StopScroll();
    FreeTimer();
}

void KitScrollText::SetAlignment(KitAlignment alignment) {
    alignment_ = alignment;
    if (!scroll_) update();
}

void KitScrollText::SetDirection(KitScrollDirection direction) {
    StopScroll();
    direction_ = direction;
}

void KitScrollText::SetInterval(uint16_t interval) {
    if (!Loading) StopScroll();
    interval_ = interval;
}

void KitScrollText::SetLines(const QStringList& lines) {
    lines_ = lines;
    MeasureLines();
    Change();
}

void KitScrollText::SetScrollStyle(KitScrollStyle style) {
    StopScroll();
    scrollStyle_ = style;
}

void KitScrollText::SetSteps(int steps) {
    if (steps < 1 || steps == steps_) return;
    StopScroll();
    steps_ = steps;
}

void KitScrollText::SetTimerMode(KitTimerMode mode) {
    if (Loading) {
        timerMode_ = mode;
        return;
    }
    StopScroll();
    FreeTimer();
    timerMode_ = mode;
    CreateTimer();
}

void KitScrollText::SetFlag(int index, bool value) {
    switch (index) {
    case kMakeVisible:
        makeVisible_ = value;
        break;
    case kScroll:
        if (value == scroll_) return;
        if (value)
            StartScroll(0);
        else
            StopScroll();
        break;
    case kTransparent:
        if (value == Transparent()) return;
        KitGraphicControl::SetTransparent(value);
        StopScroll();
        background_ = QImage();
        captureBackground_ = value;
        update();
        break;
    default:
        break;
    }
}

void KitScrollText::SetLoading(bool loading) {
    Loading = loading;
}

void KitScrollText::Loaded() {
    Loading = false;
    // A mode other than the pool's may have been chosen while loading, after the pool timer was made.
    if (timerMode_ != KitTimerMode::tmGlobalTimer || ident_ == 0) {
        FreeTimer();
        CreateTimer();
    }
    MeasureLines();
    update();
}

void KitScrollText::StartScroll(int firstStep) {
    if (Loading || lines_.isEmpty()) return;
    StopScroll();
    if (isHidden()) {
        if (!makeVisible_) return;
        show();
    }
    scroll_ = true;
    step_ = firstStep >= 0 && firstStep < steps_ && firstStep < 256 ? firstStep : 0;
    if (OnStart) OnStart();
    PaintFrame();
    EnableTimer(true);
}

void KitScrollText::StopScroll() {
    if (!scroll_) return;
    EnableTimer(false);
    scroll_ = false;
    step_ = 0;
    if (!destroying_ && OnStop) OnStop();
}

void KitScrollText::Reverse() {
    step_ = steps_ - step_;
    switch (direction_) {
    case KitScrollDirection::sdBottomToTop:
        direction_ = KitScrollDirection::sdTopToBottom;
        break;
    case KitScrollDirection::sdTopToBottom:
        direction_ = KitScrollDirection::sdBottomToTop;
        break;
    case KitScrollDirection::sdLeftToRight:
        direction_ = KitScrollDirection::sdRightToLeft;
        break;
    case KitScrollDirection::sdRightToLeft:
        direction_ = KitScrollDirection::sdLeftToRight;
        break;
    }
}

void KitScrollText::ScrollTick() {
    if (!scroll_) return;
    ++step_;
    PaintFrame();
    if (step_ <= steps_) return;
    switch (scrollStyle_) {
    case KitScrollStyle::ssLoop:
        step_ = 0;
        break;
    case KitScrollStyle::ssLoopReverse:
        Reverse();
        break;
    case KitScrollStyle::ssOnce:
        StopScroll();
        break;
    }
}

void KitScrollText::MeasureLines() {
    if (Loading) return;
    const QFont face = font();
    lineHeight_ = TextHeight3D(&font3D_, face);
    blockHeight_ = static_cast<int>(lines_.size()) * lineHeight_;
    blockWidth_ = 0;
    for (const QString& line : lines_)
        blockWidth_ = std::max(blockWidth_, TextWidth3D(line, &font3D_, face));
}

unsigned KitScrollText::TextFormat() const {
    const unsigned align = alignment_ == KitAlignment::taCenter         ? DT_CENTER
                           : alignment_ == KitAlignment::taRightJustify ? DT_RIGHT
                                                                        : DT_LEFT;
    return align | DT_SINGLELINE | (layoutDirection() == Qt::RightToLeft ? unsigned(DT_RTLREADING) : 0u);
}

QSize KitScrollText::InnerSize() const {
    if (innerWidth_ >= 0) return QSize(innerWidth_, innerHeight_);
    const int edge = Bevel().Extent();
    return QSize(std::max(width() - 2 * edge, 0), std::max(height() - 2 * edge, 0));
}

QImage KitScrollText::RenderFrame(int step) const {
    const int innerWidth = InnerSize().width(), innerHeight = InnerSize().height();
    QImage frame(std::max(innerWidth, 1), std::max(innerHeight, 1), QImage::Format_RGB32);
    if (Transparent() && background_.size() == frame.size())
        frame = background_.convertToFormat(QImage::Format_RGB32);
    else
        frame.fill(ClassicColorToRgb(Color));
    Canvas canvas(frame);
    canvas.Font.Face = font();
    canvas.Font.Color = FontColor;
    canvas.Brush.Color = Color;

    const int x0 = blockWidth_ < innerWidth ? (innerWidth - blockWidth_) / 2 : 0;
    const int y0 = blockHeight_ < innerHeight ? (innerHeight - blockHeight_) / 2 : 0;
    const double f = double(step) / steps_;
    const double travelY = blockHeight_ + innerHeight, travelX = blockWidth_ + innerWidth;
    QPoint origin;
    switch (direction_) {
    case KitScrollDirection::sdBottomToTop:
        origin = {x0, Round(travelY * (1 - f) - blockHeight_)};
        break;
    case KitScrollDirection::sdTopToBottom:
        origin = {x0, Round(travelY * f - blockHeight_)};
        break;
    case KitScrollDirection::sdLeftToRight:
        origin = {Round(travelX * f - blockWidth_), y0};
        break;
    case KitScrollDirection::sdRightToLeft:
        origin = {Round(travelX * (1 - f) - blockWidth_), y0};
        break;
    }
    const bool vertical =
        direction_ == KitScrollDirection::sdBottomToTop || direction_ == KitScrollDirection::sdTopToBottom;
    const Rect inner{0, 0, innerWidth, innerHeight};
    const unsigned flags = isEnabled() ? unsigned(ktEnabled) : 0u;
    for (int i = 0; i < lines_.size(); ++i) {
        const int top = origin.y() + i * lineHeight_;
        const Rect line = vertical ? Rect{0, top, innerWidth, top + lineHeight_}
                                   : Rect{origin.x(), top, origin.x() + blockWidth_, top + lineHeight_};
        if (Intersect(line, inner).IsEmpty()) continue;
        canvas.Brush.Color = Color;
        DrawText3D(canvas, lines_[i], &font3D_, nullptr, flags, TextFormat(), line);
    }
    return frame;
}

void KitScrollText::PaintFrame() {
    repaint();
}

void KitScrollText::CaptureBackground(const Rect& inner) {
    QWidget* parent = parentWidget();
    if (!parent) {
        CopyScreenBackground(background_, inner.Offset(x(), y()));
        return;
    }
    // What lies behind: the parent's own painting, then the siblings below this control in their order.
    const QRect area(mapTo(parent, QPoint(inner.Left, inner.Top)), QSize(inner.Width(), inner.Height()));
    background_ = QImage(area.size(), QImage::Format_RGB32);
    background_.fill(ClassicColorToRgb(Color));
    parent->render(&background_, QPoint(), QRegion(area), QWidget::DrawWindowBackground);
    for (QObject* child : parent->children()) {
        if (child == this) break;
        auto* sibling = qobject_cast<QWidget*>(child);
        if (!sibling || sibling->isWindow() || !sibling->isVisible()) continue;
        const QRect part = sibling->geometry().intersected(area);
        if (part.isEmpty()) continue;
        sibling->render(&background_, part.topLeft() - area.topLeft(),
                        QRegion(part.translated(-sibling->pos())),
                        QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
}

void KitScrollText::paintEvent(QPaintEvent*) {
    if (painting_ || Loading) return;
    painting_ = true;
    QImage bevel(size(), QImage::Format_ARGB32_Premultiplied);
    bevel.fill(Qt::transparent);
    Canvas canvas(bevel);
    const Rect inner = PaintBevel(canvas);
    innerWidth_ = std::max(inner.Width(), 0);
    innerHeight_ = std::max(inner.Height(), 0);
    if (captureBackground_ && Transparent() && innerWidth_ > 0 && innerHeight_ > 0) {
        CaptureBackground(inner);
        captureBackground_ = false;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, bevel);
    if (innerWidth_ > 0 && innerHeight_ > 0) painter.drawImage(inner.Left, inner.Top, RenderFrame(step_));
    painting_ = false;
    if (OnScroll) OnScroll();
}

void KitScrollText::Change() {
    if (Transparent()) captureBackground_ = true;
    KitGraphicControl::Change();
}

void KitScrollText::BoundsChanged(int flags) {
    if (Transparent()) captureBackground_ = true;
    KitGraphicControl::BoundsChanged(flags);
}

void KitScrollText::changeEvent(QEvent* event) {
    KitGraphicControl::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        MeasureLines();
        Change();
    }
}

void KitScrollText::CreateTimer() {
    if (timerMode_ == KitTimerMode::tmGlobalTimer) {
        ident_ = KitApplication::Instance().AddTimer(PoolInterval(interval_), [this] { ScrollTick(); });
        if (ident_ == 0) throw EOutOfResources("Not enough timers available");
        KitApplication::Instance().TimerItem(ident_)->SetEnabled(false);
        return;
    }
    hiTimer_ = std::make_unique<KitHiTimer>();
    hiTimer_->SetUseThread(timerMode_ == KitTimerMode::tmThreaded);
    hiTimer_->SetOnTimer([this] { ScrollTick(); });
}

void KitScrollText::EnableTimer(bool enable) {
    if (hiTimer_) {
        if (enable) {
            hiTimer_->SetInterval(interval_);
            hiTimer_->SetThreadPriority(priority_);
        }
        hiTimer_->SetEnabled(enable);
        return;
    }
    KitTimerItem* item = ident_ ? KitApplication::Instance().TimerItem(ident_) : nullptr;
    if (!item) return;
    // Rounded as at creation: an interval the pool cannot take would otherwise keep the old one.
    if (enable) item->SetInterval(PoolInterval(interval_));
    item->SetEnabled(enable);
}

void KitScrollText::FreeTimer() {
    hiTimer_.reset();
    if (ident_) KitApplication::Instance().RemoveTimer(ident_);
    ident_ = 0;
}
