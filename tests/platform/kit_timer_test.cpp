#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "platform/sys/kit_hi_timer.h"
#include "platform/sys/kit_timer_pool.h"
#include "platform/sys/sys_errors.h"
#include "support/test_support.h"

TEST(KitTimerPool, AddingChecksIdentsAndIntervals) {
    KitTimerPool pool(50);
    EXPECT_EQ(ErrorText([&] { pool.AddTimer(1, 120, {}); }),
              "Interval not compatible with MinInterval property!");
    EXPECT_EQ(ErrorText([&] { pool.AddTimer(1, 0, {}); }),
              "Interval not compatible with MinInterval property!");
    EXPECT_FALSE(pool.Running());
    EXPECT_EQ(pool.AddTimer(1, 300, {}), 0);
    EXPECT_TRUE(pool.Running());
    EXPECT_EQ(ErrorText([&] { pool.AddTimer(1, 300, {}); }), "List index out of bounds (%d)");
    KitTimerItem* item = pool.Item(1);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Ratio(), 6);
    item->SetInterval(120); // not a multiple: ignored
    EXPECT_EQ(item->Interval(), 300);
    item->SetInterval(0);
    EXPECT_EQ(item->Interval(), 50);
    EXPECT_EQ(item->Ratio(), 1);
    EXPECT_THROW(KitTimerItem(nullptr, 2), EInvalidOperation);
    pool.SetMinInterval(10); // only while loading
    EXPECT_EQ(pool.MinInterval(), 50);
}

// The pool's tick counter starts at 1; an item of ratio 6 fires when it is a multiple of 6.
TEST(KitTimerPool, ItemsFireInPhaseAndStopAtTheirMaxCount) {
    KitTimerPool pool(50);
    std::vector<int> firedAt;
    int tick = 0;
    pool.AddTimer(7, 300, [&] { firedAt.push_back(tick); });
    std::vector<std::pair<uint16_t, int>> events;
    pool.OnTimer = [&](KitTimerPool*, uint16_t ident, int counter) { events.emplace_back(ident, counter); };
    pool.AddTimer(8, 100, {});
    pool.Item(8)->MaxCount = 3;
    for (tick = 1; tick <= 13; ++tick)
        pool.Tick();
    EXPECT_EQ(firedAt, (std::vector<int>{6, 12}));
    EXPECT_EQ(events, (std::vector<std::pair<uint16_t, int>>{{8, 1}, {8, 2}, {8, 3}}));
    EXPECT_FALSE(pool.Item(8)->Enabled());
    EXPECT_TRUE(pool.Item(7)->Enabled()) << "-1 has no limit";
    pool.Item(8)->MaxCount = 0;
    pool.Item(8)->SetEnabled(true);
    EXPECT_FALSE(pool.Item(8)->Enabled()) << "enabling is refused while the max count is 0";
    // A pool whose items are all off keeps its timer; only an empty pool stops it.
    pool.Item(7)->SetEnabled(false);
    EXPECT_TRUE(pool.Running());
    pool.RemoveTimer(7);
    pool.RemoveTimer(8);
    EXPECT_FALSE(pool.Running());
}

// A callback that removes its own item (or adds another) during a tick must not free what runs.
TEST(KitTimerPool, CallbacksMayRemoveTheirItemDuringATick) {
    KitTimerPool pool(50);
    auto owned = std::make_shared<int>(0);
    pool.AddTimer(1, 50, [&pool, owned] {
        ++*owned;
        pool.RemoveTimer(1);
        pool.AddTimer(1, 100, {});
    });
    pool.Tick();
    EXPECT_EQ(*owned, 1);
    ASSERT_NE(pool.Item(1), nullptr);
    EXPECT_EQ(pool.Item(1)->Interval(), 100) << "the new item under the ident survives";
    EXPECT_EQ(pool.Count(), 1);
    EXPECT_EQ(owned.use_count(), 1) << "the removed item and its callback are freed after the tick";
}

TEST(KitTimerPool, TheRealTimerDrivesTicks) {
    KitTimerPool pool(50);
    int fired = 0;
    pool.AddTimer(1, 50, [&] { ++fired; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired >= 2; }, 5000));
}

TEST(KitHiTimer, IntervalsOutsideTheOfferedPeriodsBecome1000) {
    KitHiTimer timer;
    timer.SetInterval(0);
    EXPECT_EQ(timer.Interval(), 1000);
    timer.SetInterval(5);
    EXPECT_EQ(timer.Interval(), 5);
    EXPECT_FALSE(timer.Running()) << "nothing runs without Enabled and a handler";
}

TEST(KitHiTimer, SynchronizedThreadTicksArriveOnTheGuiThreadAndStopWithTheTimer) {
    KitHiTimer timer;
    std::vector<QThread*> threads;
    timer.SetInterval(2);
    timer.SetOnTimer([&] { threads.push_back(QThread::currentThread()); });
    timer.SetEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return threads.size() >= 3; }, 5000));
    for (QThread* thread : threads)
        EXPECT_EQ(thread, QCoreApplication::instance()->thread());
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Running());
    const size_t stopped = threads.size();
    QTest::qWait(30); // ticks queued before the stop must not arrive now
    EXPECT_EQ(threads.size(), stopped);
}

TEST(KitHiTimer, UnsynchronizedTicksRunOnTheTimersThread) {
    std::atomic<int> ticks = 0;
    std::atomic<bool> onGui = false;
    QThread* gui = QThread::currentThread();
    {
        KitHiTimer timer;
        timer.Synchronize = false;
        timer.SetInterval(1);
        timer.SetOnTimer([&] {
            if (QThread::currentThread() == gui) onGui = true;
            ++ticks;
        });
        timer.SetEnabled(true);
        while (ticks < 3)
            QThread::msleep(1);
    } // destroyed while running: the owner stops and joins its thread
    EXPECT_FALSE(onGui);
}

namespace {

// Calls a function when the last copy of the handler holding it goes.
class OnFree {
  public:
    explicit OnFree(std::function<void()> call) : call_(std::move(call)) {}
    ~OnFree() { call_(); }
    OnFree(const OnFree&) = delete;
    OnFree& operator=(const OnFree&) = delete;

  private:
    std::function<void()> call_;
};

} // namespace

// The thread may be inside the handler, or about to call it, when it is replaced or cleared: the handler
// it calls must stay until the thread has stopped.
TEST(KitHiTimer, AReplacedHandlerLastsUntilTheThreadStopped) {
    for (bool clear : {false, true}) {
        KitHiTimer timer;
        timer.Synchronize = false;
        timer.SetInterval(1);
        bool freed = false;
        bool freedWhileRunning = false;
        auto onFree = std::make_shared<OnFree>([&] {
            freed = true;
            freedWhileRunning = timer.Running();
        });
        timer.SetOnTimer([onFree] {});
        onFree.reset();
        timer.SetEnabled(true);
        ASSERT_TRUE(timer.Running());
        timer.SetOnTimer(clear ? std::function<void()>() : [] {});
        EXPECT_TRUE(freed) << clear;
        EXPECT_FALSE(freedWhileRunning) << clear;
        EXPECT_EQ(timer.Running(), !clear);
    }
}

TEST(KitHiTimer, WithoutAThreadTicksComeFromTheGuiThread) {
    KitHiTimer timer;
    timer.SetUseThread(false);
    timer.SetInterval(1);
    int ticks = 0;
    timer.SetOnTimer([&] { ++ticks; });
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Running());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 5000));
}
