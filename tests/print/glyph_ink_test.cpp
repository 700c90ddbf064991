#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "print/report/glyph_ink.h"
#include "print/report/report_font.h"

TEST(GlyphInk, BoundsHoldWhatThePainterDrawsToWithinItsBlendedEdges) {
    QImage sheet(2000, 600, QImage::Format_RGB32);
    sheet.setDotsPerMeterX(47244); // 1200 pixels per inch
    sheet.setDotsPerMeterY(47244);
    const QString text = QStringLiteral("Typography q1 |_(j)");
    GlyphInk ink;
    for (const RpFont& report : {RpFont(), RpFont{"Arial", 12, true}}) {
        const QFont font = ToQFont(report);
        ink.SetFont(font, sheet);
        const std::optional<QRectF> bounds = ink.Bounds(text);
        ASSERT_TRUE(bounds.has_value());
        sheet.fill(Qt::white);
        {
            QPainter painter(&sheet);
            painter.setFont(font);
            painter.drawText(QPoint(100, 400), text);
        }
        QRect drawn;
        for (int y = 0; y < sheet.height(); ++y)
            for (int x = 0; x < sheet.width(); ++x)
                if (reinterpret_cast<const QRgb*>(sheet.constScanLine(y))[x] != qRgb(255, 255, 255))
                    drawn |= QRect(x - 100, y - 400, 1, 1);
        EXPECT_NEAR(bounds->top(), drawn.top(), 1);
        EXPECT_NEAR(bounds->bottom(), drawn.bottom() + 1, 1);
        EXPECT_NEAR(bounds->left(), drawn.left(), 1);
        EXPECT_NEAR(bounds->right(), drawn.right() + 1, 1);
    }
}

TEST(GlyphInk, NothingIsKnownWhereGlyphsAreNotTheCharactersOwnOrTheFontMovesThem) {
    const QImage device(1, 1, QImage::Format_RGB32);
    const QFont plain = ToQFont(RpFont());
    QFont kerned = plain;
    kerned.setKerning(true);
    GlyphInk ink;
    ink.SetFont(plain, device);
    EXPECT_TRUE(ink.Bounds(u"AVA").has_value());
    EXPECT_TRUE(ink.Bounds(u"   ")->isEmpty());
    EXPECT_FALSE(ink.Bounds(u"e\u0301").has_value()) << "a combining mark";
    EXPECT_FALSE(ink.Bounds(u"a\tb").has_value());
    EXPECT_FALSE(ink.Bounds(u"\u4e00").has_value()) << "a character of another font";
    ink.SetFont(kerned, device);
    EXPECT_FALSE(ink.Bounds(u"AVA").has_value());
}
