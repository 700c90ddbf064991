#include "ui/forms/window_hook.h"

#include <QCoreApplication>
#include <algorithm>

#include "platform/ui.h"

ControlHook::ControlHook(QWidget* control) : control_(control) {
    control->installEventFilter(this);
    // A freed control leaves an empty hook behind, freed like any other.
    // unguarded: posts an event only
    connect(control, &QObject::destroyed, &HookList::Instance(),
            [] { QCoreApplication::postEvent(&HookList::Instance(), new QEvent(HookList::FreeIfEmpty)); });
}

ControlHook::~ControlHook() {
    if (control_) control_->removeEventFilter(this);
}

void ControlHook::Add(WindowHook* hook) {
    if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end()) hooks_.emplace_back(hook);
}

void ControlHook::Remove(WindowHook* hook) {
    std::erase_if(hooks_, [hook](const QPointer<WindowHook>& h) { return !h || h == hook; });
}

bool ControlHook::Empty() const {
    return std::none_of(hooks_.begin(), hooks_.end(),
                        [](const QPointer<WindowHook>& h) { return !h.isNull(); });
}

bool ControlHook::RunHandlers(bool after, QEvent* event) {
    // A copy: a handler may unhook itself or another hook.
    const std::vector<QPointer<WindowHook>> hooks = hooks_;
    bool handled = false;
    for (auto it = hooks.rbegin(); it != hooks.rend() && !handled; ++it) {
        WindowHook* hook = *it;
        if (!hook || !hook->Active()) continue;
        const WindowHook::MessageEvent& handler = after ? hook->AfterMessage : hook->BeforeMessage;
        if (handler) RunGuarded(hook->Prompts(), [&] { handler(hook, event, handled); });
    }
    return handled;
}

bool ControlHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_) return false;
    if (event->type() != QEvent::Quit && RunHandlers(false, event)) return true;
    const bool anyAfter = std::any_of(hooks_.begin(), hooks_.end(),
                                      [](const QPointer<WindowHook>& h) { return h && h->AfterMessage; });
    if (!anyAfter) return false;
    // The control handles the event here, so the after-handlers can follow; the event then ends at the
    // control instead of going on to its parent.
    QPointer<QWidget> control = control_;
    static_cast<QObject*>(control.data())->event(event);
    if (control) RunHandlers(true, event);
    return true;
}

HookList& HookList::Instance() {
    static HookList* list = [] {
        auto* created = new HookList;
        if (QCoreApplication* app = QCoreApplication::instance()) created->setParent(app);
        return created;
    }();
    return *list;
}

ControlHook* HookList::Find(const QWidget* control) const {
    for (const auto& hook : hooks_)
        if (hook->Control() == control) return hook.get();
    return nullptr;
}

void HookList::Hook(WindowHook* hook, QWidget* control) {
    ControlHook* controlHook = Find(control);
    if (!controlHook) {
        hooks_.push_back(std::make_unique<ControlHook>(control));
        controlHook = hooks_.back().get();
    }
    controlHook->Add(hook);
}

void HookList::Unhook(WindowHook* hook, QWidget* control) {
    ControlHook* controlHook = Find(control);
    if (!controlHook) return;
    controlHook->Remove(hook);
    if (controlHook->Empty()) QCoreApplication::postEvent(this, new QEvent(FreeIfEmpty));
}

bool HookList::event(QEvent* event) {
    if (event->type() != FreeIfEmpty) return QObject::event(event);
    std::erase_if(hooks_,
                  [](const std::unique_ptr<ControlHook>& hook) { return hook->Empty() || !hook->Control(); });
    return true;
}

WindowHook::WindowHook(UserPrompts& prompts, QObject* owner) : QObject(owner), prompts_(prompts) {}

WindowHook::~WindowHook() {
    if (control_) HookList::Instance().Unhook(this, control_);
}

void WindowHook::SetActive(bool active) {
    if (active == active_) return;
    active_ = active;
    if (!control_) return;
    if (active)
        HookList::Instance().Hook(this, control_);
    else
        HookList::Instance().Unhook(this, control_);
}

void WindowHook::SetWinControl(QWidget* control) {
    if (control == control_) return;
    if (control_) HookList::Instance().Unhook(this, control_);
    control_ = control;
    if (control_ && active_) HookList::Instance().Hook(this, control_);
}
