#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "platform/user_prompts.h"

class QDropEvent;
class QWidget;

// Makes one control accept files dropped from the desktop. Other data (text, for example) is refused.
//
//     DropFileTarget1 = new DropFileTarget(prompts, this);
//     DropFileTarget1->RegisterControl(invlist);
//     DropFileTarget1->OnDrop = [this](auto&&...) { open DropFileTarget1->Files };
class DropFileTarget : public QObject {
    Q_OBJECT
  public:
    enum DropEffect { deNone = 0, dtCopy = 1, dtMove = 2, dtLink = 4 };
    // Added to the effect while the pointer lies in a scroll band.
    static constexpr int deScroll = int(0x80000000u);
    // Scroll directions: bit 0 horizontal, bit 1 vertical.
    enum ScrollDirection { sdHorizontal = 1, sdVertical = 2 };
    using DragEvent =
        std::function<void(DropFileTarget* sender, Qt::KeyboardModifiers shift, QPoint point, int& effect)>;

    // A failing handler is reported to prompts.
    explicit DropFileTarget(UserPrompts& prompts, QObject* parent = nullptr);
    ~DropFileTarget() override;

    // Accepted effects, a combination of dtCopy, dtMove and dtLink.
    int Dragtypes = dtCopy;
    // Read the files as the drag enters rather than only at the drop.
    bool GetDataOnEnter = false;
    DragEvent OnEnter;
    DragEvent OnDragOver;
    std::function<void(DropFileTarget* sender)> OnLeave;
    DragEvent OnDrop;
    // Replaces the built-in choice of effect.
    DragEvent OnGetDropEffect;

    // The dropped full paths in the source's order; valid during OnDrop.
    QStringList Files;

    // Width of the bands along the control's edges where a drag scrolls it, and the directions it may
    // scroll in (taken from the control's scroll bars when a drag enters).
    int ScrollMargin = 11;
    int ScrollDirections = 0;
    // Scrolls the control one line toward the band the pointer is in; the 100 ms timer calls it.
    void ScrollTick();
    bool Scrolling() const { return scrollTimer_.isActive(); }

    // The files on the clipboard, as a paste would take them: they go into Files and the result is the
    // effect the clipboard prefers (move for files that were cut, else copy); 0 without a file list.
    int PasteCheck();

    // Registers the control, revoking a control registered before.
    void RegisterControl(QWidget* control);
    void UnregisterControl();
    QWidget* Control() const { return control_; }

    // The effect for the source's allowed effects and the held keys (Shift and Ctrl only).
    static int ChooseEffect(int allowed, Qt::KeyboardModifiers shift);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool ReadFiles(const QDropEvent& event);
    int Effect(const QDropEvent& event, QPoint point);
    // The scroll bit for a point of the drag surface: the band it lies in, if any direction scrolls there.
    int ScrollBand(QPoint point) const;

    UserPrompts& prompts_;
    QPointer<QWidget> control_;
    QPointer<QWidget> surface_; // the widget that receives the drag events (a scroll area's viewport)
    bool acceptedBefore_ = false;
    QTimer scrollTimer_;
    QPoint scrollPoint_; // where the pointer was, on the drag surface
};
