#pragma once

#include <QString>
#include <cstdint>

#include "ui/kit/kit_object.h"

// Where a relative settings file lives: the per-system and system-wide settings folders, the program's
// folder, or nowhere in particular (the name as given).
enum class KitPathPrefix { ppWindows, ppSystem, ppProgram, ppNone };
enum class KitRegRootKey {
    rpClassesRoot,
    rpCurrentUser,
    rpLocalMachine,
    rpUsers,
    rpCurrentConfig,
    rpDynData
};
enum class KitIniTarget { itIniFile, itRegistry, itAuto };

// A file name placed in the folder of a prefix unless it is absolute or the prefix is ppNone.
QString PlaceByPrefix(const QString& name, KitPathPrefix prefix);

// Where control-suite components would keep their settings.
class KitIniCtrl : public KitComponent {
    Q_OBJECT
  public:
    explicit KitIniCtrl(QObject* owner = nullptr) : KitComponent(owner) {}

    bool AlphaCounter() const { return alphaCounter_; }
    // Entries counted by letters: at most 26 of them.
    void SetAlphaCounter(bool on);
    bool Common = true;
    QString IniFile() const { return iniFile_; }
    // A name without an extension gets ".INI".
    void SetIniFile(const QString& name);
    KitPathPrefix IniPrefix = KitPathPrefix::ppWindows;
    // The settings file with its folder.
    QString IniFilePath() const { return PlaceByPrefix(iniFile_, IniPrefix); }
    uint8_t MaxEntries() const { return maxEntries_; }
    // Refused above 26 while AlphaCounter is on.
    void SetMaxEntries(uint8_t count);
    bool NetUser() const { return netUser_; }
    // Turning it on takes the logged-on user's name into User.
    void SetNetUser(bool on);
    QString User;
    QString RegPath;
    KitRegRootKey RegRoot = KitRegRootKey::rpCurrentUser;
    KitIniTarget Target = KitIniTarget::itAuto;
    // itAuto acts as itRegistry.
    KitIniTarget EffectiveTarget() const {
        return Target == KitIniTarget::itAuto ? KitIniTarget::itRegistry : Target;
    }

    virtual QString UserName() const;

  private:
    bool alphaCounter_ = false;
    QString iniFile_;
    uint8_t maxEntries_ = 16;
    bool netUser_ = false;
};
