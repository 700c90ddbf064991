#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/sys/system_info.h"
#include "platform/ui.h"
#include "ui/kit/kit_application.h"
#include "ui/kit/kit_object.h"

namespace {

QString UniqueProgram() {
    static int n = 0;
    return QString("kit-app-test-%1-%2").arg(getpid()).arg(++n);
}

class Counter : public KitObject {
  public:
    void SetValue(int v) { Set(value_, v); }

  private:
    int value_ = 0;
};

} // namespace

TEST(KitApplication, HandsOutTwoHundredFiftyTimerIdentsThenZero) {
    KitApplication app(UniqueProgram());
    std::vector<uint16_t> idents;
    for (int i = 0; i < 250; ++i)
        idents.push_back(app.AddTimer(50, {}));
    EXPECT_EQ(idents.front(), 64769);
    EXPECT_EQ(idents.back(), 65018);
    EXPECT_EQ(app.AddTimer(50, {}), 0);
    app.RemoveTimer(64768); // not one of ours
    app.RemoveTimer(idents[3]);
    EXPECT_EQ(app.TimerItem(idents[3]), nullptr);
    EXPECT_EQ(app.AddTimer(100, {}), idents[3]);
    EXPECT_EQ(app.TimerItem(idents[3])->Interval(), 100);
    EXPECT_EQ(app.TimerPool().MinInterval(), 50);
    // A refused interval leaves the slot free.
    app.RemoveTimer(idents[5]);
    EXPECT_THROW(app.AddTimer(120, {}), std::invalid_argument);
    EXPECT_EQ(app.AddTimer(50, {}), idents[5]);
}

TEST(KitApplication, ASecondCopyOfTheSameProgramSeesTheFirst) {
    const QString program = UniqueProgram();
    KitApplication first(program);
    EXPECT_FALSE(first.PrevInstance());
    KitApplication second(program);
    EXPECT_TRUE(second.PrevInstance());
    EXPECT_EQ(first.LogFile(), GetSpecialDirectory(kProgramDirectory, true) + program + ".LOG");
    first.PathPrefix = KitPathPrefix::ppNone;
    first.SetLogFile("trace.txt");
    EXPECT_EQ(first.LogFile(), "trace.txt");
    EXPECT_GE(first.Frequency(), 1000000);
    EXPECT_TRUE(ScreenCursor(KitApplication::kCursor).has_value());
    EXPECT_EQ(&KitApplication::Instance(), &KitApplication::Instance());
}

TEST(KitIniCtrl, StoredSettingsFollowTheirRules) {
    KitIniCtrl ini;
    ini.SetIniFile("settings");
    EXPECT_EQ(ini.IniFile(), "settings.INI");
    ini.SetIniFile("app.cfg");
    EXPECT_EQ(ini.IniFile(), "app.cfg");
    ini.IniPrefix = KitPathPrefix::ppProgram;
    EXPECT_EQ(ini.IniFilePath(), GetSpecialDirectory(kProgramDirectory, true) + "app.cfg");
    EXPECT_EQ(ini.Target, KitIniTarget::itAuto);
    EXPECT_EQ(ini.EffectiveTarget(), KitIniTarget::itRegistry);
    ini.SetMaxEntries(40);
    EXPECT_EQ(ini.MaxEntries(), 40);
    ini.SetAlphaCounter(true);
    EXPECT_EQ(ini.MaxEntries(), 26);
    ini.SetMaxEntries(27);
    EXPECT_EQ(ini.MaxEntries(), 26);
    ini.SetNetUser(true);
    EXPECT_EQ(ini.User, GetUserName());
}

TEST(KitObject, ChangesNotifyOnlyOutsideBatchesAndOnRealChanges) {
    Counter counter;
    int changes = 0;
    counter.OnChange = [&](KitObject* sender) {
        EXPECT_EQ(sender, &counter);
        ++changes;
    };
    counter.SetValue(1);
    counter.SetValue(1);
    EXPECT_EQ(changes, 1);
    counter.BeginUpdate();
    counter.SetValue(2);
    counter.SetValue(3);
    EXPECT_EQ(changes, 1);
    counter.EndUpdate();
    EXPECT_EQ(changes, 2);
    EXPECT_THROW(counter.Assign(Counter()), std::invalid_argument);
}
