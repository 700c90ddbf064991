#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/sys_colors.h"
#include "ui/bitmap/bitmap32.h"

// What a layer of an image view must offer. The program has no layer of its own; the collection stays
// empty and mouse events reach the image's events.
class Layer {
  public:
    static constexpr uint32_t LOB_MOUSE_EVENTS = 1u << 29;
    static constexpr uint32_t LOB_GDI_OVERLAY = 1u << 30;
    static constexpr uint32_t LOB_NO_CAPTURE = 1u << 27;
    static constexpr uint32_t LOB_VISIBLE = 1u << 31;

    virtual ~Layer() = default;
    // A new layer of the same class with the same settings.
    virtual std::unique_ptr<Layer> Clone() const = 0;
    uint32_t LayerOptions = LOB_VISIBLE;
    virtual bool HitTest(int x, int y) = 0;
    virtual void Paint(Bitmap32& buffer) = 0;
    virtual void MouseDown(Qt::MouseButton, int, int) {}
    virtual void MouseMove(int, int) {}
    virtual void MouseUp(Qt::MouseButton, int, int) {}
    // May change the hit test's result.
    std::function<void(int x, int y, bool& passed)> OnHitTest;
    std::function<void(Bitmap32& buffer)> OnPaint;

  private:
    friend class LayerCollection;
    int buttons_ = 0; // pressed buttons while this layer listens: left 1, right 2, middle 4
};

class LayerCollection {
  public:
    // The first begin of a batch tells OnBeforeUpdate; the last end tells OnChange.
    void BeginUpdate();
    void EndUpdate();
    void Add(std::unique_ptr<Layer> layer);
    // Frees the layers from the last to the first inside one update.
    void Clear();
    // Copies of another collection's layers in place of these, inside one update.
    void Assign(const LayerCollection& source);
    int Count() const { return static_cast<int>(items_.size()); }
    Layer* Item(int index) const { return items_[static_cast<size_t>(index)].get(); }

    // The topmost layer holding the option bit whose hit test succeeds, or nullptr.
    Layer* FindLayerAtPos(int x, int y, uint32_t optionMask) const;
    Layer* MouseListener() const { return listener_; }
    Layer* MouseDown(Qt::MouseButton button, int x, int y);
    Layer* MouseMove(int x, int y);
    Layer* MouseUp(Qt::MouseButton button, int x, int y);

    bool MouseEvents = true;
    std::function<void()> OnBeforeUpdate, OnChange;

  private:
    std::vector<std::unique_ptr<Layer>> items_;
    Layer* listener_ = nullptr;
    int updateCount_ = 0;
};

// Keeps an off-screen buffer and shows it with one block copy.
class CustomPaintBox32 : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kBufferOversize = 40;
    enum Option { pboWantArrowKeys = 1, pboAutoFocus = 2 };

    explicit CustomPaintBox32(QWidget* parent = nullptr);

    Bitmap32& Buffer() { return buffer_; }
    int Options = 0;
    // Marks buffer (and, in the image, the placement) invalid and repaints.
    virtual void Invalidate();
    bool BufferValid() const { return bufferValid_; }

    std::function<void()> OnGDIOverlay, OnMouseEnter, OnMouseLeave;
    std::function<void(int key, Qt::KeyboardModifiers shift)> OnKeyDown;

  protected:
    // Fills the buffer; marks it valid.
    virtual void PaintBuffer() { bufferValid_ = true; }
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    // With pboWantArrowKeys the arrow keys are the control's, not its window's shortcuts'.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool bufferValid_ = false;

  private:
    void ResizeBuffer();
    Bitmap32 buffer_;
};

// Shows a Bitmap32 aligned and scaled in a control.
class Image32 : public CustomPaintBox32 {
    Q_OBJECT
  public:
    enum BitmapAlign { baTopLeft, baCenter, baTile, baCustom };
    enum ScaleMode { smNormal, smStretch, smScale, smResize };
    enum StageKind {
        PST_CUSTOM = 1,
        PST_CLEAR_BUFFER,
        PST_CLEAR_BACKGND,
        PST_DRAW_BITMAP,
        PST_DRAW_LAYERS,
        PST_CONTROL_FRAME,
        PST_BITMAP_FRAME
    };
    struct PaintStage {
        bool DsgnTime;
        bool RunTime;
        int Stage;
        uint32_t Parameter;
    };
    // Bitmap to control: 16.16 scales, shifts, and the reverse scales.
    struct Transform {
        int ScaleX = 0x10000, ScaleY = 0x10000, ShiftX = 0, ShiftY = 0, RevScaleX = 0x10000,
            RevScaleY = 0x10000;
    };

    explicit Image32(QWidget* parent = nullptr);

    Bitmap32& Bitmap() { return bitmap_; }
    // Copies the given bitmap into the shown one.
    void SetBitmap(const Bitmap32& bitmap);
    double Scale() const { return scale_; }
    void SetScale(double value);
    ScaleMode GetScaleMode() const { return scaleMode_; }
    void SetScaleMode(ScaleMode mode);
    BitmapAlign GetBitmapAlign() const { return bitmapAlign_; }
    void SetBitmapAlign(BitmapAlign align);
    void SetOffsets(float horizontal, float vertical);
    // Window-system colour of the background.
    int32_t Color() const { return color_; }
    void SetColor(int32_t color);
    bool AutoSize = false;

    std::vector<PaintStage>& PaintStages() { return stages_; }
    LayerCollection& Layers() { return layers_; }

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    // Repaints and fires OnChange unless inside BeginUpdate .. EndUpdate.
    void Changed();
    void Invalidate() override;

    QSize GetBitmapSize() const;
    Rect GetBitmapRect() const;
    const Transform& GetTransform();

    std::function<void()> OnBitmapResize, OnChange, OnClick, OnDblClick;
    // Fired once the control is set up, before it is first shown: the place to change the paint stages.
    std::function<void()> OnInitStages;
    void Loaded();
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y, Layer*)> OnMouseDown, OnMouseUp;
    std::function<void(Qt::KeyboardModifiers, int x, int y, Layer*)> OnMouseMove;
    std::function<void(Bitmap32& buffer, int stage)> OnPaintStage;

  protected:
    void PaintBuffer() override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void BitmapResized();
    void UpdateCache();
    void ClearBackground(Bitmap32& buffer);
    void DrawBitmap(Bitmap32& buffer);

    Bitmap32 bitmap_;
    LayerCollection layers_;
    BitmapAlign bitmapAlign_ = baTopLeft;
    ScaleMode scaleMode_ = smNormal;
    double scale_ = 1.0;
    float offsetHorz_ = 0, offsetVert_ = 0;
    int32_t color_ = clWindow;
    std::vector<PaintStage> stages_;
    int updateCount_ = 0;
    Rect cachedRect_;
    Transform transform_;
    bool cacheValid_ = false;
    bool loaded_ = false;
};
