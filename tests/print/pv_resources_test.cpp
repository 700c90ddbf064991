#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>

#include "platform/stream.h"
#include "print/preview/pv_objects.h"
#include "print/preview/pv_resources.h"

namespace {

QImage Filled(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST(PvResources, EqualToolsAreStoredOnceAndTheLastReferenceDeletesThem) {
    PvResourceTable table;
    PvRef<PvBrush> first = table.Brushes.Add({0x0000FF, bsSolid});
    PvRef<PvBrush> second = table.Brushes.Add({0x0000FF, bsSolid});
    PvRef<PvBrush> other = table.Brushes.Add({0x00FF00, bsSolid});
    ASSERT_EQ(table.Brushes.Count(), 2);
    EXPECT_EQ(table.Brushes.RefCount(0), 2);
    first.Reset();
    EXPECT_EQ(table.Brushes.RefCount(0), 1);
    second.Reset();
    ASSERT_EQ(table.Brushes.Count(), 1) << "the red brush went with its last reference";
    EXPECT_EQ(other.Index(), 0);
    EXPECT_EQ(other->Color, 0x00FF00);
    PvRef<PvBrush> copy = other;
    EXPECT_EQ(table.Brushes.RefCount(0), 2);
}

TEST(PvResources, ObjectsKeepTheirOwnPenWhenAnEarlierOneIsReleased) {
    PvResourceTable table;
    auto a = std::make_unique<PvRectangleShape>(table);
    auto b = std::make_unique<PvRectangleShape>(table);
    a->SetPen({0x0000FF, 3, psSolid, pmCopy});
    b->SetPen({0x00FF00, 5, psDash, pmCopy});
    a.reset();
    // An index stored at the time would now point past the list or at the wrong pen.
    ASSERT_EQ(table.Pens.Count(), 1);
    EXPECT_EQ(b->Pen()->Color, 0x00FF00);
    PvValueList saved;
    b->Save(saved);
    EXPECT_EQ(saved.ReadInteger("P", -9), 0) << "indexes are those at saving time";
    b->SetPen({0x00FF00, 5, psDash, pmCopy});
    EXPECT_EQ(table.Pens.RefCount(0), 1) << "changing to an equal pen releases the old reference";
    // A reference outliving a cleared table keeps its item.
    table.Clear();
    EXPECT_EQ(b->Pen()->Width, 5);
    EXPECT_EQ(b->Pen().Index(), -1);
}

TEST(PvResources, PenTextRoundTripsTheMarginPen) {
    const std::optional<PvPen> pen = PvPen::FromText("12632256,1,2,4");
    ASSERT_TRUE(pen);
    EXPECT_EQ(*pen, (PvPen{0xC0C0C0, 1, psDot, pmCopy}));
    EXPECT_EQ(pen->ToText(), "12632256,1,2,4");
    EXPECT_FALSE(PvPen::FromText("1,2,3"));
    EXPECT_FALSE(PvPen::FromText("1,2,x,4"));
}

TEST(PvResources, PicturesAreSharedByContentOnlyWhenComparing) {
    PvResourceTable table;
    QImage a = Filled(40, 30, qRgb(10, 20, 30));
    QImage b = a.copy();
    QImage c = a.copy();
    c.setPixel(39, 29, qRgb(10, 20, 31));
    PvRef<PvGraphic> ra = table.Graphics.Add(PvGraphic::Make(a), true);
    PvRef<PvGraphic> rb = table.Graphics.Add(PvGraphic::Make(b), true);
    PvRef<PvGraphic> rc = table.Graphics.Add(PvGraphic::Make(c), true);
    EXPECT_EQ(table.Graphics.Count(), 2);
    EXPECT_EQ(ra.Index(), rb.Index());
    EXPECT_NE(ra.Index(), rc.Index()) << "one pixel apart is another picture";
    PvRef<PvGraphic> rd = table.Graphics.Add(PvGraphic::Make(b), false);
    EXPECT_EQ(table.Graphics.Count(), 3) << "without comparing every picture is stored";
    EXPECT_EQ(ra->Image().format(), QImage::Format_RGB888)
        << "opaque pictures are kept at three bytes a pixel";

    // Rows of three RGB pixels end in three unused bytes, whatever they hold.
    uchar first[24] = {}, second[24] = {};
    std::fill(std::begin(second), std::end(second), uchar(0xAB));
    for (uchar* rows : {first, second})
        for (int i = 0; i < 9; ++i)
            rows[i] = rows[12 + i] = uchar(i * 20);
    const QImage padded1(first, 3, 2, 12, QImage::Format_RGB888),
        padded2(second, 3, 2, 12, QImage::Format_RGB888);
    EXPECT_EQ(PvGraphic::Make(padded1).hash, PvGraphic::Make(padded2).hash);
}

TEST(PvResources, ListsRoundTripThroughTheirStreamForms) {
    PvResourceTable table;
    std::vector<PvRef<PvPen>> pens{table.Pens.Add({0xC0C0C0, 1, psDot, pmCopy}), table.Pens.Add({})};
    std::vector<PvRef<PvFont>> fonts{
        table.Fonts.Add({0x0000FF, fsBold | fsUnderline, "Liberation Serif", 14, 90, 0})};
    std::vector<PvRef<PvGraphic>> pictures{
        table.Graphics.Add(PvGraphic::Make(Filled(3, 2, qRgb(200, 0, 0))))};
    MemoryStream stream;
    SavePens(stream, table.Pens);
    SaveFonts(stream, table.Fonts);
    SaveGraphics(stream, table.Graphics);
    stream.SetPosition(0);
    PvResourceTable loaded;
    auto loadedPens = LoadPens(stream, loaded.Pens);
    auto loadedFonts = LoadFonts(stream, loaded.Fonts);
    auto loadedPictures = LoadGraphics(stream, loaded.Graphics, true);
    ASSERT_EQ(loaded.Pens.Count(), 2);
    EXPECT_EQ(loaded.Pens.Items(0), table.Pens.Items(0));
    EXPECT_EQ(loaded.Fonts.Items(0), table.Fonts.Items(0));
    ASSERT_EQ(loaded.Graphics.Count(), 1);
    EXPECT_EQ(loaded.Graphics.Items(0).Image(), table.Graphics.Items(0).Image());
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(PvResources, LoadersRefuseCountsAndPositionsBeyondTheStream) {
    PvResourceTable table;
    std::vector<PvRef<PvGraphic>> kept{table.Graphics.Add(PvGraphic::Make(Filled(2, 2, qRgb(1, 2, 3))))};
    MemoryStream good;
    SaveGraphics(good, table.Graphics);
    const std::vector<uint8_t> bytes = good.Bytes();

    auto load = [](std::vector<uint8_t> data) {
        MemoryStream stream(std::move(data));
        PvResourceTable target;
        LoadGraphics(stream, target.Graphics, true);
    };
    std::vector<uint8_t> hugeCount = bytes;
    hugeCount[0] = 0xFF, hugeCount[1] = 0xFF, hugeCount[2] = 0xFF, hugeCount[3] = 0x0F;
    EXPECT_THROW(load(hugeCount), EStreamError);
    std::vector<uint8_t> endBeyond = bytes;
    endBeyond[5] = 0xFF, endBeyond[6] = 0xFF;
    EXPECT_THROW(load(endBeyond), EStreamError);
    std::vector<uint8_t> endBehind = bytes;
    endBehind[5] = 0, endBehind[6] = 0, endBehind[7] = 0, endBehind[8] = 0;
    EXPECT_THROW(load(endBehind), EStreamError);
    // An item of a kind that cannot be drawn is passed over by its end position.
    std::vector<uint8_t> metafile = bytes;
    metafile[4] = PvGraphic::Metafile;
    MemoryStream skipped(metafile);
    PvResourceTable target;
    const auto refs = LoadGraphics(skipped, target.Graphics, true);
    ASSERT_EQ(refs.size(), 1u);
    EXPECT_FALSE(refs[0]);
    EXPECT_EQ(skipped.Position(), skipped.Size());

    MemoryStream tools(std::vector<uint8_t>{0x00, 0x00, 0x00, 0x40});
    EXPECT_THROW(LoadBrushes(tools, target.Brushes), EStreamError);
}
