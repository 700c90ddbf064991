#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

// A status text whose colour pulses between the background colour and the font colour on its own timer.
// Its text shows only while the label is enabled: callers enable it to show a status, disable it to hide.
class FadingLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
  public:
    explicit FadingLabel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    Qt::Alignment Alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);
    // The colour faded from; the label itself stays transparent.
    QColor Color() const { return color_; }
    void setColor(const QColor& color);
    QColor FontColor() const { return fontColor_; }
    void setFontColor(const QColor& color);

    bool Fade() const { return fade_; }
    void setFade(bool fade);
    // Number of colour steps, 1 to 255; other values are ignored.
    int BetweenColors() const { return betweenColors_; }
    void setBetweenColors(int count);
    bool FadeAlltheTime() const { return fadeAlltheTime_; }
    void setFadeAlltheTime(bool always) { fadeAlltheTime_ = always; }
    // Milliseconds between steps.
    int FadeSpeed() const { return timer_.interval(); }
    void setFadeSpeed(int milliseconds);
    bool Showing() const { return showing_; }
    // Jumps to the visible (true) or hidden end and takes one step at once.
    void setShowing(bool showing);

    QColor CurrentColor() const { return current_; }
    // The timer runs only while fading and the text can be seen: a hidden or disabled label stays idle.
    bool Ticking() const { return timer_.isActive(); }
    // One fade step; the timer calls it.
    void Step();

  signals:
    void OnTotallyVisible();
    void OnNotVisible();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void UpdateTimer();
    QColor Blend() const;

    QTimer timer_;
    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    QColor color_;
    QColor fontColor_;
    QColor current_;
    int step_ = 1;
    bool fadingIn_ = false;
    int betweenColors_ = 16;
    bool fade_ = true;
    bool fadeAlltheTime_ = true;
    bool showing_ = false;
};
