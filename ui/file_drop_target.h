#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <functional>

class QDropEvent;
class QWidget;

// Makes one control accept files dropped from the desktop. Other data (text, for example) is refused.
//
//     DropFileTarget1 = new DropFileTarget(this);
//     DropFileTarget1->RegisterControl(invlist);
//     DropFileTarget1->OnDrop = [this](auto&&...) { open DropFileTarget1->Files };
class DropFileTarget : public QObject {
    Q_OBJECT
  public:
    enum DropEffect { deNone = 0, dtCopy = 1, dtMove = 2, dtLink = 4 };
    using DragEvent =
        std::function<void(DropFileTarget* sender, Qt::KeyboardModifiers shift, QPoint point, int& effect)>;

    explicit DropFileTarget(QObject* parent = nullptr);
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

    QPointer<QWidget> control_;
    QPointer<QWidget> surface_; // the widget that receives the drag events (a scroll area's viewport)
    bool acceptedBefore_ = false;
};
