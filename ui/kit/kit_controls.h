#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "ui/kit/kit_bevel.h"
#include "ui/kit/kit_container.h"

class Canvas;

// What the control-suite controls share: a link to a container that repaints them when it changes,
// mouse enter and exit events, and a bounds-change notification.
class KitControlLink {
  public:
    explicit KitControlLink(std::function<void()> change);
    KitControlLink(const KitControlLink&) = delete;
    KitControlLink& operator=(const KitControlLink&) = delete;
    KitCustomContainer* Container() const { return container_; }
    // Relinks to another container (or none) and runs the change.
    void SetContainer(KitCustomContainer* container);
    // "KITBML30" or "KITIML30" when linked to the global bitmap or image list, else empty.
    QString Internal() const;
    // Links to the global list the text names.
    void SetInternal(const QString& text);

  private:
    std::function<void()> change_;
    QPointer<KitCustomContainer> container_;
    // Also the receiving end of the container's connections, so that they go with the control.
    KitChangeLink link_;
    QMetaObject::Connection freed_;
};

// A control without a window of its own.
class KitBaseControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Internal READ Internal WRITE SetInternal)
  public:
    // Bounds-change flags.
    enum BoundsChange { kbResized = 1, kbMoved = 2 };
    explicit KitBaseControl(QWidget* parent = nullptr);

    KitCustomContainer* Container() const { return link_.Container(); }
    void SetContainer(KitCustomContainer* container) { link_.SetContainer(container); }
    QString Internal() const { return link_.Internal(); }
    void SetInternal(const QString& text) { link_.SetInternal(text); }

    std::function<void()> OnMouseEnter, OnMouseExit;
    std::function<void(int flags)> OnBoundsChange;
    // While set, changes do not repaint.
    bool Loading = false;

    virtual bool HasParentBackground() const { return false; }
    // Repaints unless loading.
    virtual void Change();
    virtual bool CanShow() const { return true; }

  protected:
    virtual void BoundsChanged(int flags);
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    KitControlLink link_;
};

class KitCustomControl;

// A control that may let its parent's background show through it.
class KitBaseGraphicControl : public KitBaseControl {
    Q_OBJECT
  public:
    explicit KitBaseGraphicControl(QWidget* parent = nullptr);

    bool Transparent() const { return transparent_; }
    // Switches the opaque style, then repaints through Change once the switch has been handled.
    void SetTransparent(bool transparent);
    bool HasParentBackground() const override;
    // Opaque controls paint at once; transparent ones wait for the next paint pass.
    void Change() override;

  private:
    bool transparent_ = true;
};

// A graphic control framed by a bevel.
class KitGraphicControl : public KitBaseGraphicControl {
    Q_OBJECT
  public:
    explicit KitGraphicControl(QWidget* parent = nullptr);
    KitBevel& Bevel() { return bevel_; }
    const KitBevel& Bevel() const { return bevel_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    // The bevel around the client rectangle; returns the inside.
    Rect PaintBevel(Canvas& canvas);

  private:
    KitBevel bevel_;
};

// A windowed control-suite control with its own border, which may paint the background its transparent
// children show. It shares the base's container link, mouse and bounds events.
class KitCustomControl : public KitBaseControl {
    Q_OBJECT
  public:
    enum BorderStyle { bsNone, bsSingle };
    explicit KitCustomControl(QWidget* parent = nullptr);

    BorderStyle Border() const { return border_; }
    void SetBorder(BorderStyle border);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    // Paints a background for transparent children.
    bool TransparentOption = false;
    bool RepaintOnChange = true;
    bool PaintsBackgroundForChildren() const { return TransparentOption; }

    std::function<void()> OnEnter, OnExit;
    void Change() override;

  protected:
    void BoundsChanged(int flags) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void UpdateMargins();

    BorderStyle border_ = bsNone;
    bool ctl3D_ = true;
};
