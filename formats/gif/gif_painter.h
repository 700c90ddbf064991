#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/gfx/rect.h"

class GIFImage;
class GIFSubImage;

// A picture that painters draw on over time. Drawing still queued for it when it is destroyed is dropped;
// OnChange runs after every frame painted on it.
class GIFCanvas : public QObject {
  public:
    explicit GIFCanvas(QImage image = QImage()) : image_(std::move(image)) {}
    QImage& Image() { return image_; }
    std::function<void()> OnChange;

  private:
    QImage image_;
};

// Time and waiting for painters; tests put in a clock of their own.
class PaintClock {
  public:
    virtual ~PaintClock() = default;
    virtual int64_t NowMs() const;
    // Waits up to ms (without end for -1) until woken() holds, on cv with lock held; true when woken.
    virtual bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, int64_t ms,
                         const std::function<bool()>& woken);
};
PaintClock& SystemPaintClock();

// Shows the frames of an image one after another on a canvas: waits each frame's delay, applies the
// disposal methods and loops as the loop extension says. With dfThreaded it runs on a thread of its own
// that only waits; everything it draws or reports runs on the GUI thread.
class GIFPainter : public std::enable_shared_from_this<GIFPainter> {
  public:
    // Registers the painter with the image; Start() runs it.
    static std::shared_ptr<GIFPainter> Create(GIFImage& image, GIFCanvas& canvas, const Rect& rect,
                                              uint16_t flags, PaintClock& clock);
    ~GIFPainter();
    GIFPainter(const GIFPainter&) = delete;
    GIFPainter& operator=(const GIFPainter&) = delete;

    // Threaded: starts the thread; otherwise runs the whole animation now.
    void Start();
    // Ends the painter at once, also during a wait.
    void Stop();
    // Waits for the thread to end; a painter stopped from inside one of its own calls lets it go instead.
    void Finish();

    bool Terminated() const;
    // The animation has run its course or was cut short: nothing more will be drawn.
    bool Done() const { return done_; }
    // The first frame is on the canvas.
    bool Painted() const { return painted_; }
    bool Threaded() const { return threaded_; }
    bool Draws(const GIFCanvas& canvas, const Rect& rect) const {
        return canvas_ == &canvas && rect_ == rect;
    }
    // The frame being shown; -1 when not painting. Event handlers may move it.
    int ActiveImage() const { return activeImage_; }
    void SetActiveImage(int index) { activeImage_ = index; }
    // Starts the animation over after the current frame.
    void Restart() { restart_ = true; }
    GIFImage& Image() const { return image_; }
    uint16_t DrawFlags() const { return flags_; }

  private:
    struct Shared;
    GIFPainter(GIFImage& image, GIFCanvas& canvas, const Rect& rect, uint16_t flags, PaintClock& clock);

    void Execute();
    void Run();
    bool RunPasses();
    // Runs step on the GUI thread and waits for it; false when the painter was stopped or its canvas went
    // away first.
    bool Sync(const std::function<void()>& step);
    void Wait();
    void Begin();
    void PaintStep();
    void ReadExtensions(const GIFSubImage& frame);
    void PaintFrame(GIFSubImage& frame);
    void RestoreBackground(const GIFSubImage& frame);
    void CopyToTarget(const QImage& source);
    void Fire(const std::function<void(GIFPainter&)>& event);
    void Changed();
    QImage* Surface();

    GIFImage& image_;
    QPointer<GIFCanvas> canvas_;
    const Rect rect_;
    const uint16_t flags_;
    const int speed_;
    const bool threaded_;
    PaintClock& clock_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    bool inCall_ = false; // a step of this painter runs on the GUI thread right now

    int activeImage_ = -1;
    int currentDisposal_ = 1;
    int previousDisposal_ = 1;
    int delay_ = 0; // in units of 12 ms
    int64_t lastWait_ = 0;
    int loops_ = 1;
    int loopStart_ = 0;
    bool loopSeen_ = false;
    std::atomic<bool> painted_ = false;
    std::atomic<bool> restart_ = false;
    std::atomic<bool> done_ = false;
    QImage work_;
    QImage previous_;
    QImage background_;
    QRgb backgroundColor_ = 0;
};
