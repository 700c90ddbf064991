#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "ui/list/mini_html.h"

namespace {

HtmlContext Context(bool wordWrap = false) {
    HtmlContext context;
    context.Font = QFont(QStringLiteral("DejaVu Sans"), 10);
    // Exact colours: no blended edges.
    context.Font.setStyleStrategy(QFont::NoAntialias);
    context.WordWrap = wordWrap;
    return context;
}

QImage Draw(const QString& markup, QSize size = QSize(200, 40)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    RenderHtml(&painter, markup, image.rect(), Context());
    return image;
}

int PixelsOf(const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour;
    return count;
}

int Width(const QString& markup) {
    return RenderHtml(nullptr, markup, QRect(0, 0, 10000, 100), Context()).Width;
}

} // namespace

TEST(MiniHtml, MeasuresRunsAdditively) {
    const QFont plain = Context().Font;
    QFont bold = plain;
    bold.setBold(true);
    const qreal expected =
        QFontMetricsF(bold).horizontalAdvance("bold") + QFontMetricsF(plain).horizontalAdvance(" plain");
    EXPECT_EQ(Width("<B>bold</B> plain"), qCeil(expected));
    EXPECT_GT(Width("<B>bold</B> plain"), Width("bold plain"));
    const HtmlResult result = RenderHtml(nullptr, "a<BR>b<BR><BR>c", QRect(0, 0, 100, 100), Context());
    EXPECT_EQ(result.PlainText, "a\rb\r\rc");
    EXPECT_EQ(result.Height, qCeil(4 * QFontMetricsF(plain).height()));
}

TEST(MiniHtml, ColoursByNameAndHex) {
    EXPECT_GT(PixelsOf(Draw("<FONT COLOR=\"#FF0000\">XXXXXX</FONT>"), QColor(255, 0, 0)), 20);
    // Names are matched without regard to case; a short or unknown colour is black.
    EXPECT_GT(PixelsOf(Draw("<FONT COLOR=\"ClLime\">XXXXXX</FONT>"), QColor(0, 255, 0)), 20);
    EXPECT_GT(PixelsOf(Draw("<FONT COLOR=\"#F0\">XXXXXX</FONT>"), QColor(0, 0, 0)), 20);
    EXPECT_GT(PixelsOf(Draw("<FONT COLOR=\"clNoSuch\">XXXXXX</FONT>"), QColor(0, 0, 0)), 20);
    // Decorations are drawn: underline and strike-out add ink.
    EXPECT_GT(PixelsOf(Draw("<U>XXXXXX</U>"), Qt::black), PixelsOf(Draw("XXXXXX"), Qt::black));
    EXPECT_GT(PixelsOf(Draw("<S>XXXXXX</S>"), Qt::black), PixelsOf(Draw("XXXXXX"), Qt::black));
    EXPECT_GT(PixelsOf(Draw("<FONT BGCOLOR=\"#0000FF\">XX</FONT>"), QColor(0, 0, 255)), 50);
    // The anchor colour, unless a font colour is in force.
    EXPECT_GT(PixelsOf(Draw("<A HREF=\"x\">XXXXXX</A>"), QColor(0, 0, 255)), 20);
    EXPECT_EQ(PixelsOf(Draw("<FONT COLOR=\"clred\"><A HREF=\"x\">XXXXXX</A></FONT>"), QColor(0, 0, 255)), 0);
}

TEST(MiniHtml, EntitiesAndUnknownTags) {
    // Escaped tags are text and switch nothing on.
    EXPECT_EQ(HtmlPlainText("&lt;B&gt;x&lt;/B&gt;"), "<B>x</B>");
    EXPECT_EQ(Width("&lt;B&gt;x&lt;/B&gt;"), Width("&lt;B&gt;x&lt;/B&gt;<B></B>"));
    EXPECT_EQ(Width("&lt;B&gt;x"), qCeil(QFontMetricsF(Context().Font).horizontalAdvance("<B>x")));
    // Outer entities are replaced until none is left.
    EXPECT_EQ(HtmlPlainText("&amp;amp;amp;|&amp;lt;|&quot;&euro;&copy;"),
              QString("&|<|\"") + QChar(0x20AC) + QChar(0xA9));
    EXPECT_EQ(HtmlPlainText("<BLINK>a</BLINK><Q X=\"1\">b<#c>d"), "abcd");
    EXPECT_EQ(HtmlPlainText("a<Z>hidden</Z>b"), "ab");
    // A tag open at the end is dropped; nothing past the end is read.
    EXPECT_EQ(HtmlPlainText("ab<B"), "ab");
    EXPECT_EQ(HtmlPlainText("ab<FONT COLOR=\"#12"), "ab");
    EXPECT_EQ(HtmlPlainText("x<#y"), "x");
}

TEST(MiniHtml, WrapsOnlyAtSpacesAndAlwaysProgresses) {
    const qreal line = QFontMetricsF(Context().Font).height();
    const QRect narrow(0, 0, 60, 1000);
    EXPECT_EQ(RenderHtml(nullptr, "aaaa bbbb cccc</B>", narrow, Context(true)).Height, qCeil(3 * line));
    EXPECT_EQ(RenderHtml(nullptr, "aaaa bbbb cccc</B>", narrow, Context(false)).Height, qCeil(line));
    // A word wider than the rectangle takes a line of its own instead of stopping the layout.
    const HtmlResult wide = RenderHtml(nullptr, "x " + QString(200, 'w') + " y", narrow, Context(true));
    EXPECT_EQ(wide.Height, qCeil(3 * line));
    EXPECT_GT(wide.Width, 60);
    EXPECT_EQ(RenderHtml(nullptr, QString(200, 'w'), QRect(0, 0, 1, 10), Context(true)).Height, qCeil(line));
}

TEST(MiniHtml, AnchorsAreHitTestedAndCounted) {
    const QString markup = "<A HREF=\"http://a.example/\">link</A> text <A HREF=\"two\">second</A>";
    const QRect rect(10, 5, 400, 40);
    const int linkWidth = qCeil(QFontMetricsF(Context().Font).horizontalAdvance("link"));
    const HtmlResult over = RenderHtml(nullptr, markup, rect, Context(), QPoint(12, 10));
    EXPECT_TRUE(over.OverAnchor);
    EXPECT_EQ(over.Anchor, "http://a.example/");
    EXPECT_EQ(over.AnchorCount, 2);
    EXPECT_FALSE(RenderHtml(nullptr, markup, rect, Context(), QPoint(10 + linkWidth + 8, 10)).OverAnchor);
    EXPECT_FALSE(RenderHtml(nullptr, markup, rect, Context(), QPoint(2, 10)).OverAnchor);
    HtmlContext focused = Context();
    focused.FocusAnchor = 1;
    const QRect focus = RenderHtml(nullptr, markup, rect, focused).FocusRect;
    EXPECT_GT(focus.left(), 10 + linkWidth);
}

TEST(MiniHtml, SizesFromMarkupAreClamped) {
    const HtmlResult huge =
        RenderHtml(nullptr, "<FONT SIZE=\"2000000000\">x</FONT>", QRect(0, 0, 100, 100), Context());
    EXPECT_LT(huge.Height, 400);
    EXPECT_GT(huge.Height, 100);
    // Indents stay inside the rectangle.
    EXPECT_LE(RenderHtml(nullptr, "<IND x=\"99999999\">a", QRect(0, 0, 100, 20), Context()).Width, 120);
    // Pictures that cannot be found draw nothing and take no room.
    EXPECT_EQ(Width("<IMG SRC=\"IDX:5\" WIDTH=\"99999\">"), 0);
    EXPECT_EQ(Width("<IMG SRC=\"nosuch\">"), 0);
}

TEST(MiniHtml, ImageListPicturesAreStretchedAndClamped) {
    QList<QPixmap> images{QPixmap(16, 16)};
    images[0].fill(Qt::green);
    HtmlContext context = Context();
    context.Images = &images;
    EXPECT_EQ(RenderHtml(nullptr, "<IMG SRC=\"idx:0\">", QRect(0, 0, 500, 50), context).Width, 16);
    EXPECT_EQ(RenderHtml(nullptr, "<IMG SRC=\"IDX:0\" WIDTH=\"40\">", QRect(0, 0, 500, 50), context).Width,
              40);
    EXPECT_EQ(RenderHtml(nullptr, "<IMG SRC=\"IDX:0\" WIDTH=\"99999\">", QRect(0, 0, 500, 50), context).Width,
              2048);
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    RenderHtml(&painter, "a<IMG SRC=\"IDX:0\">", image.rect(), context);
    painter.end();
    EXPECT_EQ(PixelsOf(image, QColor(Qt::green)), 16 * 16);
}

TEST(MiniHtml, ControlCharactersTakeNoRoomAndDrawNothing) {
    const QString controls = QString(QChar(0)) + QChar(1) + QChar(0x1B) + QChar(0x7F) + QChar(0x85);
    EXPECT_EQ(Width("a" + controls + "b</B>"), Width("ab</B>"));
    EXPECT_EQ(Width(controls + "</B>"), 0);
    EXPECT_EQ(PixelsOf(Draw(controls + "</B>"), QColor(Qt::white)), 200 * 40);
    // A combining mark after a NUL: drawn and measured alike.
    const QString mark = QString(QChar(0)) + QChar(0x36E);
    QImage image(120, 40, QImage::Format_RGB32);
    QPainter painter(&image);
    const HtmlResult drawn = RenderHtml(&painter, mark, QRect(2, 2, 100, 30), Context());
    const HtmlResult measured = RenderHtml(nullptr, mark, QRect(2, 2, 100, 30), Context());
    EXPECT_EQ(drawn.Width, measured.Width);
    EXPECT_EQ(drawn.Height, measured.Height);
}

// Runs shaped in fallback fonts stay drawable while a shared cache fills, clears and refills.
TEST(MiniHtml, ManyRendersWithFallbackFontsThroughOneCache) {
    const QString scripts[] = {QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d"), // Hebrew
                               QString::fromUtf8("\xe1\x82\xa0\xe1\x82\xa1"),         // Georgian
                               QString::fromUtf8("a\xcd\xae\xcc\x80"),                // combining marks
                               QString::fromUtf8("\xe2\x88\x91\xe2\x88\x9a")};        // maths
    const QString faces[] = {"Liberation Sans", "Liberation Mono", "DejaVu Serif", "NoSuchFace"};
    HtmlTextCache cache;
    HtmlContext context = Context(true);
    context.TextCache = &cache;
    QImage image(300, 60, QImage::Format_RGB32);
    QPainter painter(&image);
    int inked = 0;
    for (int i = 0; i < 1500; ++i) {
        const QString markup = QStringLiteral("<FONT FACE=\"%1\" SIZE=\"%2\">%3 %4</FONT> <B>%5</B>")
                                   .arg(faces[i % 4])
                                   .arg(6 + i % 30)
                                   .arg(scripts[i % 4])
                                   .arg(i)
                                   .arg(scripts[(i / 4) % 4]);
        image.fill(Qt::white);
        const HtmlResult drawn = RenderHtml(&painter, markup, image.rect(), context);
        const HtmlResult measured = RenderHtml(nullptr, markup, image.rect(), context);
        ASSERT_EQ(drawn.Width, measured.Width) << i;
        ASSERT_EQ(drawn.Height, measured.Height) << i;
        inked += PixelsOf(image, QColor(Qt::white)) < 300 * 60;
    }
    EXPECT_EQ(inked, 1500);
}
