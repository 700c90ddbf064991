#include "ui/kit/kit_bevel.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <vector>

#include "platform/gfx/canvas.h"

namespace {

bool IsFrame(KitBevelStyle style) {
    return style == KitBevelStyle::bvFrameLowered || style == KitBevelStyle::bvFrameRaised;
}

int RingWidth(KitBevelStyle style, int width) {
    if (style == KitBevelStyle::bvNone) return 0;
    return width + (IsFrame(style) ? 1 : 0);
}

int StandardWidth(KitBorderStyle style) {
    switch (style) {
    case KitBorderStyle::lsNone:
        return 0;
    case KitBorderStyle::lsSingle:
    case KitBorderStyle::lsSingleRaised:
    case KitBorderStyle::lsSingleLowered:
        return 1;
    default:
        return 2;
    }
}

Rect Shrunk(const Rect& r, int by) {
    return {r.Left + by, r.Top + by, r.Right - by, r.Bottom - by};
}

// One-pixel rings in a colour, or only the room they take when transparent.
Rect BorderRings(Canvas& canvas, Rect rect, int count, int32_t color, bool transparent) {
    if (!transparent) {
        canvas.Brush.Color = color;
        for (int i = 0; i < count; ++i)
            canvas.FrameRect(Shrunk(rect, i));
    }
    return Shrunk(rect, count);
}

// Light-and-shadow bands of a ring: top-left in one colour, bottom-right in the other.
void Bands(Canvas& canvas, const Rect& r, int width, int32_t topLeft, int32_t bottomRight) {
    const int l = r.Left, t = r.Top, rt = r.Right, b = r.Bottom;
    if (width == 1) {
        canvas.Pen.Color = topLeft;
        canvas.Polyline({{l, b - 1}, {l, t}, {rt, t}});
        canvas.Pen.Color = bottomRight;
        canvas.Polyline({{l, b - 1}, {rt - 1, b - 1}, {rt - 1, t - 1}});
        return;
    }
    canvas.Pen.Color = canvas.Brush.Color = topLeft;
    canvas.Polygon({{l, t},
                    {rt - 1, t},
                    {rt - width, t + width - 1},
                    {l + width - 1, t + width - 1},
                    {l + width - 1, b - width},
                    {l, b - 1}});
    canvas.Pen.Color = canvas.Brush.Color = bottomRight;
    canvas.Polygon({{rt - 1, t},
                    {rt - 1, b - 1},
                    {l, b - 1},
                    {l + width - 1, b - width},
                    {rt - width, b - width},
                    {rt - width, t + width - 1}});
}

Rect Ring(Canvas& canvas, Rect r, KitBevelStyle style, int width, const KitBevel& bevel) {
    if (style == KitBevelStyle::bvNone || style == KitBevelStyle::bvShadow || width == 0) return r;
    const int32_t light = bevel.LightColor(), shadow = bevel.ShadowColor();
    switch (style) {
    case KitBevelStyle::bvLowered:
        Bands(canvas, r, width, shadow, light);
        return Shrunk(r, width);
    case KitBevelStyle::bvRaised:
        Bands(canvas, r, width, light, shadow);
        return Shrunk(r, width);
    case KitBevelStyle::bvNormal:
        Bands(canvas, r, width, clBlack, clBlack);
        return Shrunk(r, width);
    default: {
        const bool lowered = style == KitBevelStyle::bvFrameLowered;
        for (int i = 0; i < width; ++i) {
            canvas.Brush.Color = lowered ? light : shadow;
            canvas.FrameRect({r.Left + i + 1, r.Top + i + 1, r.Right, r.Bottom});
            canvas.Brush.Color = lowered ? shadow : light;
            canvas.FrameRect({r.Left, r.Top, r.Right - i - 1, r.Bottom - i - 1});
        }
        return Shrunk(r, width + 1);
    }
    }
}

Rect DropShadow(Canvas& canvas, Rect r, const KitBevel& bevel, bool transparent) {
    const int w = bevel.WidthOuter();
    canvas.Brush.Color = bevel.ShadowColor();
    canvas.FillRect({r.Right - w, r.Top + w, r.Right, r.Bottom});
    canvas.FillRect({r.Left + w, r.Bottom - w, r.Right, r.Bottom});
    if (!transparent) {
        canvas.Brush.Color = bevel.BorderColor();
        canvas.FillRect({r.Right - w, r.Top, r.Right, r.Top + w});
        canvas.FillRect({r.Left, r.Bottom - w, r.Left + w, r.Bottom});
    }
    r.Right -= w;
    r.Bottom -= w;
    canvas.Brush.Color = bevel.LightColor();
    for (int i = 0; i < bevel.WidthInner(); ++i)
        canvas.FrameRect(Shrunk(r, i));
    return Shrunk(r, bevel.WidthInner());
}

// One step of a standard style: an edge on some sides, then the rectangle's corners moved in.
struct EdgeStep {
    unsigned edge;
    unsigned flags;
    int leftTopIn;
    int rightBottomIn;
};

std::vector<EdgeStep> StandardSteps(KitBorderStyle style) {
    const unsigned all = BF_RECT | BF_ADJUST;
    switch (style) {
    case KitBorderStyle::lsSingle:
        return {{BDR_SUNKENOUTER, BF_LEFT | BF_TOP | BF_SOFT | BF_ADJUST, 0, 0},
                {BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM, 0, 0}};
    case KitBorderStyle::lsLowered:
        return {{EDGE_SUNKEN, all | BF_SOFT, 0, 0}};
    case KitBorderStyle::lsRaised:
        return {{EDGE_RAISED, all | BF_SOFT, 0, 0}};
    case KitBorderStyle::lsRaisedspb:
        return {{BDR_RAISEDOUTER, all | BF_SOFT, 0, 0},
                {BDR_RAISEDINNER, BF_RIGHT | BF_BOTTOM | BF_ADJUST, 0, 0}};
    case KitBorderStyle::lsLoweredspb:
        return {{BDR_SUNKENOUTER, all, 0, 0}, {BDR_SUNKENINNER, BF_LEFT | BF_TOP | BF_ADJUST, 0, 0}};
    case KitBorderStyle::lsRaisedExt:
        return {{BDR_RAISEDOUTER, all | BF_SOFT, 0, 0},
                {BDR_RAISEDINNER, BF_RIGHT | BF_BOTTOM | BF_ADJUST, 1, 0}};
    case KitBorderStyle::lsLoweredExt:
        return {{BDR_SUNKENOUTER, all, 0, 0}, {BDR_SUNKENINNER, BF_LEFT | BF_TOP | BF_ADJUST, 0, 1}};
    case KitBorderStyle::lsFrameInset:
        return {{EDGE_ETCHED, all, 0, 0}};
    case KitBorderStyle::lsFrameOffset:
        return {{BDR_RAISEDINNER, BF_RECT, 0, 0}, {BDR_SUNKENOUTER, all, 0, 0}};
    case KitBorderStyle::lsWindowBorder:
        return {{BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM | BF_ADJUST, 1, 0}, {BDR_RAISEDINNER, all, 0, 0}};
    case KitBorderStyle::lsSingleRaised:
        return {{BDR_RAISEDINNER, all, 0, 0}};
    case KitBorderStyle::lsSingleLowered:
        return {{BDR_SUNKENOUTER, all, 0, 0}};
    case KitBorderStyle::lsDoubleRaised:
        return {{BDR_RAISEDINNER, all, 0, 0}, {BDR_RAISEDINNER, all, 0, 0}};
    case KitBorderStyle::lsDoubleLowered:
        return {{BDR_SUNKENOUTER, all, 0, 0}, {BDR_SUNKENOUTER, all, 0, 0}};
    default:
        return {};
    }
}

Rect Standard(Canvas& canvas, Rect r, KitBorderStyle style) {
    for (const EdgeStep& step : StandardSteps(style)) {
        canvas.DrawEdge(r, step.edge, step.flags);
        r.Left += step.leftTopIn;
        r.Top += step.leftTopIn;
        r.Right -= step.rightBottomIn;
        r.Bottom -= step.rightBottomIn;
    }
    return r;
}

unsigned EdgeOf(KitEdgeStyle style) {
    constexpr unsigned kinds[] = {BDR_RAISEDINNER, BDR_RAISEDOUTER, BDR_SUNKENINNER, BDR_SUNKENOUTER,
                                  EDGE_BUMP,       EDGE_ETCHED,     EDGE_RAISED,     EDGE_SUNKEN};
    return kinds[static_cast<int>(style)];
}

unsigned SidesOf(uint8_t sides) {
    return ((sides & KitBevel::fsBottom) ? unsigned(BF_BOTTOM) : 0u) |
           ((sides & KitBevel::fsLeft) ? unsigned(BF_LEFT) : 0u) |
           ((sides & KitBevel::fsRight) ? unsigned(BF_RIGHT) : 0u) |
           ((sides & KitBevel::fsTop) ? unsigned(BF_TOP) : 0u);
}

// Layers of a 3D caption: the step the text origin moves by, then the colour it is drawn in there.
struct Layer {
    int step;
    int32_t color;
};

std::vector<Layer> LayersOf(const Kit3DCaption& caption, KitThreeDStyle style, int32_t color) {
    const int l = caption.LightDepth(), s = caption.ShadowDepth();
    const int32_t light = caption.LightColor(), shadow = caption.ShadowColor();
    switch (style) {
    case KitThreeDStyle::tdSunken:
        return {{l, light}, {-l, color}};
    case KitThreeDStyle::tdRaised:
        return {{0, light}, {l, color}};
    case KitThreeDStyle::tdSunkenShadow:
    case KitThreeDStyle::tdPColorSunken:
        return {{0, shadow}, {l + s, light}, {-l, color}};
    case KitThreeDStyle::tdRaisedShadow:
    case KitThreeDStyle::tdPColorRaised:
        return {{l + s, shadow}, {-(l + s), light}, {l, color}};
    case KitThreeDStyle::tdShadow:
        return {{s, shadow}, {-s, color}};
    default:
        return {{0, color}};
    }
}

int DepthOf(const Kit3DCaption& caption, KitThreeDStyle style) {
    switch (style) {
    case KitThreeDStyle::tdSunken:
    case KitThreeDStyle::tdRaised:
        return caption.LightDepth();
    case KitThreeDStyle::tdSunkenShadow:
    case KitThreeDStyle::tdRaisedShadow:
    case KitThreeDStyle::tdPColorSunken:
    case KitThreeDStyle::tdPColorRaised:
        return caption.LightDepth() + caption.ShadowDepth();
    case KitThreeDStyle::tdShadow:
        return caption.ShadowDepth();
    default:
        return 0;
    }
}

QFont Traced(QFont font, const Kit3DCaption* caption) {
    if (caption && caption->Tracing() != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, caption->Tracing());
    return font;
}

} // namespace

KitBevelStyle KitBevel::OtherFor(KitBevelStyle chosen, KitBevelStyle old, KitBevelStyle other) {
    if (chosen == KitBevelStyle::bvShadow) return KitBevelStyle::bvShadow;
    if (old == KitBevelStyle::bvShadow) return KitBevelStyle::bvNone;
    return other;
}

void KitBevel::SetStyles(KitBevelStyle inner, KitBevelStyle outer) {
    if (inner == styleInner_ && outer == styleOuter_) return;
    styleInner_ = inner;
    styleOuter_ = outer;
    Changed();
}

void KitBevel::UpdateExtent() {
    switch (mode_) {
    case KitBevelMode::bmCustom:
        if (styleInner_ == KitBevelStyle::bvShadow)
            extent_ = widthInner_ + borderInnerWidth_;
        else
            extent_ = borderWidth_ + borderInnerWidth_ + RingWidth(styleOuter_, widthOuter_) +
                      RingWidth(styleInner_, widthInner_);
        break;
    case KitBevelMode::bmStandard:
        extent_ = StandardWidth(standardStyle_) + borderInnerWidth_;
        break;
    case KitBevelMode::bmEdge:
        extent_ = (borderSides_ ? 2 : 0) + borderInnerWidth_;
        break;
    case KitBevelMode::bmWindows:
        extent_ = noWindowBorder_ ? 0 : borderInnerWidth_ + 2;
        break;
    }
    outerExtent_ = mode_ == KitBevelMode::bmCustom && styleOuter_ == KitBevelStyle::bvShadow
                       ? widthInner_ + widthOuter_ + borderInnerWidth_
                       : extent_;
}

void KitBevel::Changed() {
    UpdateExtent();
    KitObject::Changed();
}

void KitBevel::Assign(const KitObject& source) {
    const auto* bevel = dynamic_cast<const KitBevel*>(&source);
    if (!bevel) return KitObject::Assign(source);
    auto notify = std::move(OnChange);
    *this = *bevel;
    OnChange = std::move(notify);
    Changed();
}

int Kit3DCaption::Depth() const {
    return DepthOf(*this, style_);
}

void Kit3DCaption::CopyFrom(const Kit3DCaption& source) {
    disabledStyle_ = source.disabledStyle_;
    lightDepth_ = source.lightDepth_;
    shadowDepth_ = source.shadowDepth_;
    lightColor_ = source.lightColor_;
    shadowColor_ = source.shadowColor_;
    style_ = source.style_;
    tracing_ = source.tracing_;
}

void Kit3DCaption::Assign(const KitObject& source) {
    const auto* caption = dynamic_cast<const Kit3DCaption*>(&source);
    if (!caption) return KitObject::Assign(source);
    CopyFrom(*caption);
    Changed();
}

void KitFxCaption::Assign(const KitObject& source) {
    const auto* caption = dynamic_cast<const KitFxCaption*>(&source);
    if (!caption) return Kit3DCaption::Assign(source);
    CopyFrom(*caption);
    angle_ = caption->angle_;
    posX_ = caption->posX_;
    posY_ = caption->posY_;
    Changed();
}

Rect DrawBevel(const KitBevel& bevel, Canvas& canvas, Rect rect, bool transparent) {
    if (bevel.Extent() == 0 && bevel.OuterExtent() == 0) return rect;
    switch (bevel.Mode()) {
    case KitBevelMode::bmCustom:
        if (bevel.StyleOuter() == KitBevelStyle::bvShadow) {
            rect = DropShadow(canvas, rect, bevel, transparent);
        } else {
            rect = Ring(canvas, rect, bevel.StyleOuter(), bevel.WidthOuter(), bevel);
            rect = BorderRings(canvas, rect, bevel.BorderWidth(), bevel.BorderColor(), transparent);
            rect = Ring(canvas, rect, bevel.StyleInner(), bevel.WidthInner(), bevel);
        }
        break;
    case KitBevelMode::bmStandard:
        rect = Standard(canvas, rect, bevel.StandardStyle());
        break;
    case KitBevelMode::bmWindows:
        rect = Standard(canvas, rect, KitBorderStyle::lsLoweredExt);
        break;
    case KitBevelMode::bmEdge:
        if (bevel.BorderSides() != 0) {
            Rect edge = rect;
            canvas.DrawEdge(edge, EdgeOf(bevel.EdgeStyle()), SidesOf(bevel.BorderSides()));
            rect = Shrunk(rect, 2);
        }
        break;
    }
    return BorderRings(canvas, rect, bevel.BorderInnerWidth(), bevel.BorderColor(), transparent);
}

void DrawText3D(Canvas& canvas, const QString& text, const Kit3DCaption* caption, const Rect* clip,
                unsigned flags, unsigned format, Rect rect) {
    if (text.isEmpty() || rect.IsEmpty()) return;
    if (!caption) {
        canvas.DrawText(rect, text, format);
        return;
    }
    const auto* fx = dynamic_cast<const KitFxCaption*>(caption);
    const bool rotated = fx && fx->Angle() != 0;
    if (fx) rect = rect.Offset(fx->PosX(), fx->PosY());
    const CanvasFont font = canvas.Font;
    if (rotated) canvas.Font.Escapement = fx->Angle() * 10;

    KitThreeDStyle style = caption->Style();
    int32_t color = font.Color;
    const KitDisabledStyle disabled = caption->DisabledStyle();
    if (!(flags & ktEnabled) && disabled != KitDisabledStyle::dsNone) {
        color = clGrayText;
        if (disabled == KitDisabledStyle::ds3d ||
            (disabled == KitDisabledStyle::dsAuto && (flags & ktSunkenWhenDisabled)))
            style = KitThreeDStyle::tdSunken;
    } else if (style == KitThreeDStyle::tdPColorSunken || style == KitThreeDStyle::tdPColorRaised) {
        color = canvas.Brush.Color;
    }

    const int tracing = canvas.CharacterExtra;
    canvas.CharacterExtra = caption->Tracing();
    canvas.Brush.Style = BrushStyle::bsClear;
    const std::optional<Rect> oldClip = canvas.ClipRect;
    if (flags & ktClip) canvas.ClipRect = clip ? *clip : rect;
    if (!rotated) rect.Right -= DepthOf(*caption, style);
    QPoint origin(rect.Left, rect.Top);
    for (const Layer& layer : LayersOf(*caption, style, color)) {
        canvas.Font.Color = layer.color;
        if (rotated) {
            origin += QPoint(layer.step, layer.step);
            canvas.TextOut(origin.x(), origin.y(), text);
        } else {
            rect = rect.Offset(layer.step, layer.step);
            canvas.DrawText(rect, text, format);
        }
    }
    canvas.ClipRect = oldClip;
    canvas.CharacterExtra = tracing;
    canvas.Font = font;
}

int TextWidth3D(const QString& text, const Kit3DCaption* caption, const QFont& font) {
    return QFontMetrics(Traced(font, caption)).horizontalAdvance(text) + (caption ? caption->Depth() : 0);
}

int TextHeight3D(const Kit3DCaption* caption, const QFont& font) {
    return QFontMetrics(Traced(font, caption)).height() + (caption ? caption->Depth() : 0);
}

void CopyScreenBackground(QImage& bitmap, const Rect& rect) {
    bitmap = QImage(std::max(rect.Width(), 0), std::max(rect.Height(), 0), QImage::Format_RGB32);
    bitmap.fill(Qt::black);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || bitmap.isNull()) return;
    const QPixmap grabbed = screen->grabWindow(0, rect.Left, rect.Top, rect.Width(), rect.Height());
    if (!grabbed.isNull()) bitmap = grabbed.toImage().convertToFormat(QImage::Format_RGB32);
}
