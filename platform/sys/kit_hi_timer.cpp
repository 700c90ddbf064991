#include "platform/sys/kit_hi_timer.h"

#include <chrono>

KitThreadedTimer::KitThreadedTimer(uint16_t interval, std::function<void()> tick)
    : interval_(interval), tick_(std::move(tick)) {}

KitThreadedTimer::~KitThreadedTimer() {
    Stop();
}

void KitThreadedTimer::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    wait();
}

void KitThreadedTimer::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (wake_.wait_for(lock, std::chrono::milliseconds(interval_), [this] { return stopping_; })) return;
        lock.unlock();
        tick_();
        lock.lock();
    }
}

KitHiTimer::KitHiTimer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    // unguarded: its owner guards the handlers it sets
    connect(&timer_, &QTimer::timeout, this, &KitHiTimer::DoTimer);
}

KitHiTimer::~KitHiTimer() {
    enabled_ = false;
    Update();
}

void KitHiTimer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Update();
}

void KitHiTimer::SetInterval(uint16_t interval) {
    interval_ = interval >= kMinPeriod && interval <= kMaxPeriod ? interval : 1000;
    Update();
}

void KitHiTimer::SetOnTimer(std::function<void()> handler) {
    onTimer_ = std::move(handler);
    Update();
}

void KitHiTimer::SetUseThread(bool useThread) {
    useThread_ = useThread;
    Update();
}

void KitHiTimer::SetThreadPriority(QThread::Priority priority) {
    priority_ = priority;
    if (useThread_) Update();
}

bool KitHiTimer::Running() const {
    return timer_.isActive() || (thread_ && thread_->isRunning());
}

void KitHiTimer::Update() {
    timer_.stop();
    if (thread_) {
        thread_->Stop();
        thread_.reset();
    }
    ++run_;
    busy_ = false;
    if (!enabled_ || !onTimer_) return;
    if (useThread_) {
        thread_ = std::make_unique<KitThreadedTimer>(interval_, ThreadTick());
        thread_->start(priority_);
    } else if (interval_ > 0) {
        timer_.start(interval_);
    }
}

std::function<void()> KitHiTimer::ThreadTick() {
    if (!Synchronize) return onTimer_;
    // Queued to this object: dropped if it is destroyed first, and ignored if the thread was restarted or
    // stopped meanwhile.
    return [this, run = run_] {
        QMetaObject::invokeMethod(
            this,
            [this, run] {
                if (run == run_ && enabled_) DoTimer();
            },
            Qt::QueuedConnection);
    };
}

void KitHiTimer::DoTimer() {
    if (busy_ || !onTimer_) return;
    busy_ = true;
    const std::function<void()> handler = onTimer_;
    handler();
    busy_ = false;
}
