#include "ui/controls/file_drop_target.h"

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>
#include <QWidget>

#include "platform/ui.h"

namespace {

int EffectsOf(Qt::DropActions actions) {
    return (actions & Qt::CopyAction ? DropFileTarget::dtCopy : 0) |
           (actions & Qt::MoveAction ? DropFileTarget::dtMove : 0) |
           (actions & Qt::LinkAction ? DropFileTarget::dtLink : 0);
}

Qt::DropAction ActionOf(int effect) {
    switch (effect) {
    case DropFileTarget::dtCopy:
        return Qt::CopyAction;
    case DropFileTarget::dtMove:
        return Qt::MoveAction;
    case DropFileTarget::dtLink:
        return Qt::LinkAction;
    default:
        return Qt::IgnoreAction;
    }
}

// Only one of the effect bits can be the answer; anything else counts as none.
void Answer(QDropEvent& event, int effect) {
    Qt::DropAction action = ActionOf(effect & ~DropFileTarget::deScroll);
    if (action == Qt::IgnoreAction) {
        event.ignore();
        return;
    }
    event.setDropAction(action);
    event.accept();
}

// Which way files that were cut rather than copied are marked on the clipboard by file managers.
bool ClipboardFilesWereCut(const QMimeData& data) {
    const QByteArray gnome = data.data(QStringLiteral("x-special/gnome-copied-files"));
    if (!gnome.isEmpty()) return gnome.startsWith("cut");
    return data.data(QStringLiteral("application/x-kde-cutselection")).startsWith('1');
}

} // namespace

DropFileTarget::DropFileTarget(UserPrompts& prompts, QObject* parent) : QObject(parent), prompts_(prompts) {
    scrollTimer_.setInterval(100);
    // unguarded: scrolls the control only
    connect(&scrollTimer_, &QTimer::timeout, this, &DropFileTarget::ScrollTick);
}

DropFileTarget::~DropFileTarget() {
    UnregisterControl();
}

void DropFileTarget::RegisterControl(QWidget* control) {
    UnregisterControl();
    if (!control) return;
    control_ = control;
    // A list receives drags on its viewport, not on its frame.
    auto* area = qobject_cast<QAbstractScrollArea*>(control);
    surface_ = area ? area->viewport() : control;
    acceptedBefore_ = surface_->acceptDrops();
    surface_->setAcceptDrops(true);
    surface_->installEventFilter(this);
}

void DropFileTarget::UnregisterControl() {
    if (surface_) {
        surface_->removeEventFilter(this);
        surface_->setAcceptDrops(acceptedBefore_);
    }
    control_ = nullptr;
    surface_ = nullptr;
}

int DropFileTarget::ChooseEffect(int allowed, Qt::KeyboardModifiers shift) {
    const bool withShift = shift & Qt::ShiftModifier;
    const bool withCtrl = shift & Qt::ControlModifier;
    if (withShift && withCtrl && (allowed & dtLink)) return dtLink;
    if (withShift && !withCtrl && (allowed & dtMove)) return dtMove;
    for (int effect : {dtCopy, dtMove, dtLink})
        if (allowed & effect) return effect;
    return deNone;
}

bool DropFileTarget::ReadFiles(const QDropEvent& event) {
    Files.clear();
    const QMimeData* data = event.mimeData();
    if (!data || !data->hasUrls()) return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) Files << url.toLocalFile();
    return !Files.isEmpty();
}

int DropFileTarget::Effect(const QDropEvent& event, QPoint point) {
    const Qt::KeyboardModifiers shift = event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    int effect = EffectsOf(event.possibleActions()) & Dragtypes;
    if (OnGetDropEffect)
        OnGetDropEffect(this, shift, point, effect);
    else
        effect = ChooseEffect(effect, shift) | ScrollBand(event.position().toPoint());
    return effect;
}

int DropFileTarget::ScrollBand(QPoint point) const {
    if (!surface_) return 0;
    const QRect area = surface_->rect();
    const bool horizontal = (ScrollDirections & sdHorizontal) && (point.x() < area.left() + ScrollMargin ||
                                                                  point.x() > area.right() - ScrollMargin);
    const bool vertical = (ScrollDirections & sdVertical) &&
                          (point.y() < area.top() + ScrollMargin || point.y() > area.bottom() - ScrollMargin);
    return horizontal || vertical ? deScroll : 0;
}

void DropFileTarget::ScrollTick() {
    auto* area = qobject_cast<QAbstractScrollArea*>(control_.data());
    if (!area || !surface_) return;
    const QRect rect = surface_->rect();
    auto step = [](QScrollBar* bar, bool back) {
        bar->triggerAction(back ? QAbstractSlider::SliderSingleStepSub
                                : QAbstractSlider::SliderSingleStepAdd);
    };
    if (ScrollDirections & sdVertical) {
        if (scrollPoint_.y() < rect.top() + ScrollMargin)
            step(area->verticalScrollBar(), true);
        else if (scrollPoint_.y() > rect.bottom() - ScrollMargin)
            step(area->verticalScrollBar(), false);
    }
    if (ScrollDirections & sdHorizontal) {
        if (scrollPoint_.x() < rect.left() + ScrollMargin)
            step(area->horizontalScrollBar(), true);
        else if (scrollPoint_.x() > rect.right() - ScrollMargin)
            step(area->horizontalScrollBar(), false);
    }
}

int DropFileTarget::PasteCheck() {
    Files.clear();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasUrls()) return deNone;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) Files << url.toLocalFile();
    if (Files.isEmpty()) return deNone;
    return ClipboardFilesWereCut(*data) ? dtMove : dtCopy;
}

bool DropFileTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != surface_) return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto& drag = static_cast<QDropEvent&>(*event);
        const QPoint point = surface_->mapTo(control_, drag.position().toPoint());
        const bool entering = event->type() == QEvent::DragEnter;
        if (entering) {
            auto* area = qobject_cast<QAbstractScrollArea*>(control_.data());
            ScrollDirections = area ? (area->horizontalScrollBar()->isVisible() ? sdHorizontal : 0) |
                                          (area->verticalScrollBar()->isVisible() ? sdVertical : 0)
                                    : 0;
        }
        scrollPoint_ = drag.position().toPoint();
        // Data that is not a file list gets no effect, so the drag never offers a drop here.
        int effect = deNone;
        if (drag.mimeData() && drag.mimeData()->hasUrls()) {
            if (entering && GetDataOnEnter) ReadFiles(drag);
            effect = Effect(drag, point);
        }
        const DragEvent& handler = entering ? OnEnter : OnDragOver;
        if (handler) RunGuarded(prompts_, [&] { handler(this, drag.modifiers(), point, effect); });
        // The timer runs while the pointer lies in a band, and stops once it leaves it.
        if (effect != deNone && ScrollBand(scrollPoint_)) {
            if (!scrollTimer_.isActive()) scrollTimer_.start();
        } else {
            scrollTimer_.stop();
        }
        Answer(drag, effect);
        return true;
    }
    case QEvent::DragLeave:
        scrollTimer_.stop();
        Files.clear();
        if (OnLeave) RunGuarded(prompts_, [&] { OnLeave(this); });
        return true;
    case QEvent::Drop: {
        scrollTimer_.stop();
        auto& drop = static_cast<QDropEvent&>(*event);
        const QPoint point = surface_->mapTo(control_, drop.position().toPoint());
        int effect = Effect(drop, point);
        if (effect != deNone && ReadFiles(drop)) {
            if (OnDrop) RunGuarded(prompts_, [&] { OnDrop(this, drop.modifiers(), point, effect); });
        } else {
            effect = deNone;
        }
        Answer(drop, effect);
        Files.clear();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
