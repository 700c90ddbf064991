#include "ui/file_drop_target.h"

#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QMimeData>
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
    Qt::DropAction action = ActionOf(effect);
    if (action == Qt::IgnoreAction) {
        event.ignore();
        return;
    }
    event.setDropAction(action);
    event.accept();
}

} // namespace

DropFileTarget::DropFileTarget(QObject* parent) : QObject(parent) {}

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
        effect = ChooseEffect(effect, shift);
    return effect;
}

bool DropFileTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != surface_) return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto& drag = static_cast<QDropEvent&>(*event);
        const QPoint point = surface_->mapTo(control_, drag.position().toPoint());
        const bool entering = event->type() == QEvent::DragEnter;
        // Data that is not a file list gets no effect, so the drag never offers a drop here.
        int effect = deNone;
        if (drag.mimeData() && drag.mimeData()->hasUrls()) {
            if (entering && GetDataOnEnter) ReadFiles(drag);
            effect = Effect(drag, point);
        }
        const DragEvent& handler = entering ? OnEnter : OnDragOver;
        if (handler) RunGuarded([&] { handler(this, drag.modifiers(), point, effect); });
        Answer(drag, effect);
        return true;
    }
    case QEvent::DragLeave:
        Files.clear();
        if (OnLeave) RunGuarded([&] { OnLeave(this); });
        return true;
    case QEvent::Drop: {
        auto& drop = static_cast<QDropEvent&>(*event);
        const QPoint point = surface_->mapTo(control_, drop.position().toPoint());
        int effect = Effect(drop, point);
        if (effect != deNone && ReadFiles(drop)) {
            if (OnDrop) RunGuarded([&] { OnDrop(this, drop.modifiers(), point, effect); });
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
