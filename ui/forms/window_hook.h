#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/user_prompts.h"
#include <memory>
#include <vector>

class WindowHook;

// The hook of one control: an event filter that runs the control's window hooks around its events.
class ControlHook : public QObject {
    Q_OBJECT
  public:
    explicit ControlHook(QWidget* control);
    ~ControlHook() override;
    QWidget* Control() const { return control_; }
    void Add(WindowHook* hook);
    void Remove(WindowHook* hook);
    bool Empty() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Runs the hooks' handlers, last added first, until one says handled.
    bool RunHandlers(bool after, QEvent* event);

    QPointer<QWidget> control_;
    std::vector<QPointer<WindowHook>> hooks_;
};

// The hooks of every control, created on first use. An emptied control hook is freed through a posted
// event, never while its own filter runs.
class HookList : public QObject {
    Q_OBJECT
  public:
    static constexpr QEvent::Type FreeIfEmpty = QEvent::Type(45139);

    static HookList& Instance();
    void Hook(WindowHook* hook, QWidget* control);
    void Unhook(WindowHook* hook, QWidget* control);
    ControlHook* Find(const QWidget* control) const;
    int Count() const { return static_cast<int>(hooks_.size()); }

  protected:
    bool event(QEvent* event) override;

  private:
    std::vector<std::unique_ptr<ControlHook>> hooks_;
};

// Watches the events of one control: BeforeMessage may handle an event so the control never sees it;
// AfterMessage runs once the control has handled it. Several hooks may watch one control.
class WindowHook : public QObject {
    Q_OBJECT
  public:
    using MessageEvent = std::function<void(WindowHook* sender, QEvent* event, bool& handled)>;

    // A failing handler is reported to prompts.
    explicit WindowHook(UserPrompts& prompts, QObject* owner = nullptr);
    ~WindowHook() override;

    bool Active() const { return active_; }
    // On hooks the control, off unhooks it.
    void SetActive(bool active);
    QWidget* WinControl() const { return control_; }
    // Unhooks the old control and, when active, hooks the new one.
    void SetWinControl(QWidget* control);

    MessageEvent BeforeMessage, AfterMessage;
    UserPrompts& Prompts() const { return prompts_; }

  private:
    UserPrompts& prompts_;
    QPointer<QWidget> control_;
    bool active_ = true;
};
