#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>

#include "ui/controls/fading_label.h"

namespace {

struct Label {
    Label() {
        label.setColor(QColor(255, 255, 255));
        label.setFontColor(QColor(0, 128, 0));
        label.setCaption("Loading file . . . ");
        label.resize(200, 20);
    }
    // Pixels the text changed on a white background.
    int InkPixels() {
        QImage image(label.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren); // the label is transparent
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ink += image.pixel(x, y) != qRgb(255, 255, 255);
        return ink;
    }
    FadingLabel label;
};

} // namespace

TEST(FadingLabel, PulsesBetweenBackgroundAndFontColour) {
    Label l;
    QSignalSpy visible(&l.label, &FadingLabel::OnTotallyVisible);
    QSignalSpy hidden(&l.label, &FadingLabel::OnNotVisible);
    l.label.Step(); // starts fading out from step 1: reaches the background at once
    EXPECT_EQ(l.label.CurrentColor(), QColor(255, 255, 255));
    EXPECT_EQ(hidden.count(), 1);
    QList<QColor> seen;
    for (int i = 0; i < 15; ++i) {
        l.label.Step();
        seen << l.label.CurrentColor();
    }
    EXPECT_EQ(seen[6], QColor(136, 196, 136)); // step 7 of 15, rounded: 255 - 119, 255 - 59
    EXPECT_EQ(seen[14], QColor(0, 128, 0));
    EXPECT_EQ(visible.count(), 1);
    l.label.Step();
    EXPECT_EQ(l.label.CurrentColor(), QColor(17, 136, 17)); // and back towards the background
    EXPECT_TRUE(l.label.Fade());
}

TEST(FadingLabel, OneColourStepAndTheOvershootStayInRange) {
    Label l;
    l.label.setBetweenColors(0);
    l.label.setBetweenColors(300);
    EXPECT_EQ(l.label.BetweenColors(), 16);
    l.label.setShowing(true); // one step past the font colour end
    EXPECT_EQ(l.label.CurrentColor(), QColor(0, 128, 0));
    l.label.setBetweenColors(1);
    for (int i = 0; i < 5; ++i) {
        l.label.setShowing(i % 2 == 0);
        l.label.Step();
        EXPECT_EQ(l.label.CurrentColor(), QColor(0, 128, 0)) << i;
    }
    l.label.setBetweenColors(2);
    for (int i = 0; i < 4; ++i) {
        l.label.Step();
        EXPECT_TRUE(l.label.CurrentColor() == QColor(0, 128, 0) ||
                    l.label.CurrentColor() == QColor(255, 255, 255));
    }
}

TEST(FadingLabel, WithoutFadeAllTheTimeItFadesInOnceAndStays) {
    Label l;
    l.label.setFadeAlltheTime(false);
    QSignalSpy visible(&l.label, &FadingLabel::OnTotallyVisible);
    QSignalSpy hidden(&l.label, &FadingLabel::OnNotVisible);
    l.label.setShowing(true);
    EXPECT_EQ(visible.count(), 1);
    EXPECT_FALSE(l.label.Fade()); // the timer stops with the text in the font colour
    EXPECT_EQ(l.label.CurrentColor(), QColor(0, 128, 0));
    l.label.setShowing(false);
    EXPECT_EQ(hidden.count(), 1);
    EXPECT_EQ(l.label.CurrentColor(), QColor(0, 128, 0)); // not fading: the colour is left alone
}

TEST(FadingLabel, TimerFollowsFadeAndTextShowsOnlyWhileEnabled) {
    Label l;
    l.label.setFadeSpeed(30);
    l.label.setFade(false);
    l.label.setShowing(true);
    l.label.setEnabled(false);
    EXPECT_EQ(l.InkPixels(), 0);
    l.label.setEnabled(true);
    EXPECT_GT(l.InkPixels(), 0);
    EXPECT_EQ(l.label.FadeSpeed(), 30);
    l.label.setFadeSpeed(0);
    EXPECT_EQ(l.label.FadeSpeed(), 1);
}

TEST(FadingLabel, FadesOnlyWhileTheTextCanBeSeen) {
    QWidget window;
    auto* label = new FadingLabel(&window);
    label->setFadeSpeed(30);
    window.show();
    EXPECT_TRUE(label->Ticking()) << "shown, enabled and fading";
    label->setEnabled(false);
    EXPECT_FALSE(label->Ticking()) << "a disabled label draws no text";
    label->setEnabled(true);
    EXPECT_TRUE(label->Ticking());
    label->hide();
    EXPECT_FALSE(label->Ticking()) << "a hidden label is not seen";
    label->show();
    EXPECT_TRUE(label->Ticking()) << "the fade resumes when the status shows";
    window.hide();
    EXPECT_FALSE(label->Ticking()) << "nor is one in a hidden window";
    window.show();
    label->setFade(false);
    EXPECT_FALSE(label->Ticking());
    QSignalSpy visible(label, &FadingLabel::OnTotallyVisible);
    label->setFade(true);
    label->setFadeSpeed(1);
    EXPECT_TRUE(visible.wait(2000)) << "the timer steps the fade while it runs";
}
