#pragma once

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "platform/gfx/rect.h"
#include "platform/gfx/sys_colors.h"

class QPainter;

// A scroll-bar-like control holding an integer Position between Min and Max, with two arrow buttons,
// a track, a handle and auto-repeat.
class GaugeBar : public QWidget {
    Q_OBJECT
    // Named so that the settings file can keep it.
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
  public:
    enum Backgnd { bgPattern, bgSolid };
    enum BorderStyle { bsNone, bsSingle };
    enum Kind { sbHorizontal, sbVertical };
    enum Style { rbsDefault, rbsMac };
    // Zones of the bar.
    enum Zone { zNone, zBtnPrev, zTrackPrev, zHandle, zTrackNext, zBtnNext };
    // Modes of the repeat timer.
    enum TimerMode { tmOff, tmDelay, tmRepeat, tmHotTrack };

    explicit GaugeBar(QWidget* parent = nullptr);

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
    int ButtonSize() const { return buttonSize_; }
    void SetButtonSize(int value);
    Kind GetKind() const { return kind_; }
    void SetKind(Kind kind);
    void SetStyle(Style style);
    void SetBorderStyle(BorderStyle style);
    void SetBackgnd(Backgnd backgnd);
    void SetShowArrows(bool show);
    void SetShowHandleGrip(bool show);
    // Window-system colours.
    void SetColor(int32_t color);
    int32_t HandleColor = clBtnShadow, ButtonColor = clBtnFace, HighLightColor = clBtnHighlight,
            ShadowColor = clBtnShadow, BorderColor = clWindowFrame;
    // While set (settings being read) Min and Max may meet.
    bool Loading = false;

    std::function<void()> OnChange;
    std::function<void()> OnUserChange;
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)> OnMouseUp;

    // Geometry, in widget coordinates.
    Rect ClientRect() const;
    int GetButtonSize() const;
    Rect GetHandleRect() const;
    Zone GetZone(int x, int y) const;

    // The repeat timer: its state, and one tick as the timer would run it.
    TimerMode GetTimerMode() const { return timerMode_; }
    QTimer& Timer() { return timer_; }
    void TimerHandler();
    // Where the pointer is (widget coordinates); replaceable so ticks can be driven without a pointer.
    std::function<QPoint()> CursorPos;

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent*) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    int Along(int x, int y) const { return kind_ == sbHorizontal ? x : y; }
    int TrackLength() const;
    int EffectiveHandleSize() const;
    Rect TrackRect() const;
    Rect ButtonRect(bool first) const;
    // The handle, or a zero-size split at the track's centre when disabled or empty.
    Rect DrawnHandleRect() const;
    void StepBy(int64_t delta);
    void StartHotTracking();
    void StopHotTracking();
    void DoChange();
    void DrawButton(QPainter& painter, const Rect& r, bool first, bool pushed);
    void DrawTrack(QPainter& painter, const Rect& r, bool pushed);
    void DrawHandle(QPainter& painter, const Rect& r);

    int position_ = 0, min_ = 0, max_ = 100;
    int smallChange_ = 1, largeChange_ = 1;
    int handleSize_ = 0, buttonSize_ = 0;
    Kind kind_ = sbHorizontal;
    Style style_ = rbsDefault;
    BorderStyle borderStyle_ = bsSingle;
    Backgnd backgnd_ = bgPattern;
    bool showArrows_ = true, showHandleGrip_ = true;
    int32_t color_ = clScrollBar;

    bool userChange_ = false;
    Zone dragZone_ = zNone, hotZone_ = zNone;
    QTimer timer_;
    TimerMode timerMode_ = tmOff;
    QPoint pressPoint_;
    double pressPosition_ = 0;
    int wheelRemainder_ = 0; // wheel movement not yet worth a step
};
