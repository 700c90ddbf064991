#include <QTest>
#include <gtest/gtest.h>

#include "platform/gfx/canvas.h"
#include "platform/stream.h"
#include "platform/sys/sys_errors.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "ui/bitmap/kit_graphics.h"
#include "ui/kit/kit_container.h"
#include "ui/kit/kit_controls.h"
#include "ui/kit/kit_list_items.h"

namespace {

Bitmap Cells(int cells, int width, int height, QRgb background) {
    Bitmap strip;
    strip.SetSize(cells * width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < cells * width; ++x)
            strip.SetPixel(x, y, (x % width == width / 2) ? qRgb(0, 0, 255) : background);
    return strip;
}

std::string WaveBytes() {
    return "RIFF" + std::string("\x24\0\0\0", 4) + "WAVEfmt " + std::string("\x10\0\0\0", 4) +
           std::string("\x01\0\x01\0\x40\x1F\0\0\x40\x1F\0\0\x01\0\x08\0", 16);
}

} // namespace

TEST(KitContainer, EveryKindOfItemRoundTripsThroughItsFile) {
    TempDir dir;
    KitBitmapList bitmaps;
    for (uint8_t mode = 0; mode < 4; ++mode) {
        auto* item = static_cast<KitBitmapListItem*>(bitmaps.Add());
        item->Mode = mode;
        item->Picture = Cells(1, 5, 3, qRgb(10 * mode, 20, 30));
        item->Description = QString("mode %1").arg(mode);
        item->Ident = static_cast<uint16_t>(100 + mode);
    }
    bitmaps.Add()->SetFlag(true); // no picture
    bitmaps.SaveToFile(dir / "b.bmp");
    KitBitmapList back;
    back.LoadFromFile(dir / "b.bmp");
    ASSERT_EQ(back.Count(), 5);
    for (int i = 0; i < 4; ++i) {
        auto* item = static_cast<KitBitmapListItem*>(back.Item(i));
        EXPECT_EQ(item->Mode, i);
        EXPECT_EQ(item->Ident, 100 + i);
        EXPECT_EQ(item->Description, QString("mode %1").arg(i));
        EXPECT_EQ(item->Picture.Pixel(2, 1), qRgb(0, 0, 255));
        EXPECT_EQ(item->Picture.Format(), i & 2 ? PixelFormat::pf8bit : PixelFormat::pf24bit);
    }
    EXPECT_TRUE(back.Item(4)->Flag());
    EXPECT_FALSE(back.HasPicture(4));
    EXPECT_EQ(back.FileName, QString::fromStdString((dir / "b.bmp").string()));

    KitStringList strings;
    static_cast<KitStringListItem*>(strings.Add())->Items = {"one", "two"};
    KitWaveList waves;
    const std::string wave = WaveBytes();
    MemoryStream waveStream(std::vector<uint8_t>(wave.begin(), wave.end()));
    static_cast<KitWaveListItem*>(waves.Add())->Wave.LoadFromStream(waveStream);
    strings.SaveToFile(dir / "s.txt");
    waves.SaveToFile(dir / "w.wav");
    KitStringList stringsBack;
    stringsBack.LoadFromFile(dir / "s.txt");
    EXPECT_EQ(static_cast<KitStringListItem*>(stringsBack.Item(0))->Items, (QStringList{"one", "two"}));
    KitWaveList wavesBack;
    wavesBack.LoadFromFile(dir / "w.wav");
    EXPECT_EQ(static_cast<KitWaveListItem*>(wavesBack.Item(0))->Wave.Size(), int64_t(wave.size()));

    // A file of another kind is refused and the list keeps what it had.
    EXPECT_EQ(ErrorText([&] { wavesBack.LoadFromFile(dir / "s.txt"); }),
              "Cannot open file %s: " + (dir / "s.txt").string());
    EXPECT_EQ(wavesBack.Count(), 1);
    EXPECT_EQ(KitCustomContainer::DefaultExtension(KitContainerKind::ckImageList, false), "iml");
    EXPECT_EQ(KitCustomContainer::DefaultExtension(KitContainerKind::ckRichTextList, true), ".rtf");
}

TEST(KitContainer, StreamsAppendOrReplaceAndRefuseLies) {
    KitStringList list;
    static_cast<KitStringListItem*>(list.Add())->Items = {"a"};
    MemoryStream stream;
    list.WriteStream(stream);
    stream.SetPosition(0);
    list.ReadStream(stream, true);
    EXPECT_EQ(list.Count(), 2);
    stream.SetPosition(0);
    list.ReadStream(stream, false);
    EXPECT_EQ(list.Count(), 1);

    // A count no stream of that size can hold, and a record cut short: nothing changes.
    MemoryStream huge(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x0F, 0, 0, 0, 0});
    EXPECT_THROW(list.ReadStream(huge, false), EStreamError);
    std::vector<uint8_t> cut = stream.Bytes();
    cut[0] = 2;
    MemoryStream cutStream(cut);
    EXPECT_THROW(list.ReadStream(cutStream, false), EStreamError);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_THROW(KitStringListItem(nullptr), EInvalidOperation);

    KitStringList copy;
    copy.Assign(list);
    EXPECT_EQ(static_cast<KitStringListItem*>(copy.Item(0))->Items, QStringList{"a"});
    EXPECT_NE(copy.Item(0), list.Item(0));
}

TEST(KitImageList, CellsMasksAndTheirLimits) {
    KitImageList list;
    auto* item = static_cast<KitImageListItem*>(list.Add());
    item->SetCellSize(4, 3);
    item->SetImage(Cells(2, 4, 3, qRgb(255, 0, 255)));
    EXPECT_EQ(item->Count(), 2);
    EXPECT_EQ(item->CellTransparentColor(1), qRgb(255, 0, 255));
    EXPECT_EQ(list.TransparentColor(0), qRgb(255, 0, 255));
    EXPECT_EQ(list.TransparentColor(5), qRgb(255, 255, 255));
    EXPECT_EQ(list.Width(5), 0);
    EXPECT_FALSE(list.HasPicture(5));
    item->SetMasked(true);
    EXPECT_EQ(item->MaskBitmap().Index(0, 0), 1);
    EXPECT_EQ(item->MaskBitmap().Index(2, 0), 0);

    KitImageListItem other(&list);
    other.SetCellSize(5, 3);
    EXPECT_EQ(ErrorText([&] { item->AddImages(other); }), "Invalid image size");
    KitImageListItem wide(&list);
    wide.SetCellSize(4, 3);
    wide.SetImage(Cells(8191, 4, 3, qRgb(0, 0, 0)));
    EXPECT_EQ(ErrorText([&] { item->AddImages(wide); }), "Too many images");
    KitImageListItem more(&list);
    more.SetCellSize(4, 3);
    more.SetImage(Cells(3, 4, 3, qRgb(0, 255, 0)));
    item->AddImages(more);
    EXPECT_EQ(item->Count(), 5);
    EXPECT_EQ(item->Image().Width(), 8 * 4) << "the strip grows by AllocBy cells";
    EXPECT_EQ(item->CellTransparentColor(4), qRgb(0, 255, 0));

    MemoryStream stream;
    list.WriteStream(stream);
    stream.SetPosition(0);
    KitImageList back;
    back.ReadStream(stream, false);
    auto* read = static_cast<KitImageListItem*>(back.Item(0));
    EXPECT_EQ(read->Count(), 5);
    EXPECT_EQ(read->Width(), 4);
    EXPECT_TRUE(read->Masked());
    EXPECT_EQ(read->MaskBitmap().Index(16, 2), 1);

    // Drawn through the mask, the transparent colour leaves the target as it was.
    QImage target(40, 3, QImage::Format_RGB32);
    target.fill(qRgb(1, 2, 3));
    Canvas canvas(target);
    back.Draw(0, canvas, 0, 0, 0);
    EXPECT_EQ(target.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(target.pixel(2, 0), qRgb(0, 0, 255));
}

TEST(KitContainers, LinksHearChangesInOrderAndMayGoBeforeOrAfterTheirContainer) {
    std::vector<std::string> heard;
    auto list = std::make_unique<KitStringList>();
    list->OnChange = [&] { heard.push_back("list"); };
    auto first = std::make_unique<KitChangeLink>([&] { heard.push_back("first"); });
    KitChangeLink second([&] { heard.push_back("second"); });
    KitChangeLink third;
    // The first link to hear a change lets the third go.
    first->OnChange = [&] {
        heard.push_back("first");
        list->UnregisterChanges(&third);
    };
    third.OnChange = [&] { heard.push_back("third"); };
    list->RegisterChanges(first.get());
    list->RegisterChanges(&second);
    list->RegisterChanges(&third);
    list->RegisterChanges(first.get());
    EXPECT_EQ(list->LinkCount(), 3) << "registered once";
    list->Add();
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "second", "list"}));

    first.reset();
    EXPECT_EQ(list->LinkCount(), 1);
    heard.clear();
    list->Clear();
    EXPECT_EQ(heard, (std::vector<std::string>{"second", "list"}));

    EXPECT_EQ(second.Sender(), list.get());
    list.reset();
    EXPECT_EQ(second.Sender(), nullptr) << "a freed container leaves its links";
}

class Probe : public KitGraphicControl {
  public:
    using KitGraphicControl::KitGraphicControl;
    int changes = 0;
    void Change() override {
        ++changes;
        KitGraphicControl::Change();
    }
};

TEST(KitControls, ContainerLinksRepaintAndLetGo) {
    Probe control;
    auto* list = new KitStringList;
    control.SetContainer(list);
    EXPECT_EQ(list->LinkCount(), 1);
    const int linked = control.changes;
    list->Add();
    EXPECT_EQ(control.changes, linked + 1);
    delete list;
    EXPECT_EQ(control.Container(), nullptr);
    EXPECT_EQ(control.changes, linked + 2) << "a freed container repaints the control";

    KitStringList kept;
    {
        Probe shortLived;
        shortLived.SetContainer(&kept);
    }
    EXPECT_EQ(kept.LinkCount(), 0);
    kept.Add(); // nobody left to notify

    control.SetInternal("KITBML30");
    EXPECT_EQ(control.Container(), &GlobalContainer().BitmapList());
    EXPECT_EQ(control.Internal(), "KITBML30");
    control.SetContainer(&kept);
    EXPECT_EQ(control.Internal(), "");
    EXPECT_EQ(GlobalContainer().BitmapList().LinkCount(), 0);
}

TEST(KitControls, MovesAndResizesReportTheirOwnFlags) {
    QWidget parent;
    Probe control(&parent);
    std::vector<int> flags;
    control.OnBoundsChange = [&](int f) { flags.push_back(f); };
    parent.show();
    flags.clear();
    control.move(7, 9);
    EXPECT_EQ(flags, std::vector<int>{KitBaseControl::kbMoved});
    flags.clear();
    control.resize(50, 20);
    EXPECT_EQ(flags, std::vector<int>{KitBaseControl::kbResized});
    EXPECT_EQ(control.width(), 50);

    KitCustomControl host;
    auto* child = new Probe(&host);
    child->SetTransparent(true);
    EXPECT_FALSE(child->HasParentBackground());
    host.TransparentOption = true;
    EXPECT_TRUE(child->HasParentBackground());
    host.show();
    const int before = child->changes;
    host.move(host.x() + 5, host.y());
    EXPECT_GT(child->changes, before) << "children of a moved host repaint their background";
}

// Files written by an earlier build: the container format is a file format and must keep reading.
TEST(KitContainer, FilesOfEarlierRunsStillRead) {
    KitBitmapList bitmaps;
    bitmaps.LoadFromFile(TestData("kit/bitmaps.bmp"));
    ASSERT_EQ(bitmaps.Count(), 4);
    for (int mode = 0; mode < 4; ++mode) {
        auto* item = static_cast<KitBitmapListItem*>(bitmaps.Item(mode));
        EXPECT_EQ(item->Mode, mode);
        EXPECT_EQ(item->Description, "bitmap");
        EXPECT_EQ(item->Picture.Pixel(1, 1), mode & 2 ? qRgb(204, 0, 0) : qRgb(200, 10, 10)) << mode;
    }
    KitImageList images;
    images.LoadFromFile(TestData("kit/images.iml"));
    auto* strip = static_cast<KitImageListItem*>(images.Item(0));
    EXPECT_EQ(strip->Count(), 3);
    EXPECT_TRUE(strip->Masked());
    EXPECT_EQ(strip->Image().Pixel(5, 0), qRgb(0, 0, 255));
    KitStringList strings;
    strings.LoadFromFile(TestData("kit/strings.txt"));
    EXPECT_EQ(static_cast<KitStringListItem*>(strings.Item(0))->Items, (QStringList{"one", "two"}));
    EXPECT_EQ(strings.Item(1)->Description, "empty");
    KitWaveList waves;
    waves.LoadFromFile(TestData("kit/waves.wav"));
    EXPECT_EQ(static_cast<KitWaveListItem*>(waves.Item(0))->Wave.Bytes(), [] {
        const std::string tone = ReadFileBytes(TestData("kit/tone.wav")).value_or("");
        return std::vector<uint8_t>(tone.begin(), tone.end());
    }());
}
