#include "ui/kit/kit_application.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <chrono>

#include "platform/sys/named_mutex.h"
#include "platform/ui.h"

KitApplication& KitApplication::Instance() {
    static QPointer<KitApplication> instance;
    if (!instance) {
        const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        instance = new KitApplication(program, QCoreApplication::instance());
    }
    return *instance;
}

KitApplication::KitApplication(const QString& programName, QObject* parent)
    : QObject(parent), iniCtrl_(this), pool_(kPoolInterval, this),
      mutex_(std::make_unique<NamedMutex>(programName)), prevInstance_(mutex_->AlreadyExisted()) {
    SetLogFile(QFileInfo(programName).completeBaseName());
    SetScreenCursor(kCursor, QCursor(Qt::PointingHandCursor));
}

KitApplication::~KitApplication() = default;

void KitApplication::SetLogFile(const QString& name) {
    const QString withExtension = QFileInfo(name).suffix().isEmpty() ? name + ".LOG" : name;
    logFile_ = PlaceByPrefix(withExtension, PathPrefix);
}

int64_t KitApplication::Frequency() const {
    using Period = std::chrono::steady_clock::period;
    return Period::den / Period::num;
}

uint16_t KitApplication::AddTimer(uint16_t interval, std::function<void()> callback) {
    for (int slot = 1; slot <= kTimerSlots; ++slot) {
        if (slots_[size_t(slot)]) continue;
        const uint16_t ident = static_cast<uint16_t>(kTimerBase + slot);
        pool_.AddTimer(ident, interval, std::move(callback));
        slots_[size_t(slot)] = true;
        return ident;
    }
    return 0;
}

void KitApplication::RemoveTimer(uint16_t ident) {
    if (ident <= kTimerBase || ident > kTimerBase + kTimerSlots) return;
    pool_.RemoveTimer(ident);
    slots_[size_t(ident - kTimerBase)] = false;
}

KitTimerItem* KitApplication::TimerItem(uint16_t ident) const {
    return pool_.Item(ident);
}
