#include "platform/sys/kit_timer_pool.h"

#include <algorithm>
#include <climits>

#include "platform/sys/sys_errors.h"

KitTimerItem::KitTimerItem(KitTimerPool* pool, uint16_t ident) : pool_(pool), ident_(ident) {
    if (!pool) throw EInvalidOperation("KitTimerItem");
    ratio_ = std::max(1000 / pool->MinInterval(), 1);
}

void KitTimerItem::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    if (enabled && MaxCount == 0) return;
    enabled_ = enabled;
    count_ = 0;
}

void KitTimerItem::SetInterval(uint16_t interval) {
    if (interval == interval_) return;
    const uint16_t minimum = pool_->MinInterval();
    if (interval % minimum != 0) return;
    interval_ = interval == 0 ? minimum : interval;
    ratio_ = interval_ / minimum;
    count_ = 0;
}

void KitTimerItem::Fire() {
    if (!enabled_) return;
    count_ = count_ == INT_MAX ? 0 : count_ + 1;
    const int fired = count_;
    if (count_ == MaxCount) SetEnabled(false);
    // A copy: the callback may remove this item, which must not destroy the function while it runs.
    if (Callback) {
        const std::function<void()> callback = Callback;
        callback();
    } else if (pool_->OnTimer) {
        pool_->OnTimer(pool_, ident_, fired);
    }
}

KitTimerPool::KitTimerPool(uint16_t minInterval, QObject* parent)
    : QObject(parent), minInterval_(std::max<uint16_t>(minInterval, 1)) {
    // unguarded: its owner guards the handlers it sets
    connect(&timer_, &QTimer::timeout, this, &KitTimerPool::Tick);
}

KitTimerPool::~KitTimerPool() {
    timer_.stop();
}

void KitTimerPool::SetMinInterval(uint16_t value) {
    if (Loading && value > 0) minInterval_ = value;
}

int KitTimerPool::AddTimer(uint16_t ident, uint16_t interval, std::function<void()> callback) {
    if (Item(ident)) throw std::out_of_range("List index out of bounds (%d)");
    if (interval < minInterval_ || interval % minInterval_ != 0)
        throw std::invalid_argument("Interval not compatible with MinInterval property!");
    items_.push_back(std::make_unique<KitTimerItem>(this, ident));
    items_.back()->SetInterval(interval);
    items_.back()->Callback = std::move(callback);
    UpdateTimer(true);
    return Count() - 1;
}

void KitTimerPool::RemoveTimer(uint16_t ident) {
    KitTimerItem* item = Item(ident);
    if (!item) return;
    item->SetEnabled(false);
    if (inTick_) {
        // Freed once the tick is over: the tick is walking the list, perhaps inside this item's callback.
        removed_.push_back(ident);
        return;
    }
    Erase(ident);
}

void KitTimerPool::Erase(uint16_t ident) {
    // The first with the ident: an item added again under it during the same tick comes after.
    auto found = std::find_if(items_.begin(), items_.end(),
                              [ident](const auto& item) { return item->Ident() == ident; });
    if (found != items_.end()) items_.erase(found);
    if (items_.empty()) UpdateTimer(false);
}

KitTimerItem* KitTimerPool::Item(uint16_t ident) const {
    for (const auto& item : items_)
        if (item->Ident() == ident && !std::count(removed_.begin(), removed_.end(), ident)) return item.get();
    return nullptr;
}

void KitTimerPool::UpdateTimer(bool enable) {
    running_ = false;
    timer_.stop();
    const bool anyEnabled =
        std::any_of(items_.begin(), items_.end(), [](const auto& item) { return item->Enabled(); });
    if (!enable || !anyEnabled) return;
    timer_.start(minInterval_);
    if (!timer_.isActive()) throw EOutOfResources("Not enough timers available");
    tickCounter_ = 1;
    running_ = true;
}

void KitTimerPool::Tick() {
    // A callback that pumps events must not start a second tick inside the first.
    if (inTick_) return;
    inTick_ = true;
    for (size_t i = 0; i < items_.size(); ++i) {
        KitTimerItem& item = *items_[i];
        if (item.Enabled() && tickCounter_ % item.Ratio() == 0) item.Fire();
    }
    tickCounter_ = tickCounter_ == INT_MAX ? 0 : tickCounter_ + 1;
    inTick_ = false;
    const std::vector<uint16_t> removed = std::move(removed_);
    removed_.clear();
    for (uint16_t ident : removed)
        Erase(ident);
}
