#pragma once

#include <QImage>
#include <QStringList>
#include <QThread>
#include <functional>
#include <memory>

#include "ui/kit/kit_controls.h"

class KitHiTimer;

enum class KitScrollDirection { sdBottomToTop, sdLeftToRight, sdRightToLeft, sdTopToBottom };
enum class KitScrollStyle { ssLoop, ssLoopReverse, ssOnce };
// Where the steps come from: the global timer pool, a precise GUI-thread timer, or a timer thread.
enum class KitTimerMode { tmGlobalTimer, tmHiTimer, tmThreaded };
enum class KitAlignment { taLeftJustify, taRightJustify, taCenter };

// Lines of text scrolled through the control one step per timer tick: up, down, left or right, looping,
// bouncing or once. Step 0 has the text just outside one edge, step Steps just outside the opposite one.
class KitScrollText : public KitGraphicControl {
    Q_OBJECT
  public:
    enum Flag { kMakeVisible = 0, kScroll = 1, kTransparent = 2 };

    // Raises EOutOfResources "Not enough timers available" when the pool has no ident left.
    explicit KitScrollText(QWidget* parent = nullptr);
    ~KitScrollText() override;

    KitAlignment Alignment() const { return alignment_; }
    void SetAlignment(KitAlignment alignment);
    KitScrollDirection Direction() const { return direction_; }
    void SetDirection(KitScrollDirection direction);
    const Kit3DCaption& Font3D() const { return font3D_; }
    void SetFont3D(const Kit3DCaption& caption) { font3D_.Assign(caption); }
    uint16_t Interval() const { return interval_; }
    void SetInterval(uint16_t interval);
    const QStringList& Lines() const { return lines_; }
    void SetLines(const QStringList& lines);
    bool MakeVisible() const { return makeVisible_; }
    bool Scroll() const { return scroll_; }
    bool Transparent() const { return KitGraphicControl::Transparent(); }
    void SetMakeVisible(bool on) { SetFlag(kMakeVisible, on); }
    void SetScroll(bool on) { SetFlag(kScroll, on); }
    void SetTransparent(bool on) { SetFlag(kTransparent, on); }
    void SetFlag(int index, bool value);
    KitScrollStyle ScrollStyle() const { return scrollStyle_; }
    void SetScrollStyle(KitScrollStyle style);
    int Steps() const { return steps_; }
    // Values below 1 are ignored.
    void SetSteps(int steps);
    KitTimerMode TimerMode() const { return timerMode_; }
    void SetTimerMode(KitTimerMode mode);
    QThread::Priority ThreadPriority() const { return priority_; }
    void SetThreadPriority(QThread::Priority priority) { priority_ = priority; }
    // The background colour (a window-system colour) and the text colour.
    int32_t Color = clBtnFace;
    int32_t FontColor = clBlack;

    std::function<void()> OnStart, OnScroll, OnStop;

    // While set, nothing starts, measures or paints; Loaded() ends it.
    void SetLoading(bool loading);
    void Loaded();

    void StartScroll(int firstStep);
    void StopScroll();
    void Reverse();
    int Step() const { return step_; }
    // One timer tick: the next step is drawn.
    void ScrollTick();
    // The inside of the bevel at a step, as it is drawn.
    QImage RenderFrame(int step) const;
    // The pool ident of the global-timer mode (0 in the other modes).
    uint16_t TimerIdent() const { return ident_; }

    void Change() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void BoundsChanged(int flags) override;

  private:
    void MeasureLines();
    void PaintFrame();
    void CaptureBackground(const Rect& inner);
    void CreateTimer();
    void EnableTimer(bool enable);
    void FreeTimer();
    unsigned TextFormat() const;
    // The inside of the bevel: as last painted, or worked out from the bevel's width before any paint.
    QSize InnerSize() const;

    KitAlignment alignment_ = KitAlignment::taCenter;
    KitScrollDirection direction_ = KitScrollDirection::sdBottomToTop;
    Kit3DCaption font3D_;
    uint16_t interval_ = 100;
    QStringList lines_;
    bool makeVisible_ = true;
    bool scroll_ = false;
    KitScrollStyle scrollStyle_ = KitScrollStyle::ssLoop;
    int steps_ = 100;
    KitTimerMode timerMode_ = KitTimerMode::tmGlobalTimer;
    QThread::Priority priority_ = QThread::NormalPriority;

    int step_ = 0;
    int innerWidth_ = -1, innerHeight_ = -1; // unknown until painted
    int lineHeight_ = 0, blockWidth_ = 0, blockHeight_ = 0;
    QImage background_;
    bool captureBackground_ = false;
    bool painting_ = false;
    bool destroying_ = false;
    uint16_t ident_ = 0;
    std::unique_ptr<KitHiTimer> hiTimer_;
};
