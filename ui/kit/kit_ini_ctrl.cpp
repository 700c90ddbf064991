#include "ui/kit/kit_ini_ctrl.h"

#include <QDir>
#include <QFileInfo>

#include "platform/sys/system_info.h"

namespace {
constexpr uint8_t kLetters = 26;
}

QString PlaceByPrefix(const QString& name, KitPathPrefix prefix) {
    if (prefix == KitPathPrefix::ppNone || name.isEmpty() || QDir::isAbsolutePath(name)) return name;
    return GetSpecialDirectory(static_cast<int>(prefix), true) + name;
}

void KitIniCtrl::SetAlphaCounter(bool on) {
    alphaCounter_ = on;
    if (on && maxEntries_ > kLetters) maxEntries_ = kLetters;
}

void KitIniCtrl::SetIniFile(const QString& name) {
    iniFile_ = name.isEmpty() || !QFileInfo(name).suffix().isEmpty() ? name : name + ".INI";
}

void KitIniCtrl::SetMaxEntries(uint8_t count) {
    if (alphaCounter_ && count > kLetters) return;
    maxEntries_ = count;
}

void KitIniCtrl::SetNetUser(bool on) {
    netUser_ = on;
    if (on) User = UserName();
}

QString KitIniCtrl::UserName() const {
    return GetUserName();
}
