#pragma once

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "platform/gfx/rect.h"
#include "platform/gfx/sys_colors.h"

class QPainter;

// The frame of a scroll-bar-like control: two arrow buttons, a track and (for descendants) a handle, with
// their zones, the auto-repeat and hot-tracking timer and the drawing in two styles.
class ArrowBar : public QWidget {
    Q_OBJECT
  public:
    enum Backgnd { bgPattern, bgSolid };
    enum BorderStyle { bsNone, bsSingle };
    enum Kind { sbHorizontal, sbVertical };
    enum Style { rbsDefault, rbsMac };
    // Zones of the bar.
    enum Zone { zNone, zBtnPrev, zTrackPrev, zHandle, zTrackNext, zBtnNext };
    // Modes of the repeat timer.
    enum TimerMode { tmOff, tmDelay, tmRepeat, tmHotTrack };

    explicit ArrowBar(QWidget* parent = nullptr);

    int ButtonSize() const { return buttonSize_; }
    void SetButtonSize(int value);
    Kind GetKind() const { return kind_; }
    void SetKind(Kind kind);
    Style GetStyle() const { return style_; }
    void SetStyle(Style style);
    void SetBorderStyle(BorderStyle style);
    void SetBackgnd(Backgnd backgnd);
    void SetShowArrows(bool show);
    void SetShowHandleGrip(bool show);
    // Window-system colours.
    void SetColor(int32_t color);
    int32_t HandleColor = clBtnShadow, ButtonColor = clBtnFace, HighLightColor = clBtnHighlight,
            ShadowColor = clBtnShadow, BorderColor = clWindowFrame;

    std::function<void()> OnChange;
    std::function<void()> OnUserChange;
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)> OnMouseUp;

    // Geometry, in widget coordinates.
    Rect ClientRect() const;
    int GetButtonSize() const;
    // The handle; none in the bare frame.
    virtual Rect GetHandleRect() const { return {}; }
    Zone GetZone(int x, int y) const;

    // The repeat timer: its state, and one tick as the timer would run it.
    TimerMode GetTimerMode() const { return timerMode_; }
    QTimer& Timer() { return timer_; }
    virtual void TimerHandler();
    // Where the pointer is (widget coordinates); replaceable so ticks can be driven without a pointer.
    std::function<QPoint()> CursorPos;

  protected:
    // OnChange, and OnUserChange too while the change is the user's.
    virtual void DoChange();
    virtual void HandlePressed() {}
    // The pointer moved along the bar by delta pixels since the handle was pressed.
    virtual void HandleDragged(int) {}
    int Along(int x, int y) const { return kind_ == sbHorizontal ? x : y; }
    Rect TrackRect() const;
    void StartHotTracking();
    void StopHotTracking();
    Zone DragZone() const { return dragZone_; }
    bool userChange_ = false;

    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent*) override;

  private:
    Rect ButtonRect(bool first) const;
    // The handle, or a zero-size split at the track's centre when disabled or empty.
    Rect DrawnHandleRect() const;
    void DrawButton(QPainter& painter, const Rect& r, bool first, bool pushed);
    void DrawTrack(QPainter& painter, const Rect& r, bool pushed);
    void DrawHandle(QPainter& painter, const Rect& r);
    // The Mac style's box: a face with light and dark inner edges and a frame on the given sides.
    void MacBox(QPainter& painter, const Rect& r, int32_t face, bool pushed, bool hot, unsigned frameSides);

    int buttonSize_ = 0;
    Kind kind_ = sbHorizontal;
    Style style_ = rbsDefault;
    BorderStyle borderStyle_ = bsSingle;
    Backgnd backgnd_ = bgPattern;
    bool showArrows_ = true, showHandleGrip_ = true;
    int32_t color_ = clScrollBar;

    Zone dragZone_ = zNone, hotZone_ = zNone;
    QTimer timer_;
    TimerMode timerMode_ = tmOff;
    QPoint pressPoint_;
};

// An arrow bar holding an integer Position between Min and Max, moved by the buttons, the track, the
// handle and the wheel.
class CustomGaugeBar : public ArrowBar {
    Q_OBJECT
  public:
    explicit CustomGaugeBar(QWidget* parent = nullptr) : ArrowBar(parent) {}

    int Position() const { return position_; }
    void SetPosition(int value);
    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int value) { smallChange_ = std::max(value, 1); }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int value) { largeChange_ = std::max(value, 1); }
    int HandleSize() const { return handleSize_; }
    void SetHandleSize(int value);
    // While set (settings being read) Min and Max may meet.
    bool Loading = false;

    Rect GetHandleRect() const override;
    void TimerHandler() override;

  protected:
    void HandlePressed() override { pressPosition_ = position_; }
    void HandleDragged(int delta) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    int TrackLength() const;
    int EffectiveHandleSize() const;
    void StepBy(int64_t delta);

    int position_ = 0, min_ = 0, max_ = 100;
    int smallChange_ = 1, largeChange_ = 1;
    int handleSize_ = 0;
    double pressPosition_ = 0;
    int wheelRemainder_ = 0; // wheel movement not yet worth a step
};

// The gauge bar the windows use.
class GaugeBar : public CustomGaugeBar {
    Q_OBJECT
    // Named so that the settings file can keep it.
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
  public:
    explicit GaugeBar(QWidget* parent = nullptr) : CustomGaugeBar(parent) {}
};
