#pragma once

#include <QObject>
#include <memory>

class Bitmap32;
class GIFCanvas;
class GIFImage;
class Graphic;
class PaintClock;
class QWidget;

// Plays an animated GIF picture into the bitmap a picture control shows. Its painter runs only while such
// a picture is shown and the control can be seen, so an idle window with a still picture does nothing.
class PictureAnimation : public QObject {
  public:
    PictureAnimation();
    ~PictureAnimation() override;

    // Frames go into `shown`, the bitmap `control` shows.
    void Attach(QWidget& control, Bitmap32& shown);
    // Takes the picture that `shown` now holds the first frame of, and plays it when it has several frames.
    void Play(std::unique_ptr<Graphic> picture);
    // Ends the animation; the frame on show stays.
    void Stop();
    // A painter is at work.
    bool Running() const;
    // Where painters take their time from (tests put in their own).
    void UseClock(PaintClock& clock) { clock_ = &clock; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Start();

    QWidget* control_ = nullptr;
    Bitmap32* shown_ = nullptr;
    PaintClock* clock_ = nullptr;
    std::unique_ptr<GIFImage> image_;
    std::unique_ptr<GIFCanvas> canvas_;
};
