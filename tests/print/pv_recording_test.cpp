#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "platform/stream.h"
#include "print/preview/pv_page_list.h"
#include "print/preview/pv_rich_text.h"
#include "support/test_support.h"

namespace {

constexpr double kPpi = 100;

// Page n drawn at 100 pixels per inch on a white 4 x 4 inch picture.
QImage Draw(const PvPageList& pages, int n = 1) {
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PvDrawContext context(painter, kPpi, kPpi, false);
    pages.DrawPage(n, context);
    return image;
}

// How many pixels inside rect (outside it when outside is set) are not white.
int Inked(const QImage& image, const QRect& rect, bool outside = false) {
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (rect.contains(x, y) != outside && (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++inked;
    return inked;
}

} // namespace

TEST(PvRecording, PolygonsFillLinesOnlyStrokeAndBothMoveWithTheirReference) {
    PvPageList pages{TestMessages::Prompts()};
    PvCanvas& canvas = pages.Canvas;
    canvas.Brush = {0x0000FF, bsSolid};
    canvas.Pen = {0x0000FF, 1, psSolid, pmCopy};
    // A triangle in millimetres: its corner at the right angle is filled, the far corner of its box is not.
    canvas.Polygon({{0, 0}, {25.4L, 0}, {0, 25.4L}}, pvMillimeters);
    canvas.MoveTo(2, 0, pvInches);
    PvPolyLineObject& line = canvas.LineTo(2, 1, pvInches);
    EXPECT_EQ(line.Id(), pvLineId);
    canvas.Polyline({{3, 0}, {3.9L, 0}, {3.9L, 0.9L}}, pvInches);
    QImage page = Draw(pages);
    EXPECT_EQ(page.pixel(20, 20) & 0xFFFFFF, 0xFF0000u) << "inside the triangle";
    EXPECT_EQ(page.pixel(80, 80) & 0xFFFFFF, 0xFFFFFFu) << "outside the hypotenuse";
    EXPECT_EQ(page.pixel(200, 50) & 0xFFFFFF, 0xFF0000u) << "on the line from the pen position";
    EXPECT_EQ(page.pixel(350, 50) & 0xFFFFFF, 0xFFFFFFu) << "an open line through points is not filled";
    EXPECT_EQ(Inked(page, QRect(295, 0, 105, 95)), 91 + 90) << "the two strokes of the polyline";

    // Measured from the user margins, every point moves with them; the bounds follow for hit testing.
    pages.Margins.Values = {1, 2, 0, 0};
    canvas.CoordsRelativeTo = pvFromUserMargins;
    PvPolygonObject& moved = canvas.Polygon({{0, 0}, {0.5L, 0}, {0, 0.5L}}, pvInches);
    EXPECT_EQ(moved.Points()[1].X, 1.5L);
    EXPECT_EQ(moved.Points()[2].Y, 2.5L);
    EXPECT_EQ(pages.ObjectAt(1, 1.1L, 2.1L, pvInches), &moved);
    EXPECT_EQ(pages.ObjectAt(1, 3.5L, 3.5L, pvInches), nullptr);

    // Saved and loaded, the shapes keep their points and pen; a line of an odd number of fields loads none.
    PvValueList saved;
    moved.Save(saved);
    auto again = CreatePvObject(pvPolygonId, pages.Resources);
    again->Load(saved);
    EXPECT_EQ(static_cast<PvPolygonObject&>(*again).Points().size(), 3u);
    EXPECT_EQ(static_cast<PvPolygonObject&>(*again).Pen()->Color, 0x0000FF);
    saved.WriteString("PTS", "1,2,3");
    auto odd = CreatePvObject(pvPolyLineId, pages.Resources);
    odd->Load(saved);
    EXPECT_TRUE(static_cast<PvPolyLineObject&>(*odd).Points().empty());
}

TEST(PvRecording, TextIsWrittenInsideItsExtentInTheCanvasFontAndKeepsAnyCharacters) {
    PvPageList pages{TestMessages::Prompts()};
    PvCanvas& canvas = pages.Canvas;
    canvas.Font.Size = 24;
    const PvPoint extent = canvas.TextExtent("Gear", pvInches);
    EXPECT_GT(extent.X, 0.4L);
    EXPECT_LT(extent.Y, 0.5L);
    PvTextObject& text = canvas.TextOut(10, 10, "Gear", pvMillimeters);
    const QRect box(39, 39, int(extent.X * kPpi) + 3, int(extent.Y * kPpi) + 3);
    QImage page = Draw(pages);
    EXPECT_GT(Inked(page, box), 50);
    EXPECT_EQ(Inked(page, box, true), 0) << "nothing beyond the measured extent";

    // A clear brush leaves the background; a solid one fills the whole extent behind the text.
    canvas.Brush = {0x00FF00, bsSolid};
    canvas.TextOut(2, 2, "", pvInches);
    page = Draw(pages);
    EXPECT_EQ(page.pixel(201, 201) & 0xFFFFFF, 0xFFFFFFu) << "an empty text has an empty extent";
    canvas.TextOut(2, 2, "x", pvInches);
    page = Draw(pages);
    EXPECT_EQ(page.pixel(201, 201) & 0xFFFFFF, 0x00FF00u);

    // Line ends, backslashes and the end-of-text mark survive the value list and its stream.
    text.Text = QStringLiteral("a\\b\r\nc\x1a"
                               "d\\0D");
    PvValueList saved;
    text.Save(saved);
    MemoryStream stream;
    saved.SaveToStream(stream);
    stream.SetPosition(0);
    PvValueList loaded;
    loaded.LoadFromStream(stream);
    auto again = CreatePvObject(pvTextId, pages.Resources);
    again->Load(loaded);
    EXPECT_EQ(static_cast<PvTextObject&>(*again).Text, text.Text);
    EXPECT_EQ(static_cast<PvTextObject&>(*again).Font()->Size, 24);
}

TEST(PvRecording, RichTextIsDrawnBeforeTheObjectsInsideItsRectangleOnly) {
    QTextDocument source;
    source.setHtml(QStringLiteral("<p><b>Bold</b> <span style='color:#ff0000'>red</span> caf\u00e9</p>"
                                  "<p style='font-size:20pt'>second <s>struck</s></p>"));
    const QByteArray rtf = SaveRichText(source);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    for (const char c : rtf)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "plain ASCII";

    // Read back into the middle of another text, in place of its selection.
    QTextDocument target;
    target.setPlainText(QStringLiteral("[xx]"));
    QTextCursor cursor(&target);
    cursor.setPosition(1);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    ASSERT_TRUE(LoadRichText(rtf.toStdString(), cursor));
    EXPECT_EQ(target.toPlainText(), QStringLiteral("[Bold red caf\u00e9\nsecond struck]"));
    QTextCursor bold(&target);
    bold.setPosition(3);
    EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
    bold.setPosition(7);
    EXPECT_EQ(bold.charFormat().foreground().color(), QColor(255, 0, 0));
    EXPECT_FALSE(LoadRichText("plain words", cursor));
    EXPECT_EQ(target.blockCount(), 2) << "text that is not rich text changes nothing";

    // On a page the rich text lies under the objects and stays inside its rectangle however long it runs.
    source.setPlainText(QString(400, QLatin1Char('W')));
    PvPageList pages{TestMessages::Prompts()};
    pages.Canvas.RichText(0.5L, 0.5L, 1.5L, 1, source, pvInches);
    pages.Canvas.Brush = {0x00FF00, bsSolid};
    pages.Canvas.Pen = {0x00FF00, 1, psSolid, pmCopy};
    pages.Canvas.Rectangle(1, 0.5L, 1.5L, 1, pvInches);
    EXPECT_EQ(pages.Resources.Memos.Count(), 1);
    const QImage page = Draw(pages);
    EXPECT_GT(Inked(page, QRect(50, 50, 50, 50)), 100);
    EXPECT_EQ(Inked(page, QRect(50, 50, 101, 51), true), 0)
        << "the stroke lies on the right and bottom sides";
    EXPECT_EQ(page.pixel(120, 70) & 0xFFFFFF, 0x00FF00u) << "the rectangle covers the text";
}

TEST(PvRecording, ObjectsTellTheirPageWhenTheyShowOrHide) {
    PvPageList pages{TestMessages::Prompts()};
    int notices = 0;
    pages.OnObjectChanged = [&notices] { ++notices; };
    pages.Canvas.Brush = {clBlack, bsSolid};
    PvSolidShape& square = pages.Canvas.Rectangle(0, 0, 1, 1, pvInches);
    EXPECT_EQ(notices, 0) << "recording is not a change";
    square.SetVisible(false);
    square.SetVisible(false);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(Inked(Draw(pages), QRect(0, 0, 400, 400)), 0);
    EXPECT_EQ(pages.ObjectAt(1, 0.5L, 0.5L, pvInches), nullptr) << "a hidden object is not hit";
    pages.BeginUpdate();
    square.SetVisible(true);
    EXPECT_EQ(notices, 1) << "held until the update ends";
    pages.EndUpdate();
    EXPECT_EQ(notices, 2);
}
