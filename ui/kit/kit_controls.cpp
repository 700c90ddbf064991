#include "ui/kit/kit_controls.h"

#include <QMoveEvent>
#include <QPainter>
#include <QResizeEvent>

#include "platform/gfx/canvas.h"

KitControlLink::KitControlLink(std::function<void()> change) : change_(std::move(change)), link_(change_) {}

void KitControlLink::SetContainer(KitCustomContainer* container) {
    if (container_) container_->UnregisterChanges(&link_);
    QObject::disconnect(freed_);
    container_ = container;
    if (container) {
        container->RegisterChanges(&link_);
        // A freed container is dropped and the control repaints without it.
        // unguarded: its owner guards the handlers it sets
        freed_ = QObject::connect(container, &QObject::destroyed, &link_, [this] {
            container_ = nullptr;
            change_();
        });
    }
    change_();
}

QString KitControlLink::Internal() const {
    if (container_ == &GlobalContainer().BitmapList())
        return KitCustomContainer::Magic(KitContainerKind::ckBitmapList);
    if (container_ == &GlobalContainer().ImageList())
        return KitCustomContainer::Magic(KitContainerKind::ckImageList);
    return QString();
}

void KitControlLink::SetInternal(const QString& text) {
    if (text == KitCustomContainer::Magic(KitContainerKind::ckBitmapList))
        SetContainer(&GlobalContainer().BitmapList());
    else if (text == KitCustomContainer::Magic(KitContainerKind::ckImageList))
        SetContainer(&GlobalContainer().ImageList());
}

KitBaseControl::KitBaseControl(QWidget* parent) : QWidget(parent), link_([this] { Change(); }) {}

void KitBaseControl::Change() {
    if (!Loading) update();
}

void KitBaseControl::BoundsChanged(int flags) {
    if (OnBoundsChange) OnBoundsChange(flags);
}

void KitBaseControl::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!Loading && event->pos() != event->oldPos()) BoundsChanged(kbMoved);
}

void KitBaseControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!Loading && event->size() != event->oldSize()) BoundsChanged(kbResized);
}

void KitBaseControl::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (OnMouseEnter) OnMouseEnter();
}

void KitBaseControl::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (OnMouseExit) OnMouseExit();
}

KitBaseGraphicControl::KitBaseGraphicControl(QWidget* parent) : KitBaseControl(parent) {
    resize(30, 30);
}

void KitBaseGraphicControl::SetTransparent(bool transparent) {
    transparent_ = transparent;
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    QMetaObject::invokeMethod(
        this, [this] { Change(); }, Qt::QueuedConnection);
}

bool KitBaseGraphicControl::HasParentBackground() const {
    const auto* parent = qobject_cast<const KitCustomControl*>(parentWidget());
    return transparent_ && parent && parent->PaintsBackgroundForChildren();
}

void KitBaseGraphicControl::Change() {
    if (Loading) return;
    if (transparent_)
        update();
    else
        repaint();
}

KitGraphicControl::KitGraphicControl(QWidget* parent) : KitBaseGraphicControl(parent) {
    bevel_.OnChange = [this](KitObject*) { Change(); };
}

Rect KitGraphicControl::PaintBevel(Canvas& canvas) {
    return DrawBevel(bevel_, canvas, {0, 0, width(), height()}, Transparent());
}

void KitGraphicControl::paintEvent(QPaintEvent*) {
    QImage frame(size(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    Canvas canvas(frame);
    PaintBevel(canvas);
    QPainter(this).drawImage(0, 0, frame);
}

KitCustomControl::KitCustomControl(QWidget* parent) : KitBaseControl(parent) {
    setFocusPolicy(Qt::NoFocus);
    resize(100, 40);
}

void KitCustomControl::SetBorder(BorderStyle border) {
    border_ = border;
    UpdateMargins();
}

void KitCustomControl::SetCtl3D(bool on) {
    ctl3D_ = on;
    UpdateMargins();
}

void KitCustomControl::UpdateMargins() {
    const int width = border_ == bsNone ? 0 : ctl3D_ ? 2 : 1;
    setContentsMargins(width, width, width, width);
    update();
}

void KitCustomControl::Change() {
    if (!Loading && RepaintOnChange) update();
}

void KitCustomControl::paintEvent(QPaintEvent*) {
    QImage frame(size(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    Canvas canvas(frame);
    if (PaintsBackgroundForChildren()) {
        canvas.Brush.Color = clBtnFace;
        canvas.FillRect({0, 0, width(), height()});
    }
    if (border_ == bsSingle) {
        const Rect outer{0, 0, width(), height()};
        if (!ctl3D_) {
            canvas.Brush.Color = clWindowFrame;
            canvas.FrameRect(outer);
        } else {
            // The classic sunken client edge: shadow over window colour outside, frame over face inside.
            canvas.Pen.Color = clBtnShadow;
            canvas.Polyline({{0, height() - 1}, {0, 0}, {width(), 0}});
            canvas.Pen.Color = clWindow;
            canvas.Polyline({{0, height() - 1}, {width() - 1, height() - 1}, {width() - 1, -1}});
            canvas.Pen.Color = clWindowFrame;
            canvas.Polyline({{1, height() - 2}, {1, 1}, {width() - 1, 1}});
            canvas.Pen.Color = clBtnFace;
            canvas.Polyline({{1, height() - 2}, {width() - 2, height() - 2}, {width() - 2, 0}});
        }
    }
    QPainter(this).drawImage(0, 0, frame);
}

void KitCustomControl::BoundsChanged(int flags) {
    KitBaseControl::BoundsChanged(flags);
    // Transparent children show what lies behind them, which has just moved.
    for (KitBaseControl* child : findChildren<KitBaseControl*>(Qt::FindDirectChildrenOnly))
        child->Change();
}

void KitCustomControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (OnEnter) OnEnter();
}

void KitCustomControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (OnExit) OnExit();
}
