#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

// The thread of a threaded KitHiTimer, calling its own copy of the tick: the owner may change its handler
// while the thread runs. Its owner starts it and stops and joins it; it never frees itself.
class KitThreadedTimer : public QThread {
  public:
    KitThreadedTimer(uint16_t interval, std::function<void()> tick);
    ~KitThreadedTimer() override;
    // Wakes the thread and waits for it to end.
    void Stop();

  protected:
    void run() override;

  private:
    uint16_t interval_;
    std::function<void()> tick_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

// A timer firing OnTimer every Interval milliseconds: from a precise timer on the GUI thread, or from a
// thread of its own (UseThread), whose ticks reach the GUI thread when Synchronize is on.
class KitHiTimer : public QObject {
    Q_OBJECT
  public:
    // The periods the timer service offers.
    static constexpr uint16_t kMinPeriod = 1;
    static constexpr uint16_t kMaxPeriod = 65535;

    explicit KitHiTimer(QObject* parent = nullptr);
    ~KitHiTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    uint16_t Interval() const { return interval_; }
    // A value outside the offered periods becomes 1000.
    void SetInterval(uint16_t interval);
    void SetOnTimer(std::function<void()> handler);
    bool UseThread() const { return useThread_; }
    void SetUseThread(bool useThread);
    QThread::Priority ThreadPriority() const { return priority_; }
    void SetThreadPriority(QThread::Priority priority);
    // With a thread: run OnTimer on the GUI thread (true) or on the timer's thread (false).
    bool Synchronize = true;

    // Runs OnTimer unless a tick is already running (a handler that pumps events).
    void DoTimer();
    bool Running() const;

  private:
    void Update();
    // What the timer thread calls: the handler itself, or a tick queued to the GUI thread.
    std::function<void()> ThreadTick();

    bool enabled_ = false;
    uint16_t interval_ = 1000;
    bool useThread_ = true;
    QThread::Priority priority_ = QThread::NormalPriority;
    std::function<void()> onTimer_;
    QTimer timer_;
    std::unique_ptr<KitThreadedTimer> thread_;
    uint64_t run_ = 0; // ticks queued by an earlier run of the thread are dropped
    bool busy_ = false;
};
