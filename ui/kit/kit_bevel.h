#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>

#include "platform/gfx/rect.h"
#include "platform/gfx/sys_colors.h"
#include "ui/kit/kit_object.h"

class Canvas;

enum class KitBevelStyle { bvNone, bvLowered, bvRaised, bvFrameLowered, bvFrameRaised, bvNormal, bvShadow };
enum class KitBevelMode { bmCustom, bmStandard, bmEdge, bmWindows };
enum class KitEdgeStyle {
    etRaisedInner,
    etRaisedOuter,
    etSunkenInner,
    etSunkenOuter,
    etBump,
    etEtched,
    etRaised,
    etSunken
};
enum class KitBorderStyle {
    lsNone,
    lsSingle,
    lsLowered,
    lsRaised,
    lsRaisedspb,
    lsLoweredspb,
    lsRaisedExt,
    lsLoweredExt,
    lsFrameInset,
    lsFrameOffset,
    lsWindowBorder,
    lsSingleRaised,
    lsSingleLowered,
    lsDoubleRaised,
    lsDoubleLowered
};
// The frame of a control-suite control. Every change recomputes the frame's width before notifying.
class KitBevel : public KitObject {
  public:
    // Sides of a frame, as bits of BorderSides.
    enum FrameSide : uint8_t { fsBottom = 1, fsLeft = 2, fsRight = 4, fsTop = 8, fsAll = 15 };
    KitBevel() { UpdateExtent(); }

    KitBevelStyle StyleInner() const { return styleInner_; }
    KitBevelStyle StyleOuter() const { return styleOuter_; }
    // bvShadow on one side takes the other along; leaving it sets the other to bvNone.
    void SetStyleInner(KitBevelStyle style) { SetStyles(style, OtherFor(style, styleInner_, styleOuter_)); }
    void SetStyleOuter(KitBevelStyle style) { SetStyles(OtherFor(style, styleOuter_, styleInner_), style); }
    uint8_t WidthInner() const { return widthInner_; }
    void SetWidthInner(uint8_t width) { Set(widthInner_, width); }
    uint8_t WidthOuter() const { return widthOuter_; }
    void SetWidthOuter(uint8_t width) { Set(widthOuter_, width); }
    int32_t BorderColor() const { return borderColor_; }
    void SetBorderColor(int32_t color) { Set(borderColor_, color); }
    uint8_t BorderSides() const { return borderSides_; }
    void SetBorderSides(uint8_t sides) { Set(borderSides_, uint8_t(sides & fsAll)); }
    uint8_t BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(uint8_t width) { Set(borderWidth_, width); }
    uint8_t BorderInnerWidth() const { return borderInnerWidth_; }
    void SetBorderInnerWidth(uint8_t width) { Set(borderInnerWidth_, width); }
    KitEdgeStyle EdgeStyle() const { return edgeStyle_; }
    void SetEdgeStyle(KitEdgeStyle style) { Set(edgeStyle_, style); }
    int32_t LightColor() const { return lightColor_; }
    void SetLightColor(int32_t color) { Set(lightColor_, color); }
    KitBevelMode Mode() const { return mode_; }
    void SetMode(KitBevelMode mode) { Set(mode_, mode); }
    int32_t ShadowColor() const { return shadowColor_; }
    void SetShadowColor(int32_t color) { Set(shadowColor_, color); }
    KitBorderStyle StandardStyle() const { return standardStyle_; }
    void SetStandardStyle(KitBorderStyle style) { Set(standardStyle_, style); }
    // bmWindows without the window's own two-pixel border.
    void SetNoWindowBorder(bool on) { Set(noWindowBorder_, on); }

    // Total width of the frame on a side; and the width a drop shadow takes.
    int Extent() const { return extent_; }
    int OuterExtent() const { return outerExtent_; }

    void Changed() override;
    void Assign(const KitObject& source) override;

  private:
    static KitBevelStyle OtherFor(KitBevelStyle chosen, KitBevelStyle old, KitBevelStyle other);
    void SetStyles(KitBevelStyle inner, KitBevelStyle outer);
    void UpdateExtent();

    KitBevelStyle styleInner_ = KitBevelStyle::bvNone, styleOuter_ = KitBevelStyle::bvNone;
    uint8_t widthInner_ = 1, widthOuter_ = 1;
    int32_t borderColor_ = clBtnFace;
    uint8_t borderSides_ = fsAll;
    uint8_t borderWidth_ = 0, borderInnerWidth_ = 0;
    KitEdgeStyle edgeStyle_ = KitEdgeStyle::etEtched;
    int32_t lightColor_ = clBtnHighlight;
    KitBevelMode mode_ = KitBevelMode::bmCustom;
    int32_t shadowColor_ = clBtnShadow;
    KitBorderStyle standardStyle_ = KitBorderStyle::lsSingleLowered;
    bool noWindowBorder_ = false;
    int extent_ = 0, outerExtent_ = 0;
};

enum class KitDisabledStyle { dsAuto, dsStandard, ds3d, dsNone };
enum class KitThreeDStyle {
    tdNone,
    tdSunken,
    tdRaised,
    tdSunkenShadow,
    tdRaisedShadow,
    tdPColorSunken,
    tdPColorRaised,
    tdShadow
};

// How a caption is drawn: flat or with light and shadow copies, and with extra space between characters.
class Kit3DCaption : public KitObject {
  public:
    KitDisabledStyle DisabledStyle() const { return disabledStyle_; }
    void SetDisabledStyle(KitDisabledStyle style) { Set(disabledStyle_, style); }
    uint8_t LightDepth() const { return lightDepth_; }
    void SetLightDepth(uint8_t depth) { Set(lightDepth_, depth); }
    uint8_t ShadowDepth() const { return shadowDepth_; }
    void SetShadowDepth(uint8_t depth) { Set(shadowDepth_, depth); }
    int32_t LightColor() const { return lightColor_; }
    void SetLightColor(int32_t color) { Set(lightColor_, color); }
    int32_t ShadowColor() const { return shadowColor_; }
    void SetShadowColor(int32_t color) { Set(shadowColor_, color); }
    KitThreeDStyle Style() const { return style_; }
    void SetStyle(KitThreeDStyle style) { Set(style_, style); }
    int Tracing() const { return tracing_; }
    void SetTracing(int tracing) { Set(tracing_, tracing); }

    // The pixels the light and shadow copies add to each side's extent.
    int Depth() const;
    void Assign(const KitObject& source) override;

  protected:
    void CopyFrom(const Kit3DCaption& source);

  private:
    KitDisabledStyle disabledStyle_ = KitDisabledStyle::dsAuto;
    uint8_t lightDepth_ = 1, shadowDepth_ = 1;
    int32_t lightColor_ = clBtnHighlight, shadowColor_ = clBtnShadow;
    KitThreeDStyle style_ = KitThreeDStyle::tdNone;
    int tracing_ = 0;
};

// A caption that can be turned and moved inside its rectangle.
class KitFxCaption : public Kit3DCaption {
  public:
    int16_t Angle() const { return angle_; }
    // Degrees; 360 is kept as 0.
    void SetAngle(int16_t angle) { Set(angle_, int16_t(angle == 360 ? 0 : angle)); }
    uint16_t PosX() const { return posX_; }
    void SetPosX(uint16_t x) { Set(posX_, x); }
    uint16_t PosY() const { return posY_; }
    void SetPosY(uint16_t y) { Set(posY_, y); }
    void Assign(const KitObject& source) override;

  private:
    int16_t angle_ = 0;
    uint16_t posX_ = 0, posY_ = 0;
};

// Flags of DrawText3D.
enum KitText3DFlag : unsigned { ktEnabled = 0x1, ktSunkenWhenDisabled = 0x2, ktClip = 0x4 };

// Draws the bevel inside rect and returns the rectangle inside it. Transparent only shrinks where the
// bevel would fill with its border colour.
Rect DrawBevel(const KitBevel& bevel, Canvas& canvas, Rect rect, bool transparent);
// Draws a caption in rect by the text format (DT_*), with the caption's 3D layers, colours and spacing;
// without a caption the text is drawn plainly. ktClip clips to clip, or to rect when clip is null.
void DrawText3D(Canvas& canvas, const QString& text, const Kit3DCaption* caption, const Rect* clip,
                unsigned flags, unsigned format, Rect rect);
// The width of text, and the height of a line, drawn in font with the caption.
int TextWidth3D(const QString& text, const Kit3DCaption* caption, const QFont& font);
int TextHeight3D(const Kit3DCaption* caption, const QFont& font);
// Sizes bitmap to rect and copies that rectangle of the screen into it.
void CopyScreenBackground(QImage& bitmap, const Rect& rect);
