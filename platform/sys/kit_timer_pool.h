#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class KitTimerPool;

// One software timer of a pool: fires on every ratio-th tick of the pool while enabled.
class KitTimerItem {
  public:
    // Raises EInvalidOperation without a pool.
    KitTimerItem(KitTimerPool* pool, uint16_t ident);

    // Ticks after which the item disables itself; -1: no limit.
    int MaxCount = -1;
    std::function<void()> Callback;

    uint16_t Ident() const { return ident_; }
    int Count() const { return count_; }
    bool Enabled() const { return enabled_; }
    // Refused (left off) while MaxCount is 0; any change restarts the count.
    void SetEnabled(bool enabled);
    uint16_t Interval() const { return interval_; }
    // Ignored unless a multiple of the pool's MinInterval; 0 means MinInterval.
    void SetInterval(uint16_t interval);
    int Ratio() const { return ratio_; }
    void Fire();

  private:
    KitTimerPool* pool_;
    uint16_t ident_;
    int count_ = 0;
    bool enabled_ = true;
    uint16_t interval_ = 1000;
    int ratio_ = 1;
};

// Many software timers multiplexed over one timer of MinInterval milliseconds on the GUI thread.
class KitTimerPool : public QObject {
    Q_OBJECT
  public:
    explicit KitTimerPool(uint16_t minInterval = 1000, QObject* parent = nullptr);
    ~KitTimerPool() override;

    uint16_t MinInterval() const { return minInterval_; }
    // Changes only while Loading: running items were set up for the old value.
    void SetMinInterval(uint16_t value);
    bool Loading = false;
    // Fired for an item without a callback.
    std::function<void(KitTimerPool* sender, uint16_t ident, int counter)> OnTimer;

    // Adds an enabled item and starts the pool's timer. Raises for an ident already present ("List index
    // out of bounds (%d)") and for an interval that is not a multiple of MinInterval.
    int AddTimer(uint16_t ident, uint16_t interval, std::function<void()> callback);
    void RemoveTimer(uint16_t ident);
    KitTimerItem* Item(uint16_t ident) const;
    int Count() const { return static_cast<int>(items_.size()); }

    // One tick of the pool's timer; the timer calls it, and tests drive it by hand.
    void Tick();
    bool Running() const { return running_; }
    int TickCounter() const { return tickCounter_; }

  private:
    void UpdateTimer(bool enable);
    void Erase(uint16_t ident);

    uint16_t minInterval_;
    std::vector<std::unique_ptr<KitTimerItem>> items_;
    std::vector<uint16_t> removed_; // removed during a tick; freed when the tick ends
    QTimer timer_;
    int tickCounter_ = 0;
    bool running_ = false;
    bool inTick_ = false;
};
