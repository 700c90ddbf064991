#include <QFont>
#include <gtest/gtest.h>

#include "platform/gfx/canvas.h"
#include "ui/kit/kit_bevel.h"

namespace {

QImage White(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QFont TestFont() {
    QFont font("Liberation Sans");
    font.setPixelSize(17);
    return font;
}

} // namespace

TEST(KitBevel, ExtentsFollowModeStylesAndWidths) {
    KitBevel bevel;
    EXPECT_EQ(bevel.Extent(), 0);
    QImage image = White(10, 10);
    Canvas canvas(image);
    EXPECT_EQ(DrawBevel(bevel, canvas, {1, 1, 9, 9}, false), (Rect{1, 1, 9, 9}));
    EXPECT_EQ(image, White(10, 10)) << "a default bevel draws nothing";

    int changes = 0;
    bevel.OnChange = [&](KitObject*) { ++changes; };
    bevel.SetStyleOuter(KitBevelStyle::bvFrameLowered);
    EXPECT_EQ(bevel.Extent(), 2);
    bevel.SetStyleInner(KitBevelStyle::bvRaised);
    bevel.SetWidthInner(3);
    bevel.SetBorderWidth(2);
    EXPECT_EQ(bevel.Extent(), 2 + 3 + 2);
    EXPECT_EQ(changes, 4);
    bevel.SetWidthInner(3);
    EXPECT_EQ(changes, 4) << "the same value notifies nothing";

    bevel.SetStyleInner(KitBevelStyle::bvShadow);
    EXPECT_EQ(bevel.StyleOuter(), KitBevelStyle::bvShadow);
    bevel.SetWidthOuter(4);
    EXPECT_EQ(bevel.Extent(), 3);
    EXPECT_EQ(bevel.OuterExtent(), 3 + 4);
    bevel.SetStyleOuter(KitBevelStyle::bvLowered);
    EXPECT_EQ(bevel.StyleInner(), KitBevelStyle::bvNone);

    bevel.SetMode(KitBevelMode::bmStandard);
    bevel.SetBorderInnerWidth(1);
    EXPECT_EQ(bevel.Extent(), 2) << "single lowered is one pixel";
    bevel.SetStandardStyle(KitBorderStyle::lsDoubleLowered);
    EXPECT_EQ(bevel.Extent(), 3);
    bevel.SetMode(KitBevelMode::bmEdge);
    bevel.SetBorderSides(0);
    EXPECT_EQ(bevel.Extent(), 1);
    bevel.SetMode(KitBevelMode::bmWindows);
    EXPECT_EQ(bevel.Extent(), 3);
    bevel.SetNoWindowBorder(true);
    EXPECT_EQ(bevel.Extent(), 0);

    KitBevel copy;
    int copied = 0;
    copy.OnChange = [&](KitObject*) { ++copied; };
    copy.Assign(bevel);
    EXPECT_EQ(copy.Mode(), KitBevelMode::bmWindows);
    EXPECT_EQ(copy.Extent(), 0);
    EXPECT_EQ(copied, 1);
    EXPECT_EQ(changes, 14) << "the source keeps its own listener";
}

TEST(KitBevel, RingsDrawTheirColoursAndShrinkTheRectangle) {
    KitBevel bevel;
    bevel.SetMode(KitBevelMode::bmStandard); // single lowered: a sunken outer edge
    QImage image = White(6, 6);
    Canvas canvas(image);
    EXPECT_EQ(DrawBevel(bevel, canvas, {0, 0, 6, 6}, false), (Rect{1, 1, 5, 5}));
    EXPECT_EQ(image.pixel(0, 3), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(image.pixel(3, 5), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(5, 3), qRgb(255, 255, 255));

    KitBevel custom;
    custom.SetStyleOuter(KitBevelStyle::bvLowered);
    custom.SetWidthOuter(2);
    custom.SetShadowColor(0x0000FF);
    custom.SetLightColor(0x00FF00);
    image = White(8, 8);
    EXPECT_EQ(DrawBevel(custom, canvas, {0, 0, 8, 8}, false), (Rect{2, 2, 6, 6}));
    EXPECT_EQ(image.pixel(1, 4), qRgb(255, 0, 0)) << "top-left band in the shadow colour";
    EXPECT_EQ(image.pixel(4, 6), qRgb(0, 255, 0)) << "bottom-right band in the light colour";
    EXPECT_EQ(image.pixel(3, 3), qRgb(255, 255, 255));

    KitBevel framed;
    framed.SetBorderInnerWidth(1);
    framed.SetBorderColor(0x0000FF);
    image = White(4, 4);
    EXPECT_EQ(DrawBevel(framed, canvas, {0, 0, 4, 4}, true), (Rect{1, 1, 3, 3}));
    EXPECT_EQ(image, White(4, 4)) << "transparent border rings only take room";
}

TEST(Kit3DCaption, RaisedTextDrawsTheLightCopyAtItsPlaceAndTheTextOneDown) {
    KitFxCaption fx;
    fx.SetAngle(360);
    EXPECT_EQ(fx.Angle(), 0);

    // Drawn once flat; then raised with a light copy that cannot be seen (white on white), and raised with
    // text that cannot be seen, leaving only the light copy.
    auto draw = [](const Kit3DCaption& caption, int32_t textColor) {
        QImage image = White(60, 30);
        Canvas canvas(image);
        canvas.Font.Face = TestFont();
        canvas.Font.Color = textColor;
        DrawText3D(canvas, "HI", &caption, nullptr, ktEnabled, DT_LEFT | DT_SINGLELINE, {2, 2, 60, 30});
        EXPECT_EQ(canvas.Font.Color, textColor) << "the canvas font is restored";
        return image;
    };
    Kit3DCaption plain;
    const QImage flat = draw(plain, clBlack);
    Kit3DCaption caption;
    caption.SetStyle(KitThreeDStyle::tdRaised);
    caption.SetLightColor(clWhite);
    const QImage moved = draw(caption, clBlack);
    caption.SetLightColor(clBlack);
    const QImage light = draw(caption, clWhite);
    int inked = 0, lit = 0;
    for (int y = 0; y + 1 < 30; ++y)
        for (int x = 0; x + 1 < 60; ++x) {
            EXPECT_EQ(moved.pixel(x + 1, y + 1), flat.pixel(x, y)) << x << "," << y;
            if (qGray(flat.pixel(x, y)) < 128) ++inked;
            if (qGray(light.pixel(x, y)) < 128) {
                ++lit;
                EXPECT_LT(qGray(flat.pixel(x, y)), 128) << "the light copy sits where flat text sits";
            }
        }
    EXPECT_GT(inked, 20);
    EXPECT_GT(lit, 0);

    // Disabled in 3D: grey text over a light copy.
    QImage disabled = White(60, 30);
    Canvas disabledCanvas(disabled);
    disabledCanvas.Font.Face = TestFont();
    Kit3DCaption grey;
    grey.SetDisabledStyle(KitDisabledStyle::ds3d);
    DrawText3D(disabledCanvas, "HI", &grey, nullptr, 0, DT_LEFT | DT_SINGLELINE, {2, 2, 60, 30});
    bool greyInk = false;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            greyInk = greyInk || disabled.pixel(x, y) == qRgb(0x80, 0x80, 0x80);
    EXPECT_TRUE(greyInk);
}

TEST(Kit3DCaption, MeasuresAddTheDepthOfTheStyle) {
    const QFont font = TestFont();
    Kit3DCaption caption;
    const int width = TextWidth3D("Tessarin", &caption, font), height = TextHeight3D(&caption, font);
    caption.SetStyle(KitThreeDStyle::tdRaisedShadow);
    caption.SetLightDepth(2);
    caption.SetShadowDepth(3);
    EXPECT_EQ(TextWidth3D("Tessarin", &caption, font), width + 5);
    EXPECT_EQ(TextHeight3D(&caption, font), height + 5);
    caption.SetStyle(KitThreeDStyle::tdShadow);
    EXPECT_EQ(TextHeight3D(&caption, font), height + 3);
    caption.SetTracing(2);
    EXPECT_EQ(TextWidth3D("Tessarin", &caption, font), width + 3 + 2 * 8);
}
