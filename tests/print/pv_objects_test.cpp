#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "print/preview/pv_objects.h"

namespace {

constexpr double kPpi = 100;

QImage Page() {
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

template <class Shape> std::unique_ptr<Shape> Solid(PvResourceTable& table, PvRect rect, int32_t colour) {
    auto shape = std::make_unique<Shape>(table);
    shape->Rect = rect;
    shape->SetBrush({colour, bsSolid});
    shape->SetPen({colour, 1, psSolid, pmCopy});
    return shape;
}

bool IsColour(const QImage& image, int x, int y, QRgb colour) {
    return (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
}

} // namespace

TEST(PvObjects, EllipsesAreFourArcsWithControlPointsOnTheEdges) {
    const QPainterPath path = EllipsePath(QRect(0, 0, 445, 89));
    // The first arc runs from the top midpoint to the right midpoint around the top-right corner.
    QPointF controls[2];
    int found = 0;
    for (int i = 0; i < path.elementCount() && found < 2; ++i)
        if (path.elementAt(i).type == QPainterPath::CurveToElement ||
            path.elementAt(i).type == QPainterPath::CurveToDataElement)
            controls[found++] = path.elementAt(i);
    EXPECT_EQ(controls[0], QPointF(445 - 100, 0)) << "width / 4.45 from the corner, on the top edge";
    EXPECT_EQ(controls[1], QPointF(445, 20)) << "height / 4.45 rounded, on the right edge";
    EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 445, 89));
    // Rounded corners are at most half the sides.
    EXPECT_EQ(RoundRectPath(QRect(0, 0, 100, 40), 500, 500).boundingRect(), QRectF(0, 0, 100, 40));
    EXPECT_EQ(RoundRectPath(QRect(0, 0, 100, 40), 0, 10), RectanglePath(QRect(0, 0, 100, 40)));
}

TEST(PvObjects, ClipShapesHoldUntilRemovedAndRemovingReturnsToTheSheetClip) {
    PvResourceTable table;
    QImage image = Page();
    QPainter painter(&image);
    // The sheet clip keeps drawing inside (0, 0) - (3, 3) inches.
    PvDrawContext context(painter, kPpi, kPpi, false, RectanglePath(QRect(0, 0, 300, 300)));
    context.RemoveClip();
    PvClipObject clip(table, pvClipEllipseId);
    clip.Rect = {0, 0, 2, 2};
    clip.Draw(context);
    Solid<PvRectangleShape>(table, {0, 0, 4, 4}, 0x0000FF)->Draw(context);
    PvRemoveClipObject(table).Draw(context);
    Solid<PvRectangleShape>(table, {2.5L, 0, 4, 4}, 0xFF0000)->Draw(context);
    painter.end();

    EXPECT_TRUE(IsColour(image, 100, 100, qRgb(255, 0, 0))) << "inside the ellipse";
    EXPECT_TRUE(IsColour(image, 5, 5, qRgb(255, 255, 255))) << "the corner lies outside the ellipse";
    EXPECT_TRUE(IsColour(image, 150, 250, qRgb(255, 255, 255))) << "the red rectangle stopped at the ellipse";
    EXPECT_TRUE(IsColour(image, 280, 150, qRgb(0, 0, 255))) << "after remove-clip the blue one draws";
    EXPECT_TRUE(IsColour(image, 350, 150, qRgb(255, 255, 255))) << "but still inside the sheet clip";
}

TEST(PvObjects, GraphicsDrawTheirPictureOnlyWhenTheyHaveOneAndPaperOnlyWhenPrinted) {
    PvResourceTable table;
    PvGraphicObject object(table);
    PvValueList values;
    values.WriteRect("XY", {0, 0, 1, 1});
    object.Load(values);
    QImage image = Page();
    {
        QPainter painter(&image);
        PvDrawContext context(painter, kPpi, kPpi, true);
        object.Draw(context);
    }
    EXPECT_EQ(image, Page()) << "no \"G\": nothing drawn";

    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(qRgb(0, 128, 0));
    object.SetGraphic(PvGraphic::Make(picture));
    object.Print = false;
    for (bool printer : {true, false}) {
        QPainter painter(&image);
        PvDrawContext context(painter, kPpi, kPpi, printer);
        object.Draw(context);
        painter.end();
        EXPECT_EQ(IsColour(image, 50, 50, qRgb(0, 128, 0)), !printer) << "screen-only objects skip paper";
    }
    PvValueList saved;
    object.Save(saved);
    EXPECT_EQ(saved.ReadInteger("G", -1), 0);
    EXPECT_EQ(saved.ReadInteger("PF", -1), pf8bit);
    EXPECT_EQ(saved.ReadInteger("ID", 0), pvGraphicId);
    auto again = CreatePvObject(pvGraphicId, table);
    again->Load(saved);
    EXPECT_EQ(static_cast<PvGraphicObject&>(*again).GraphicRef()->Image(), PvGraphic::Make(picture).Image());
    EXPECT_EQ(CreatePvObject(8, table), nullptr) << "no kind has id 8";
}

TEST(PvObjects, RasterOperationsCombineWithThePage) {
    QImage image = Page();
    QImage picture(100, 100, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    {
        QPainter painter(&image);
        painter.fillRect(0, 0, 400, 400, qRgb(0, 255, 255));
        PrintBitmap(painter, QRect(0, 0, 100, 100), picture, 0x008800C6);   // SRCAND
        PrintBitmap(painter, QRect(100, 0, 100, 100), picture, 0x00EE0086); // SRCPAINT
        PrintBitmap(painter, QRect(200, 0, 100, 100), picture, 0x12345678); // unknown: a plain copy
    }
    EXPECT_TRUE(IsColour(image, 50, 50, qRgb(0, 0, 0)));
    EXPECT_TRUE(IsColour(image, 150, 50, qRgb(255, 255, 255)));
    EXPECT_TRUE(IsColour(image, 250, 50, qRgb(255, 0, 0)));
}
