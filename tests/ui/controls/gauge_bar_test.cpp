#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <limits>

#include "ui/controls/gauge_bar.h"

namespace {

// The main window's picture scale gauge.
struct ScaleGauge {
    GaugeBar bar;
    int changes = 0, userChanges = 0;
    ScaleGauge() {
        bar.resize(192, 8);
        bar.SetMin(25);
        bar.SetMax(300);
        bar.SetPosition(100);
        bar.OnChange = [this] { ++changes; };
        bar.OnUserChange = [this] { ++userChanges; };
    }
};

void Wheel(GaugeBar& bar, int delta) {
    QWheelEvent event(QPointF(50, 4), QPointF(50, 4), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&bar, &event);
}

void Move(QWidget& widget, QPoint p) {
    QMouseEvent event(QEvent::MouseMove, p, widget.mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

} // namespace

TEST(GaugeBar, PositionIsClampedAndChangesFireOnce) {
    ScaleGauge g;
    g.bar.SetPosition(400);
    EXPECT_EQ(g.bar.Position(), 300);
    g.bar.SetPosition(400);
    EXPECT_EQ(g.changes, 1);
    EXPECT_EQ(g.userChanges, 0);
    g.bar.SetMax(g.bar.Min());
    EXPECT_EQ(g.bar.Max(), 26);
    EXPECT_EQ(g.bar.Position(), 26); // pulled into range, through the Position writer
    EXPECT_EQ(g.changes, 2);
    g.bar.SetSmallChange(0);
    EXPECT_EQ(g.bar.SmallChange(), 1);
}

TEST(GaugeBar, ButtonsHandleAndZonesFollowTheClientArea) {
    GaugeBar square;
    square.SetBorderStyle(GaugeBar::bsNone);
    square.resize(16, 16);
    EXPECT_EQ(square.GetButtonSize(), 8);
    ScaleGauge g;
    EXPECT_EQ(g.bar.GetButtonSize(), 6); // 190 x 6 inside the border
    // Track 1+6 .. 191-6 = 178 long, handle 6: offset round(172 * 75 / 275) = 47.
    const Rect h = g.bar.GetHandleRect();
    EXPECT_EQ(h.Left, 7 + 47);
    EXPECT_EQ(h.Width(), 6);
    EXPECT_EQ(g.bar.GetZone(3, 4), GaugeBar::zBtnPrev);
    EXPECT_EQ(g.bar.GetZone(188, 4), GaugeBar::zBtnNext);
    EXPECT_EQ(g.bar.GetZone(h.Left + 2, 4), GaugeBar::zHandle);
    EXPECT_EQ(g.bar.GetZone(20, 4), GaugeBar::zTrackPrev);
    EXPECT_EQ(g.bar.GetZone(120, 4), GaugeBar::zTrackNext);
    EXPECT_EQ(g.bar.GetZone(0, 4), GaugeBar::zNone);
    // Min = Max while settings are read: no division by zero, the handle sits at the start.
    g.bar.Loading = true;
    g.bar.SetMax(25);
    EXPECT_EQ(g.bar.Max(), 25);
    EXPECT_EQ(g.bar.GetHandleRect().Left, 7);
}

TEST(GaugeBar, HeldButtonRepeatsAfterTheDelayAndStopsAtTheEnd) {
    ScaleGauge g;
    g.bar.CursorPos = [] { return QPoint(3, 4); };
    QTest::mousePress(&g.bar, Qt::LeftButton, Qt::NoModifier, QPoint(3, 4));
    EXPECT_EQ(g.bar.Position(), 99); // one step at once
    EXPECT_EQ(g.bar.GetTimerMode(), GaugeBar::tmDelay);
    EXPECT_EQ(g.bar.Timer().interval(), 600);
    g.bar.TimerHandler();
    EXPECT_EQ(g.bar.Position(), 98);
    EXPECT_EQ(g.bar.Timer().interval(), 100);
    g.bar.TimerHandler();
    EXPECT_EQ(g.bar.Position(), 97);
    EXPECT_EQ(g.userChanges, 3);
    QTest::mouseRelease(&g.bar, Qt::LeftButton, Qt::NoModifier, QPoint(3, 4));

    // At Min the first tick does not move, so the repeat falls back to hot tracking.
    g.bar.SetPosition(25);
    const int before = g.changes;
    QTest::mousePress(&g.bar, Qt::LeftButton, Qt::NoModifier, QPoint(3, 4));
    EXPECT_EQ(g.bar.GetTimerMode(), GaugeBar::tmHotTrack);
    g.bar.TimerHandler();
    EXPECT_EQ(g.bar.Position(), 25);
    EXPECT_EQ(g.changes, before);
    // Hot tracking ends when the pointer has left.
    g.bar.CursorPos = [] { return QPoint(500, 4); };
    g.bar.TimerHandler();
    EXPECT_EQ(g.bar.GetTimerMode(), GaugeBar::tmOff);
    EXPECT_FALSE(g.bar.Timer().isActive());
}

TEST(GaugeBar, TrackPagesOnlyWhileThePointerStaysOnItsSide) {
    ScaleGauge g;
    g.bar.SetLargeChange(50);
    g.bar.CursorPos = [] { return QPoint(150, 4); };
    QTest::mousePress(&g.bar, Qt::LeftButton, Qt::NoModifier, QPoint(150, 4));
    EXPECT_EQ(g.bar.Position(), 150);
    g.bar.TimerHandler();
    EXPECT_EQ(g.bar.Position(), 200);
    g.bar.CursorPos = [] { return QPoint(20, 4); }; // moved to the other side of the handle
    g.bar.TimerHandler();
    EXPECT_EQ(g.bar.Position(), 200);
}

TEST(GaugeBar, DraggingTheHandleMovesByTheTrackRatio) {
    ScaleGauge g;
    const Rect h = g.bar.GetHandleRect();
    QTest::mousePress(&g.bar, Qt::LeftButton, Qt::NoModifier, QPoint(h.Left + 2, 4));
    Move(g.bar, QPoint(h.Left + 2 + 43, 4));
    EXPECT_EQ(g.bar.Position(), 100 + 275 * 43 / 172 + 1); // round(168.75)
    QTest::mouseRelease(&g.bar, Qt::LeftButton, Qt::NoModifier, QPoint(h.Left + 45, 4));
    // The bar shrinks under a drag until no track is left: moving changes nothing and divides by nothing.
    GaugeBar shrinking;
    shrinking.SetPosition(50);
    const Rect sh = shrinking.GetHandleRect();
    QTest::mousePress(&shrinking, Qt::LeftButton, Qt::NoModifier, QPoint(sh.Left + 1, 5));
    shrinking.resize(18, 16);
    Move(shrinking, QPoint(sh.Left + 9, 5));
    EXPECT_EQ(shrinking.Position(), 50);
}

TEST(GaugeBar, WheelNotchesStepAndFineStepsAccumulate) {
    ScaleGauge g;
    Wheel(g.bar, 120);
    EXPECT_EQ(g.bar.Position(), 101);
    for (int i = 0; i < 3; ++i)
        Wheel(g.bar, 40);
    EXPECT_EQ(g.bar.Position(), 102);
    Wheel(g.bar, 40);
    Wheel(g.bar, -240);
    EXPECT_EQ(g.bar.Position(), 101); // 40 - 240 = -200: one notch down, 80 left over
}

TEST(GaugeBar, FullIntegerRangePlacesTheHandleAndStepsWithoutOverflow) {
    GaugeBar bar;
    bar.resize(192, 8);
    bar.SetMin(std::numeric_limits<int>::min());
    bar.SetMax(std::numeric_limits<int>::max());
    bar.SetSmallChange(std::numeric_limits<int>::max());
    bar.SetPosition(0);
    const Rect track = bar.ClientRect();
    const Rect middle = bar.GetHandleRect();
    EXPECT_NEAR((middle.Left + middle.Right) / 2, (track.Left + track.Right) / 2, 1);
    Wheel(bar, 240);
    EXPECT_EQ(bar.Position(), std::numeric_limits<int>::max());
    EXPECT_EQ(bar.GetHandleRect().Right, bar.ClientRect().Right - bar.GetButtonSize());
}

// The Mac style draws its parts itself in the bar's own colours.
TEST(GaugeBar, MacStyleDrawsInItsFourColours) {
    GaugeBar bar;
    bar.resize(120, 18);
    bar.SetStyle(GaugeBar::rbsMac);
    bar.SetBackgnd(GaugeBar::bgSolid);
    bar.SetColor(0x00FF00);
    bar.ButtonColor = 0x0000C0;
    bar.HandleColor = 0xC00000;
    bar.BorderColor = 0x000000;
    bar.SetPosition(50);
    EXPECT_EQ(bar.GetButtonSize(), 15) << "one pixel smaller than the default style's";
    const QImage image = bar.grab().toImage();
    const Rect button{1, 1, 16, 17};
    const Rect handle = bar.GetHandleRect();
    auto at = [&](int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(at(button.Left + 2, button.Top + 3), 0xC00000u) << "button face";
    EXPECT_EQ(at(button.Left, button.Top + 5), 0x000000u) << "frame on the outer side";
    EXPECT_EQ(at((button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2), 0x000000u) << "arrow";
    EXPECT_EQ(at(handle.Left + 2, handle.Bottom - 3), 0x0000C0u) << "handle face";
    EXPECT_EQ(at(handle.Right + 3, 8), 0x00FF00u) << "solid track";
    EXPECT_EQ(at(handle.Right + 3, 1), 0x000000u) << "track frame";
}
