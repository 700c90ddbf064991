#include "ui/bitmap/image_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <stdexcept>

#include "ui/bitmap/mul_div.h"

namespace {

int ButtonBit(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

bool IsArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

void LayerCollection::BeginUpdate() {
    if (updateCount_++ == 0 && OnBeforeUpdate) OnBeforeUpdate();
}

void LayerCollection::EndUpdate() {
    if (updateCount_ < 1) throw std::logic_error("Unpaired EndUpdate");
    if (--updateCount_ == 0 && OnChange) OnChange();
}

void LayerCollection::Add(std::unique_ptr<Layer> layer) {
    BeginUpdate();
    items_.push_back(std::move(layer));
    EndUpdate();
}

void LayerCollection::Clear() {
    BeginUpdate();
    listener_ = nullptr;
    while (!items_.empty())
        items_.pop_back();
    EndUpdate();
}

void LayerCollection::Assign(const LayerCollection& source) {
    if (&source == this) return;
    BeginUpdate();
    std::vector<std::unique_ptr<Layer>> copies;
    for (const auto& layer : source.items_)
        copies.push_back(layer->Clone());
    listener_ = nullptr;
    items_ = std::move(copies);
    EndUpdate();
}

Layer* LayerCollection::FindLayerAtPos(int x, int y, uint32_t optionMask) const {
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        Layer& layer = **it;
        if (!(layer.LayerOptions & optionMask)) continue;
        bool passed = layer.HitTest(x, y);
        if (layer.OnHitTest) layer.OnHitTest(x, y, passed);
        if (passed) return &layer;
    }
    return nullptr;
}

Layer* LayerCollection::MouseDown(Qt::MouseButton button, int x, int y) {
    Layer* layer = listener_ ? listener_ : FindLayerAtPos(x, y, Layer::LOB_MOUSE_EVENTS);
    if (layer && layer != listener_ && button == Qt::LeftButton &&
        !(layer->LayerOptions & Layer::LOB_NO_CAPTURE)) {
        listener_ = layer;
        listener_->buttons_ = 0;
    }
    if (layer == listener_ && layer) listener_->buttons_ |= ButtonBit(button);
    if (layer) layer->MouseDown(button, x, y);
    return layer;
}

Layer* LayerCollection::MouseMove(int x, int y) {
    Layer* layer = listener_ ? listener_ : FindLayerAtPos(x, y, Layer::LOB_MOUSE_EVENTS);
    if (layer) layer->MouseMove(x, y);
    return layer;
}

Layer* LayerCollection::MouseUp(Qt::MouseButton button, int x, int y) {
    Layer* layer = listener_ ? listener_ : FindLayerAtPos(x, y, Layer::LOB_MOUSE_EVENTS);
    if (!layer) return nullptr;
    if (layer == listener_) {
        listener_->buttons_ &= ~ButtonBit(button);
        if (listener_->buttons_ == 0) listener_ = nullptr;
    }
    layer->MouseUp(button, x, y);
    return layer;
}

CustomPaintBox32::CustomPaintBox32(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    buffer_.BeginUpdate(); // the buffer's changes never notify
    resize(192, 192);
}

void CustomPaintBox32::Invalidate() {
    bufferValid_ = false;
    update();
}

void CustomPaintBox32::ResizeBuffer() {
    auto sized = [](int need, int current) {
        if (current < need) return need + kBufferOversize;
        if (need < current - kBufferOversize) return std::max(need, 1);
        return std::max(current, 1);
    };
    const int w = sized(std::max(width(), 0), buffer_.Width());
    const int h = sized(std::max(height(), 0), buffer_.Height());
    if (w == buffer_.Width() && h == buffer_.Height()) return;
    buffer_.Lock();
    buffer_.SetSize(w, h);
    buffer_.Unlock();
    bufferValid_ = false;
}

void CustomPaintBox32::paintEvent(QPaintEvent*) {
    ResizeBuffer();
    if (!bufferValid_) PaintBuffer();
    QPainter painter(this);
    buffer_.Lock();
    painter.drawImage(QPoint(0, 0), buffer_.AsImage(), QRect(0, 0, width(), height()));
    buffer_.Unlock();
    painter.end();
    if (OnGDIOverlay) OnGDIOverlay();
}

void CustomPaintBox32::resizeEvent(QResizeEvent*) {
    Invalidate();
}

void CustomPaintBox32::enterEvent(QEnterEvent*) {
    if (OnMouseEnter) OnMouseEnter();
}

void CustomPaintBox32::leaveEvent(QEvent*) {
    if (OnMouseLeave) OnMouseLeave();
}

bool CustomPaintBox32::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && (Options & pboWantArrowKeys) &&
        IsArrow(static_cast<QKeyEvent*>(event)->key())) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void CustomPaintBox32::keyPressEvent(QKeyEvent* event) {
    if (IsArrow(event->key()) && !(Options & pboWantArrowKeys)) {
        event->ignore();
        return;
    }
    if (OnKeyDown) OnKeyDown(event->key(), event->modifiers());
}

Image32::Image32(QWidget* parent) : CustomPaintBox32(parent) {
    bitmap_.OnChange = [this] { Changed(); };
    bitmap_.OnResize = [this] { BitmapResized(); };
    layers_.OnChange = [this] { Changed(); };
    stages_ = {{true, true, PST_CLEAR_BACKGND, 0},
               {true, false, PST_CONTROL_FRAME, 0},
               {true, true, PST_DRAW_BITMAP, 0},
               {true, false, PST_BITMAP_FRAME, 0},
               {true, true, PST_DRAW_LAYERS, Layer::LOB_VISIBLE}};
}

// Once, when the control is first polished: it has been built and not yet shown.
bool Image32::event(QEvent* event) {
    if (event->type() == QEvent::Polish && !loaded_) Loaded();
    return CustomPaintBox32::event(event);
}

void Image32::Loaded() {
    loaded_ = true;
    if (OnInitStages) OnInitStages();
}

void Image32::SetBitmap(const Bitmap32& bitmap) {
    cacheValid_ = false;
    bitmap_.AssignFrom(&bitmap);
}

void Image32::SetScale(double value) {
    value = std::max(value, 0.001);
    if (value == scale_) return;
    cacheValid_ = false;
    scale_ = value;
    Changed();
}

void Image32::SetScaleMode(ScaleMode mode) {
    if (mode == scaleMode_) return;
    cacheValid_ = false;
    scaleMode_ = mode;
    Changed();
}

void Image32::SetBitmapAlign(BitmapAlign align) {
    cacheValid_ = false;
    bitmapAlign_ = align;
    Changed();
}

void Image32::SetOffsets(float horizontal, float vertical) {
    cacheValid_ = false;
    offsetHorz_ = horizontal;
    offsetVert_ = vertical;
    Changed();
}

void Image32::SetColor(int32_t color) {
    color_ = color;
    Invalidate();
}

void Image32::EndUpdate() {
    if (updateCount_ < 1) throw std::logic_error("Unpaired EndUpdate call");
    --updateCount_;
}

void Image32::Changed() {
    if (updateCount_ != 0) return;
    Invalidate();
    if (OnChange) OnChange();
}

void Image32::Invalidate() {
    cacheValid_ = false;
    CustomPaintBox32::Invalidate();
}

QSize Image32::GetBitmapSize() const {
    if (bitmap_.Empty() || width() == 0 || height() == 0) return {0, 0};
    const int bw = bitmap_.Width(), bh = bitmap_.Height();
    QSize size;
    switch (scaleMode_) {
    case smNormal:
        size = {bw, bh};
        break;
    case smStretch:
        size = {width(), height()};
        break;
    case smScale: {
        const float scale = static_cast<float>(scale_);
        size = {int(std::nearbyint(float(bw) * scale)), int(std::nearbyint(float(bh) * scale))};
        break;
    }
    case smResize: {
        const float sx = float(width()) / float(bw), sy = float(height()) / float(bh);
        size = sx < sy ? QSize(width(), int(std::nearbyint(float(bh) * sx)))
                       : QSize(int(std::nearbyint(float(bw) * sy)), height());
        break;
    }
    }
    return {std::max(size.width(), 0), std::max(size.height(), 0)};
}

Rect Image32::GetBitmapRect() const {
    if (bitmap_.Empty()) return {};
    const QSize size = GetBitmapSize();
    Rect r{0, 0, size.width(), size.height()};
    if (bitmapAlign_ == baCenter)
        return r.Offset((width() - size.width()) / 2, (height() - size.height()) / 2);
    if (bitmapAlign_ == baCustom)
        return r.Offset(int(std::nearbyint(offsetHorz_)), int(std::nearbyint(offsetVert_)));
    return r;
}

void Image32::UpdateCache() {
    if (cacheValid_) return;
    cachedRect_ = GetBitmapRect();
    transform_ = Transform();
    // An empty placement of a non-empty bitmap (tiny scale, zero-sized control) keeps the identity.
    if (!bitmap_.Empty() && !cachedRect_.IsEmpty()) {
        transform_.ScaleX = MulDiv(cachedRect_.Width(), 0x10000, bitmap_.Width());
        transform_.ScaleY = MulDiv(cachedRect_.Height(), 0x10000, bitmap_.Height());
        transform_.ShiftX = cachedRect_.Left;
        transform_.ShiftY = cachedRect_.Top;
        transform_.RevScaleX = MulDiv(bitmap_.Width(), 0x10000, cachedRect_.Width());
        transform_.RevScaleY = MulDiv(bitmap_.Height(), 0x10000, cachedRect_.Height());
    }
    cacheValid_ = true;
}

const Image32::Transform& Image32::GetTransform() {
    UpdateCache();
    return transform_;
}

void Image32::BitmapResized() {
    if (AutoSize) {
        QSize size = bitmap_.Empty() ? QSize() : QSize(bitmap_.Width(), bitmap_.Height());
        if (scaleMode_ == smScale)
            size = {int(std::nearbyint(size.width() * scale_)), int(std::nearbyint(size.height() * scale_))};
        if (size.width() >= 1 && size.height() >= 1) resize(size);
    }
    if (OnBitmapResize) OnBitmapResize();
    Invalidate();
}

void Image32::ClearBackground(Bitmap32& buffer) {
    const Color32 c = ColorToColor32(color_);
    if (bitmap_.Empty() || bitmap_.GetDrawMode() != DrawMode::dmOpaque) {
        buffer.FillAll(c);
        return;
    }
    const Rect r = cachedRect_;
    if (r.Left < 1 && r.Right >= width() && r.Top < 1 && (r.Bottom >= height() || bitmapAlign_ == baTile))
        return;
    const int w = buffer.Width(), h = buffer.Height();
    buffer.FillRectClipped(0, 0, w, r.Top, c);
    buffer.FillRectClipped(0, r.Bottom, w, h, c);
    buffer.FillRectClipped(0, r.Top, r.Left, r.Bottom, c);
    buffer.FillRectClipped(r.Right, r.Top, w, r.Bottom, c);
}

void Image32::DrawBitmap(Bitmap32& buffer) {
    if (bitmap_.Empty() || cachedRect_.IsEmpty()) return;
    bitmap_.Lock();
    if (bitmapAlign_ == baTile) {
        for (int j = 0; j <= buffer.Height() / cachedRect_.Bottom; ++j)
            for (int i = 0; i <= buffer.Width() / cachedRect_.Right; ++i)
                bitmap_.DrawInto(buffer, cachedRect_.Offset(i * cachedRect_.Right, j * cachedRect_.Bottom));
    } else {
        bitmap_.DrawInto(buffer, cachedRect_);
    }
    bitmap_.Unlock();
}

void Image32::PaintBuffer() {
    UpdateCache();
    Bitmap32& buffer = Buffer();
    for (size_t i = 0; i < stages_.size(); ++i) {
        const PaintStage& stage = stages_[i];
        if (!stage.RunTime) continue;
        switch (stage.Stage) {
        case PST_CUSTOM:
            if (OnPaintStage) OnPaintStage(buffer, static_cast<int>(i));
            break;
        case PST_CLEAR_BUFFER:
            buffer.FillAll(ColorToColor32(color_));
            break;
        case PST_CLEAR_BACKGND:
            ClearBackground(buffer);
            break;
        case PST_DRAW_BITMAP:
            DrawBitmap(buffer);
            break;
        case PST_DRAW_LAYERS:
            for (int l = 0; l < layers_.Count(); ++l) {
                Layer* layer = layers_.Item(l);
                if (!(layer->LayerOptions & stage.Parameter)) continue;
                layer->Paint(buffer);
                if (layer->OnPaint) layer->OnPaint(buffer);
            }
            break;
        default: // the frames are drawn only while designing
            break;
        }
    }
    bufferValid_ = true;
}

void Image32::mousePressEvent(QMouseEvent* event) {
    if ((Options & pboAutoFocus) || focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
    const QPoint p = event->position().toPoint();
    Layer* layer = layers_.MouseEvents ? layers_.MouseDown(event->button(), p.x(), p.y()) : nullptr;
    if (OnMouseDown) OnMouseDown(event->button(), event->modifiers(), p.x(), p.y(), layer);
}

void Image32::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    Layer* layer = layers_.MouseEvents ? layers_.MouseMove(p.x(), p.y()) : nullptr;
    if (OnMouseMove) OnMouseMove(event->modifiers(), p.x(), p.y(), layer);
}

void Image32::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    Layer* layer = layers_.MouseEvents ? layers_.MouseUp(event->button(), p.x(), p.y()) : nullptr;
    if (OnMouseUp) OnMouseUp(event->button(), event->modifiers(), p.x(), p.y(), layer);
    if (event->button() == Qt::LeftButton && rect().contains(p) && OnClick) OnClick();
}

void Image32::mouseDoubleClickEvent(QMouseEvent*) {
    if (OnDblClick) OnDblClick();
}
