#include "app/picture_animation.h"

#include <QEvent>
#include <QWidget>

#include "formats/gif/gif_image.h"
#include "ui/bitmap/bitmap32.h"

PictureAnimation::PictureAnimation() = default;

// The painters stop (and their threads end) before the canvas they draw on goes.
PictureAnimation::~PictureAnimation() {
    image_.reset();
}

void PictureAnimation::Attach(QWidget& control, Bitmap32& shown) {
    control_ = &control;
    shown_ = &shown;
    control.installEventFilter(this);
}

void PictureAnimation::Play(std::unique_ptr<Graphic> picture) {
    Stop();
    auto* gif = dynamic_cast<GIFImage*>(picture.get());
    if (!gif || !shown_ || gif->FrameCount() < 2 || !(gif->DrawFlags() & dfAnimate)) return;
    picture.release();
    image_.reset(gif);
    // Frames are drawn straight onto a canvas of their own, which starts see-through: nothing of the
    // picture shown before can come through a transparent frame.
    image_->SetDrawFlags(image_->DrawFlags() | dfDirectDraw);
    if (clock_) image_->SetPaintClock(*clock_);
    canvas_ = std::make_unique<GIFCanvas>();
    canvas_->OnChange = [this] { shown_->AssignImage(canvas_->Image(), true); };
    shown_->SetDrawMode(DrawMode::dmBlend);
    if (control_ && control_->isVisible()) Start();
}

void PictureAnimation::Start() {
    QImage& surface = canvas_->Image();
    surface = QImage(image_->Width(), image_->Height(), QImage::Format_ARGB32);
    surface.fill(Qt::transparent);
    image_->Draw(*canvas_, {0, 0, surface.width(), surface.height()});
}

void PictureAnimation::Stop() {
    image_.reset();
}

bool PictureAnimation::Running() const {
    const GIFPainter* painter = image_ ? image_->CurrentPainter() : nullptr;
    return painter && !painter->Done();
}

bool PictureAnimation::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_ || !image_) return false;
    // Out of sight the animation pauses, and starts over when the picture shows again.
    if (event->type() == QEvent::Hide) image_->StopPainters();
    if (event->type() == QEvent::Show && !Running()) Start();
    return false;
}
