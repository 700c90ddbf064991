#include "formats/gif/gif_painter.h"

#include <QCoreApplication>
#include <QPainter>
#include <chrono>

#include "formats/gif/gif_error.h"
#include "formats/gif/gif_image.h"
#include "platform/gfx/sys_colors.h"
#include "platform/ui.h"

namespace {

constexpr int kUnitMs = 12;
constexpr int kDefaultDelay = 10;
constexpr int kMinDelay = 3;
constexpr int kMaxUnthreadedDelay = 1000;
constexpr int64_t kSliceMs = 100;

} // namespace

int64_t PaintClock::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool PaintClock::WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, int64_t ms,
                         const std::function<bool()>& woken) {
    if (ms < 0) {
        cv.wait(lock, woken);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(ms), woken);
}

PaintClock& SystemPaintClock() {
    static PaintClock clock;
    return clock;
}

// What the painter, its thread and its queued steps share; it outlives any of them.
struct GIFPainter::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    bool terminated = false;
};

namespace {

// One step handed to the GUI thread.
struct Call {
    bool started = false;
    bool done = false;
    bool released = false;  // the queued call is gone, run or not
    bool abandoned = false; // the painter stopped waiting for it
};

} // namespace

GIFPainter::GIFPainter(GIFImage& image, GIFCanvas& canvas, const Rect& rect, uint16_t flags,
                       PaintClock& clock)
    : image_(image), canvas_(&canvas), rect_(rect), flags_(flags), speed_(image.SpeedPercent()),
      threaded_((flags & dfThreaded) && QCoreApplication::instance()), clock_(clock),
      shared_(std::make_shared<Shared>()) {
    const int32_t fill = image.BackgroundFill();
    if (fill != kNoColor)
        backgroundColor_ = WinColorToRgb(fill);
    else if (image.Header().ColorMap().Count() > 0)
        backgroundColor_ = WinColorToRgb(image.Header().BackgroundColor());
    else
        backgroundColor_ = WinColorToRgb(clWindow);

    bool restores = flags & dfClearOnLoop, previous = false;
    for (int i = 0; i < image.FrameCount(); ++i)
        if (const GIFGraphicControlExtension* control = image.Frame(i).GraphicControlExtension()) {
            restores = restores || control->Disposal() == 2;
            previous = previous || control->Disposal() == 3;
        }
    QImage* surface = Surface();
    if (!surface) return;
    const QRect area(rect.Left, rect.Top, rect.Width(), rect.Height());
    if (restores && (flags & dfTransparent)) background_ = surface->copy(area);
    if (restores || previous) {
        work_ = surface->copy(area).convertToFormat(QImage::Format_ARGB32);
        previous_ = work_;
    }
}

std::shared_ptr<GIFPainter> GIFPainter::Create(GIFImage& image, GIFCanvas& canvas, const Rect& rect,
                                               uint16_t flags, PaintClock& clock) {
    std::shared_ptr<GIFPainter> painter(new GIFPainter(image, canvas, rect, flags, clock));
    image.painters_.push_back(painter);
    image.painter_ = painter.get();
    return painter;
}

GIFPainter::~GIFPainter() {
    if (!thread_.joinable()) return;
    // The thread itself may drop the last reference.
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach();
    else
        thread_.join();
}

QImage* GIFPainter::Surface() {
    return canvas_ ? &canvas_->Image() : nullptr;
}

void GIFPainter::Start() {
    if (!threaded_) {
        Execute();
        return;
    }
    // The thread keeps the painter alive until it is done with it.
    thread_ = std::thread([self = shared_from_this()] { self->Execute(); });
}

void GIFPainter::Stop() {
    std::lock_guard lock(shared_->mutex);
    shared_->terminated = true;
    shared_->wake.notify_all();
}

bool GIFPainter::Terminated() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->terminated;
}

void GIFPainter::Finish() {
    if (!thread_.joinable()) return;
    if (inCall_)
        thread_.detach(); // it returns from this very call, sees that it is stopped and ends
    else
        thread_.join();
}

bool GIFPainter::Sync(const std::function<void()>& step) {
    if (!threaded_) {
        if (Terminated() || !canvas_) return false;
        step();
        return !Terminated();
    }
    auto call = std::make_shared<Call>();
    std::shared_ptr<Shared> shared = shared_;
    // Released when Qt destroys the queued call, whether it ran or was dropped.
    std::shared_ptr<void> release(nullptr, [shared, call](void*) {
        std::lock_guard lock(shared->mutex);
        call->released = true;
        shared->wake.notify_all();
    });
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, shared, call, release = std::move(release), &step] {
            {
                std::lock_guard lock(shared->mutex);
                if (call->abandoned || shared->terminated || !canvas_) return;
                call->started = true;
            }
            inCall_ = true;
            try {
                step();
            } catch (const std::exception& e) {
                // Nothing may cross the event loop: the painter ends and says why.
                Stop();
                image_.Warning(nullptr, gsWarning, e.what());
            }
            inCall_ = false;
            std::lock_guard lock(shared->mutex);
            call->done = true;
            shared->wake.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(shared->mutex);
    shared->wake.wait(lock,
                      [&] { return call->done || call->released || (shared->terminated && !call->started); });
    call->abandoned = !call->done;
    return call->done && !shared->terminated;
}

void GIFPainter::Execute() {
    Run();
    done_ = true;
}

void GIFPainter::Run() {
    do {
        restart_ = false;
        if (!Sync([this] { Begin(); }) || !RunPasses()) return;
    } while (restart_);
    Sync([this] {
        activeImage_ = -1;
        Fire(image_.OnEndPaint);
    });
}

void GIFPainter::Begin() {
    activeImage_ = 0;
    Fire(image_.OnStartPaint);
    painted_ = false;
    loops_ = 1;
    loopStart_ = 0;
    loopSeen_ = false;
    previousDisposal_ = 1;
    delay_ = threaded_ ? 0 : 1;
    lastWait_ = clock_.NowMs();
}

bool GIFPainter::RunPasses() {
    const bool endless = flags_ & dfLoopForever;
    for (int pass = 0;; ++pass) {
        if (!Sync([this, pass] {
                if (pass > 0 && painted_) Fire(image_.OnLoop);
                activeImage_ = loopStart_;
            }))
            return false;
        for (;;) {
            bool ready = false;
            if (!Sync([this, &ready] {
                    ready = activeImage_ >= 0 && activeImage_ < image_.FrameCount() && !restart_ &&
                            !image_.Frame(activeImage_).Empty();
                    // Built before the wait, so that the time it takes is part of the delay.
                    if (ready && delay_ > 0) image_.Frame(activeImage_).Bitmap();
                }))
                return false;
            if (!ready) break;
            Wait();
            if (Terminated() || !Sync([this] { PaintStep(); })) return false;
            if (!(flags_ & dfAnimate)) break;
        }
        if (loops_ > 0) --loops_;
        const bool again = (flags_ & dfAnimate) && (flags_ & dfLoop) && (loops_ != 0 || endless);
        if (!again || restart_) return true;
    }
}

void GIFPainter::Wait() {
    if (delay_ <= 0) {
        std::this_thread::yield();
        return;
    }
    int64_t ms;
    if (speed_ > 0) {
        // Half of the time spent since the last wait is taken off, so that drawing does not slow the pace.
        const int64_t spent = clock_.NowMs() - lastWait_;
        ms = std::max<int64_t>(0, (int64_t(delay_) * kUnitMs - spent / 2) * 100 / speed_);
    } else {
        ms = threaded_ ? -1 : 12000;
    }
    std::unique_lock lock(shared_->mutex);
    const auto stopped = [this] { return shared_->terminated; };
    if (threaded_) {
        clock_.WaitFor(lock, shared_->wake, ms, stopped);
    } else {
        // The calling thread keeps its window alive between slices.
        for (int64_t left = ms; left > 0 && !shared_->terminated; left -= kSliceMs) {
            clock_.WaitFor(lock, shared_->wake, std::min(left, kSliceMs), stopped);
            lock.unlock();
            ProcessMessages();
            lock.lock();
        }
    }
    lastWait_ = clock_.NowMs();
}

void GIFPainter::PaintStep() {
    Fire(image_.OnPaint);
    GIFSubImage& frame = image_.Frame(activeImage_);
    ReadExtensions(frame);
    PaintFrame(frame);
    previousDisposal_ = currentDisposal_;
    const GIFGraphicControlExtension* control = frame.GraphicControlExtension();
    delay_ = std::max(control && control->Delay() > 0 ? control->Delay() : kDefaultDelay, kMinDelay);
    if (!threaded_) delay_ = std::min(delay_, kMaxUnthreadedDelay);
    const int shown = activeImage_;
    Fire(image_.OnAfterPaint);
    if (activeImage_ == shown) ++activeImage_;
}

void GIFPainter::ReadExtensions(const GIFSubImage& frame) {
    currentDisposal_ = 1;
    for (const auto& extension : frame.Extensions()) {
        if (const auto* loop = dynamic_cast<const GIFAppExtNSLoop*>(extension.get())) {
            if (loopSeen_) continue;
            loopSeen_ = true;
            const bool endless = loop->Loops == 0 || (flags_ & dfLoopForever);
            loops_ = endless && threaded_ ? -1 : loop->Loops;
            loopStart_ = activeImage_;
        } else if (const auto* control = dynamic_cast<const GIFGraphicControlExtension*>(extension.get())) {
            currentDisposal_ = control->Disposal();
        }
    }
}

void GIFPainter::PaintFrame(GIFSubImage& frame) {
    QImage* surface = Surface();
    if (!surface) {
        Stop();
        return;
    }
    const bool transparent = flags_ & dfTransparent, tile = flags_ & dfTile;
    if (work_.isNull()) {
        frame.Draw(*surface, rect_, transparent, tile);
    } else {
        if ((flags_ & dfClearOnLoop) && activeImage_ == 0) RestoreBackground(frame);
        const Rect whole{0, 0, rect_.Width(), rect_.Height()};
        switch (currentDisposal_) {
        case 0:
        case 1:
            frame.Draw(work_, whole, transparent, tile);
            CopyToTarget(work_);
            break;
        case 2:
            frame.Draw(work_, whole, transparent, tile);
            CopyToTarget(work_);
            RestoreBackground(frame);
            break;
        case 3:
            // The work bitmap keeps the state from before this frame.
            if (previousDisposal_ <= 1) {
                frame.Draw(*surface, rect_, transparent, tile);
            } else {
                previous_ = work_.copy();
                frame.Draw(previous_, whole, transparent, tile);
                CopyToTarget(previous_);
            }
            break;
        default:
            break;
        }
    }
    painted_ = true;
    Changed();
}

void GIFPainter::RestoreBackground(const GIFSubImage& frame) {
    const int sw = std::max(image_.Width(), 1), sh = std::max(image_.Height(), 1);
    const auto scaled = [&](int v, int range, int screen) {
        return static_cast<int>(int64_t(v) * range / screen);
    };
    const int w = work_.width(), h = work_.height();
    // Every tile's frame area when the frame is tiled, else the frame's scaled place.
    const bool tiles = (flags_ & dfTile) && frame.Width() < sw && frame.Height() < sh;
    const int stepX = tiles ? frame.Width() : w, stepY = tiles ? frame.Height() : h;
    QPainter painter(&work_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int y = 0; y < h; y += stepY)
        for (int x = 0; x < w; x += stepX) {
            const QRect area = tiles ? QRect(x + frame.Left(), y + frame.Top(), frame.Width(), frame.Height())
                                     : QRect(QPoint(scaled(frame.Left(), w, sw), scaled(frame.Top(), h, sh)),
                                             QPoint(scaled(frame.Left() + frame.Width(), w, sw) - 1,
                                                    scaled(frame.Top() + frame.Height(), h, sh) - 1));
            if (background_.isNull())
                painter.fillRect(area, QColor::fromRgb(backgroundColor_));
            else
                painter.drawImage(area.topLeft(), background_, area);
        }
}

void GIFPainter::CopyToTarget(const QImage& source) {
    QImage* surface = Surface();
    if (!surface) return;
    QPainter painter(surface);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(rect_.Left, rect_.Top, source);
}

void GIFPainter::Fire(const std::function<void(GIFPainter&)>& event) {
    if (event && !Terminated()) event(*this);
}

void GIFPainter::Changed() {
    if (!canvas_) return;
    if (canvas_->OnChange) canvas_->OnChange();
    if (!(flags_ & dfDirectDraw)) image_.Changed();
}
