#include "ui/controls/fading_label.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

#include "ui/bitmap/mul_div.h"

FadingLabel::FadingLabel(QWidget* parent)
    : QWidget(parent), color_(palette().color(QPalette::Window)),
      fontColor_(palette().color(QPalette::WindowText)), current_(color_) {
    // unguarded: repaints only
    connect(&timer_, &QTimer::timeout, this, &FadingLabel::Step);
    timer_.setInterval(2);
}

void FadingLabel::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void FadingLabel::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void FadingLabel::setColor(const QColor& color) {
    color_ = color;
    update();
}

void FadingLabel::setFontColor(const QColor& color) {
    fontColor_ = color;
    update();
}

void FadingLabel::setFade(bool fade) {
    fade_ = fade;
    UpdateTimer();
}

void FadingLabel::UpdateTimer() {
    if (!fade_ || !isVisible() || !isEnabled())
        timer_.stop();
    else if (!timer_.isActive())
        timer_.start();
}

void FadingLabel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateTimer();
}

void FadingLabel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    UpdateTimer();
}

void FadingLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) UpdateTimer();
}

void FadingLabel::setBetweenColors(int count) {
    if (count >= 1 && count <= 255) betweenColors_ = count;
}

void FadingLabel::setFadeSpeed(int milliseconds) {
    // A zero interval would fire on every pass of the event loop.
    timer_.setInterval(std::max(milliseconds, 1));
}

void FadingLabel::setShowing(bool showing) {
    showing_ = showing;
    step_ = showing ? betweenColors_ : 1;
    Step();
}

void FadingLabel::Step() {
    step_ += fadingIn_ ? 1 : -1;
    if (fade_) {
        current_ = Blend();
        if (isEnabled()) update();
    }
    if (betweenColors_ - 1 <= step_) {
        fadingIn_ = false;
        if (!fadeAlltheTime_) setFade(false);
        emit OnTotallyVisible();
    }
    if (step_ < 2) {
        fadingIn_ = true;
        emit OnNotVisible();
        if (!fadeAlltheTime_) setFade(false);
    }
}

// The step runs one past either end; it is held to the range so no channel leaves 0..255, and a single
// colour step means the font colour.
QColor FadingLabel::Blend() const {
    const int last = betweenColors_ - 1;
    if (last <= 0) return fontColor_;
    const int step = std::clamp(step_, 0, last);
    auto channel = [&](int from, int to) { return from + MulDiv(step, to - from, last); };
    return QColor(channel(color_.red(), fontColor_.red()), channel(color_.green(), fontColor_.green()),
                  channel(color_.blue(), fontColor_.blue()));
}

void FadingLabel::paintEvent(QPaintEvent*) {
    if (!isEnabled()) return;
    QPainter painter(this);
    painter.setPen(current_);
    painter.drawText(rect(), static_cast<int>(alignment_) | Qt::TextWordWrap | Qt::TextExpandTabs, caption_);
}
