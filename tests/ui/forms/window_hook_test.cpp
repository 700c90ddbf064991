#include <QCoreApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/ui.h"
#include "support/test_support.h"
#include "ui/forms/form_storage_text.h"
#include "ui/forms/window_hook.h"

namespace {

// Records the key presses that reach it.
class KeyControl : public QWidget {
  public:
    QStringList seen;
    std::vector<std::string>* order = nullptr;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        seen << event->text();
        if (order) order->push_back("control");
    }
};

void Press(QWidget* control, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, text);
    QCoreApplication::sendEvent(control, &press);
}

} // namespace

TEST(WindowHook, HandlersRunLastAddedFirstAroundTheControl) {
    KeyControl control;
    std::vector<std::string> order;
    control.order = &order;
    WindowHook first{TestMessages::Prompts()}, second{TestMessages::Prompts()};
    auto handler = [&](const char* name, bool handles) {
        return [&order, name, handles](WindowHook*, QEvent* event, bool& handled) {
            if (event->type() != QEvent::KeyPress) return;
            order.push_back(name);
            handled = handles;
        };
    };
    first.BeforeMessage = handler("first", false);
    second.BeforeMessage = handler("second", false);
    first.AfterMessage = handler("first after", false);
    first.SetWinControl(&control);
    second.SetWinControl(&control);
    Press(&control, "a");
    EXPECT_EQ(order, (std::vector<std::string>{"second", "first", "control", "first after"}));

    // A before-handler that handles the event keeps it from the control and from the hooks under it.
    order.clear();
    second.BeforeMessage = handler("second", true);
    Press(&control, "b");
    EXPECT_EQ(order, (std::vector<std::string>{"second"}));
    EXPECT_EQ(control.seen, QStringList{"a"});

    second.SetActive(false);
    order.clear();
    Press(&control, "c");
    EXPECT_EQ(order, (std::vector<std::string>{"first", "control", "first after"}));
}

TEST(WindowHook, HooksSurviveANewWindowAndEmptyHooksAreFreedLater) {
    QWidget parent;
    auto* control = new KeyControl;
    control->setParent(&parent);
    int presses = 0;
    {
        WindowHook hook{TestMessages::Prompts()};
        hook.BeforeMessage = [&](WindowHook*, QEvent* event, bool&) {
            presses += event->type() == QEvent::KeyPress;
        };
        hook.SetWinControl(control);
        parent.show();
        control->winId();
        // Taking the control out to a window of its own gives it a new native window.
        control->setParent(nullptr);
        control->show();
        Press(control, "x");
        EXPECT_EQ(presses, 1);
        EXPECT_NE(HookList::Instance().Find(control), nullptr);
    }
    // Unhooked with the hook's end; the emptied control hook goes once the posted event is handled.
    EXPECT_NE(HookList::Instance().Find(control), nullptr);
    QCoreApplication::sendPostedEvents(&HookList::Instance());
    EXPECT_EQ(HookList::Instance().Find(control), nullptr);
    Press(control, "y");
    EXPECT_EQ(presses, 1);

    WindowHook kept{TestMessages::Prompts()};
    kept.SetWinControl(control);
    const int count = HookList::Instance().Count();
    delete control;
    EXPECT_EQ(kept.WinControl(), nullptr);
    QCoreApplication::sendPostedEvents(&HookList::Instance());
    EXPECT_EQ(HookList::Instance().Count(), count - 1);
}

TEST(SettingsUtilities, ReplaceStrAndXorCoding) {
    EXPECT_EQ(ReplaceStr("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceStr("abc", "", "x"), "abc");
    EXPECT_EQ(XorEncode("", "AZ"), "415A");
    const QString coded = XorEncode("key", "Sesame, open!");
    EXPECT_EQ(coded.size(), 26);
    EXPECT_EQ(coded, coded.toUpper());
    EXPECT_EQ(XorDecode("key", coded), "Sesame, open!");
    EXPECT_EQ(XorDecode("key", XorEncode("key", QString::fromUtf8("Ærø"))), QString::fromUtf8("Ærø"));
    EXPECT_EQ(XorDecode("key", "4"), std::nullopt);
    EXPECT_EQ(XorDecode("key", "4G"), std::nullopt);
    EXPECT_EQ(XorDecode("key", "+1"), std::nullopt);
    EXPECT_EQ(XorDecode("key", " 1"), std::nullopt);
    EXPECT_EQ(XorDecode("key", ""), "");
}

TEST(SettingsUtilities, StartUpRegistersTheCursorsAndReadsTheDateFormat) {
    StartSettingsUnits();
    EXPECT_EQ(ScreenCursor(14000)->shape(), Qt::PointingHandCursor);
    EXPECT_EQ(ScreenCursor(14001)->shape(), Qt::ClosedHandCursor);
    EXPECT_EQ(FourDigitYear(), QLocale::system().dateFormat(QLocale::ShortFormat).toUpper().contains("YYYY"));
}
