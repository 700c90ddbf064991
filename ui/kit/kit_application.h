#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/sys/kit_timer_pool.h"
#include "ui/kit/kit_ini_ctrl.h"

class NamedMutex;

// The control suite's one process-wide object: its settings control, the global timer pool that hands
// out timer idents, and a lock that tells whether another copy of the program runs.
class KitApplication : public QObject {
    Q_OBJECT
  public:
    static constexpr uint16_t kTimerBase = 64768;
    static constexpr int kTimerSlots = 250;
    static constexpr uint16_t kPoolInterval = 50;
    static constexpr int kCursor = -255;

    // Created on first use and freed with the Qt application.
    static KitApplication& Instance();
    explicit KitApplication(const QString& programName, QObject* parent = nullptr);
    ~KitApplication() override;

    KitIniCtrl& IniCtrl() { return iniCtrl_; }
    KitTimerPool& TimerPool() { return pool_; }
    // True when another copy of the program held the lock at start.
    bool PrevInstance() const { return prevInstance_; }
    QString LogFile() const { return logFile_; }
    // A name without an extension gets ".LOG"; it goes into the folder of PathPrefix unless that is ppNone.
    void SetLogFile(const QString& name);
    KitPathPrefix PathPrefix = KitPathPrefix::ppProgram;
    // Counts per second of the high-resolution clock.
    int64_t Frequency() const;

    // A pool timer under a free ident, or 0 when all 250 are taken.
    uint16_t AddTimer(uint16_t interval, std::function<void()> callback);
    // Idents the application did not hand out are ignored.
    void RemoveTimer(uint16_t ident);
    KitTimerItem* TimerItem(uint16_t ident) const;

  private:
    KitIniCtrl iniCtrl_;
    KitTimerPool pool_;
    std::unique_ptr<NamedMutex> mutex_;
    bool prevInstance_ = false;
    QString logFile_;
    std::array<bool, kTimerSlots + 1> slots_{}; // slot 0 unused: ident 0 means none
};
