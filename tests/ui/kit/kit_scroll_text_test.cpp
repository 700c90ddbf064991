#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/kit/kit_application.h"
#include "ui/kit/kit_scroll_text.h"

namespace {

constexpr QRgb kBackground = 0xFFD4D0C8; // button face

// Rows of a frame that hold anything but the background.
std::vector<int> InkedRows(const QImage& frame, QRgb background = kBackground) {
    std::vector<int> rows;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (frame.pixel(x, y) != background) {
                rows.push_back(y);
                break;
            }
    return rows;
}

std::vector<int> InkedColumns(const QImage& frame) {
    std::vector<int> columns;
    for (int x = 0; x < frame.width(); ++x)
        for (int y = 0; y < frame.height(); ++y)
            if (frame.pixel(x, y) != kBackground) {
                columns.push_back(x);
                break;
            }
    return columns;
}

struct Scroller {
    QWidget parent;
    KitScrollText* text = new KitScrollText(&parent);
    Scroller() {
        text->setGeometry(0, 0, 120, 60);
        text->SetLines({"First", "Second"});
        QFont font = text->font();
        font.setPixelSize(12);
        text->setFont(font);
        parent.resize(200, 100);
        parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }
};

} // namespace

TEST(KitScrollText, StartsOnlyWithLinesAndWhenItMayShow) {
    Scroller s;
    s.text->SetLines({});
    s.text->SetScroll(true);
    EXPECT_FALSE(s.text->Scroll());

    s.text->SetLines({"x"});
    s.text->hide();
    s.text->SetMakeVisible(false);
    s.text->SetScroll(true);
    EXPECT_FALSE(s.text->Scroll());
    EXPECT_TRUE(s.text->isHidden());
    s.text->SetMakeVisible(true);
    int started = 0, stopped = 0;
    s.text->OnStart = [&] { ++started; };
    s.text->OnStop = [&] { ++stopped; };
    s.text->StartScroll(7);
    EXPECT_TRUE(s.text->Scroll());
    EXPECT_FALSE(s.text->isHidden());
    EXPECT_EQ(s.text->Step(), 7);
    s.text->StartScroll(300); // beyond the steps: from the start
    EXPECT_EQ(s.text->Step(), 0);
    EXPECT_EQ(started, 2);
    EXPECT_EQ(stopped, 1) << "starting again stops the running scroll first";
    s.text->SetSteps(0);
    EXPECT_EQ(s.text->Steps(), 100);
    EXPECT_TRUE(s.text->Scroll()) << "an ignored value stops nothing";
    s.text->SetSteps(50);
    EXPECT_FALSE(s.text->Scroll());
    EXPECT_EQ(stopped, 2);
}

TEST(KitScrollText, PoolTicksLoopBounceAndStop) {
    Scroller s;
    s.text->SetInterval(300);
    s.text->SetScroll(true);
    KitTimerItem* item = KitApplication::Instance().TimerItem(s.text->TimerIdent());
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->Enabled());
    EXPECT_EQ(item->Interval(), 300);
    int frames = 0;
    s.text->OnScroll = [&] { ++frames; };
    for (int tick = 0; tick < 100; ++tick)
        s.text->ScrollTick();
    EXPECT_EQ(s.text->Step(), 100);
    s.text->ScrollTick(); // draws step 101, then starts over
    EXPECT_EQ(s.text->Step(), 0);
    s.text->ScrollTick();
    EXPECT_EQ(s.text->Step(), 1);
    EXPECT_GE(frames, 102);

    s.text->SetScrollStyle(KitScrollStyle::ssLoopReverse);
    EXPECT_FALSE(item->Enabled()) << "a changed style stops the scroll";
    s.text->SetSteps(10);
    s.text->SetScroll(true);
    for (int tick = 0; tick < 11; ++tick)
        s.text->ScrollTick();
    EXPECT_EQ(s.text->Direction(), KitScrollDirection::sdTopToBottom);
    EXPECT_EQ(s.text->Step(), -1);
    s.text->ScrollTick();
    EXPECT_EQ(s.text->Step(), 0) << "back down from where the pass ended";

    s.text->SetScrollStyle(KitScrollStyle::ssOnce);
    s.text->SetScroll(true);
    for (int tick = 0; tick < 11; ++tick)
        s.text->ScrollTick();
    EXPECT_FALSE(s.text->Scroll());
    EXPECT_EQ(s.text->Step(), 0);
}

// Pool intervals are multiples of 50: rounded up, and never past what 16 bits hold.
TEST(KitScrollText, IntervalsAreRoundedForThePool) {
    Scroller s;
    for (auto [interval, pooled] : {std::pair<int, int>{120, 150}, {300, 300}, {65535, 65500}, {1, 50}}) {
        s.text->SetInterval(static_cast<uint16_t>(interval));
        s.text->SetScroll(true);
        EXPECT_EQ(KitApplication::Instance().TimerItem(s.text->TimerIdent())->Interval(), pooled) << interval;
        s.text->SetScroll(false);
    }
}

TEST(KitScrollText, FramesStartAndEndOutsideInEveryDirection) {
    Scroller s;
    const QImage some = s.text->RenderFrame(50);
    const int height = some.height(), width = some.width();
    struct Case {
        KitScrollDirection direction;
        bool vertical;
        bool fromLowEdge; // the text enters at the top or left edge
    };
    for (const Case& c : {Case{KitScrollDirection::sdBottomToTop, true, false},
                          Case{KitScrollDirection::sdTopToBottom, true, true},
                          Case{KitScrollDirection::sdLeftToRight, false, true},
                          Case{KitScrollDirection::sdRightToLeft, false, false}}) {
        s.text->SetDirection(c.direction);
        EXPECT_TRUE(InkedRows(s.text->RenderFrame(0)).empty()) << int(c.direction);
        EXPECT_TRUE(InkedRows(s.text->RenderFrame(100)).empty()) << int(c.direction);
        EXPECT_FALSE(InkedRows(s.text->RenderFrame(50)).empty()) << int(c.direction);
        // A few steps in, the text shows only near the edge it enters by.
        const QImage early = s.text->RenderFrame(12);
        const std::vector<int> ink = c.vertical ? InkedRows(early) : InkedColumns(early);
        ASSERT_FALSE(ink.empty()) << int(c.direction);
        const int extent = c.vertical ? height : width;
        if (c.fromLowEdge)
            EXPECT_LT(ink.back(), extent / 2) << int(c.direction);
        else
            EXPECT_GT(ink.front(), extent / 2) << int(c.direction);
    }
}

TEST(KitScrollText, TransparentFramesShowWhatLiesBehind) {
    QWidget parent;
    auto* below = new QLabel(&parent);
    below->setGeometry(0, 0, 200, 100);
    below->setAutoFillBackground(true);
    QPalette palette = below->palette();
    palette.setColor(QPalette::Window, Qt::red);
    below->setPalette(palette);
    auto* text = new KitScrollText(&parent);
    text->setGeometry(10, 10, 100, 40);
    text->SetTransparent(true);
    parent.resize(200, 100);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    text->repaint();
    const QImage frame = text->RenderFrame(0);
    EXPECT_EQ(frame.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_TRUE(InkedRows(frame, qRgb(255, 0, 0)).empty());
}

TEST(KitScrollText, OtherTimerModesDriveTheStepsOnTheGuiThread) {
    for (KitTimerMode mode : {KitTimerMode::tmHiTimer, KitTimerMode::tmThreaded}) {
        Scroller s;
        const uint16_t pooled = s.text->TimerIdent();
        s.text->SetTimerMode(mode);
        EXPECT_EQ(s.text->TimerIdent(), 0);
        EXPECT_EQ(KitApplication::Instance().TimerItem(pooled), nullptr) << "the pool ident is given back";
        s.text->SetInterval(5);
        std::vector<QThread*> threads;
        s.text->OnScroll = [&] { threads.push_back(QThread::currentThread()); };
        s.text->SetScroll(true);
        EXPECT_TRUE(QTest::qWaitFor([&] { return s.text->Step() >= 3; }, 5000)) << int(mode);
        for (QThread* thread : threads)
            EXPECT_EQ(thread, s.parent.thread());
        int stops = 0;
        s.text->OnStop = [&] { ++stops; };
        delete s.text; // destroyed while scrolling: no OnStop, and the timer goes with it
        EXPECT_EQ(stops, 0);
    }
}
