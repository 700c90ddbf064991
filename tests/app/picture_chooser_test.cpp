#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "app/picture_chooser.h"
#include "formats/gif/gif_image.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/picture_formats.h"
#include "inventory_window.h"
#include "ui/bitmap/image_view.h"
#include "ui/controls/gauge_bar.h"
#include "ui/kit/make_named.h"

namespace fs = std::filesystem;

namespace {

// A picture of one colour; JPEG keeps a flat colour within a step or two.
void WritePicture(const fs::path& file, QColor colour) {
    fs::create_directories(file.parent_path());
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(colour);
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), nullptr, 100)) << file;
}

// A GIF picture of one colour, written by our codec; with seeThrough, its left half is transparent.
void WriteGifPicture(const fs::path& file, QColor colour, bool seeThrough = false) {
    fs::create_directories(file.parent_path());
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(colour);
    Bitmap bitmap;
    if (seeThrough) {
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 20; ++x)
                picture.setPixel(x, y, qRgb(0, 255, 0));
        bitmap.SetTransparentColor(qRgb(0, 255, 0));
    }
    bitmap.Assign(picture, PixelFormat::pf24bit);
    GIFImage gif;
    gif.Assign(bitmap);
    gif.SaveToFile(file);
}

// A GIF of one frame per colour, each frame's left half transparent; no loop, so it plays once.
void WriteSeeThroughAnimation(const fs::path& file, std::initializer_list<QColor> colours) {
    fs::create_directories(file.parent_path());
    GIFImage gif;
    for (QColor colour : colours) {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(colour);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 20; ++x)
                picture.setPixel(x, y, qRgb(0, 255, 0));
        Bitmap bitmap;
        bitmap.SetTransparentColor(qRgb(0, 255, 0));
        bitmap.Assign(picture, PixelFormat::pf24bit);
        gif.Add(bitmap);
    }
    gif.SetWidth(40);
    gif.SetHeight(30);
    gif.SaveToFile(file);
}

// Painters go on to the next frame at once: animations run as fast as the window takes their frames.
class NoWaitClock : public PaintClock {
  public:
    bool WaitFor(std::unique_lock<std::mutex>&, std::condition_variable&, int64_t,
                 const std::function<bool()>& woken) override {
        return woken();
    }
};

// Changes a folder within one tick of a coarse file system clock: its modification time stays the same.
void WithinOneClockTick(const fs::path& folder, const std::function<void()>& change) {
    const fs::file_time_type before = fs::last_write_time(folder);
    change();
    fs::last_write_time(folder, before);
}

bool Near(Color32 pixel, QColor colour) {
    const QColor shown = QColor::fromRgb(pixel);
    return std::abs(shown.red() - colour.red()) <= 3 && std::abs(shown.green() - colour.green()) <= 3 &&
           std::abs(shown.blue() - colour.blue()) <= 3;
}

// The inventory window with its picture folders under the data folder and no LDraw folder.
class PictureWindow : public InventoryWindow {
  public:
    PictureWindow() {
        RegisterJpegPicture();
        RegisterPictureFormats();
        context->folders.SetFolder(FolderKind::LDraw, QString());
        context->folders.SetFolder(FolderKind::Jpg, Path("images/jpgs"));
        context->folders.SetFolder(FolderKind::Png, Path("images/pngs"));
        context->folders.SetFolder(FolderKind::Gif, Path("images/gifs"));
    }
    QString Path(const std::string& name) const { return QString::fromStdString((dir / name).string()); }
    void UseSampleLibrary() {
        context->folders.SetFolder(FolderKind::LDraw, QString::fromStdString(ShippedData("ldraw").string()));
    }

    void Select(const QString& part) {
        RichListView* list = FindNamed<RichListView>(*window, "legolist");
        for (int row = 0; row < list->RowCount(); ++row)
            if (list->GetCellText(0, row) == part) list->SelectItemAt(row);
        window->Master().legolistClick();
    }
    Bitmap32& Shown() { return FindNamed<Image32>(*window, "Image1")->Bitmap(); }
    Color32 Centre() { return *Shown().PixelAddress(Shown().Width() / 2, Shown().Height() / 2); }
    int Pixels(const std::function<bool(QColor)>& wanted) {
        return int(std::count_if(Shown().Bits(), Shown().Bits() + Shown().Width() * Shown().Height(),
                                 [&](Color32 pixel) { return wanted(QColor::fromRgb(pixel)); }));
    }
    // Pixels of the picture as the control shows them on screen.
    int ShownOnScreen(QColor colour) {
        const QImage shown = FindNamed<Image32>(*window, "Image1")->grab().toImage();
        int count = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                count += Near(shown.pixel(x, y), colour);
        return count;
    }
    int Drawn() {
        return Pixels([](QColor c) { return c != Qt::white; });
    }
    int Red() {
        return Pixels([](QColor c) { return c.red() > 120 && c.green() < 40 && c.blue() < 40; });
    }
    bool AllWhite() {
        return std::all_of(Shown().Bits(), Shown().Bits() + Shown().Width() * Shown().Height(),
                           [](Color32 pixel) { return (pixel & 0xFFFFFF) == 0xFFFFFF; });
    }
    bool GaugesShown() const {
        return !FindNamed<GaugeBar>(*window, "ldrawscale")->isHidden() &&
               !FindNamed<GaugeBar>(*window, "xrot")->isHidden() &&
               !FindNamed<GaugeBar>(*window, "yrot")->isHidden() &&
               !FindNamed<GaugeBar>(*window, "zrot")->isHidden();
    }
    QStringList OtherJpgs() const {
        QStringList names;
        for (int i = 0; i < FindNamed<QListWidget>(*window, "ListBox1")->count(); ++i)
            names << FindNamed<QListWidget>(*window, "ListBox1")->item(i)->text();
        names.sort();
        return names;
    }
};

} // namespace

TEST(PictureChooser, RendersThePartWhenTheLibraryHoldsItElseFallsBackToItsPicture) {
    PictureWindow w;
    WritePicture(w.dir / "images/jpgs/3001.jpg", Qt::blue);
    w.UseSampleLibrary();
    w.Select("3001");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "LDraw");
    EXPECT_TRUE(w.GaugesShown());
    EXPECT_TRUE(FindNamed<QLabel>(*w.window, "Label1")->isHidden());
    EXPECT_EQ(w.Shown().Width(), 800);
    EXPECT_GT(w.Drawn(), 2000);
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label3")->text(), "3001");
    EXPECT_EQ(w.OtherJpgs(), QStringList{"3001.jpg"});

    // The scale gauge zooms; a double click puts every gauge back.
    FindNamed<GaugeBar>(*w.window, "sbScale")->SetPosition(200);
    EXPECT_EQ(FindNamed<Image32>(*w.window, "Image1")->Scale(), 2.0);
    FindNamed<GaugeBar>(*w.window, "xrot")->SetPosition(90);
    w.window->Picture().Image1DblClick();
    EXPECT_EQ(FindNamed<Image32>(*w.window, "Image1")->Scale(), 1.0);
    EXPECT_EQ(FindNamed<GaugeBar>(*w.window, "xrot")->Position(), -45);

    // Not a library: the picture, and the gauges go.
    w.context->folders.SetFolder(FolderKind::LDraw, w.Path("images"));
    w.Select("3001");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "jpg");
    EXPECT_FALSE(w.GaugesShown());
    EXPECT_TRUE(Near(w.Centre(), Qt::blue));

    // A library without the part: its picture too.
    WriteFileBytes(w.dir / "master.txt", "h\n3001\tBrick 2 x 4\n99001\tNot in the library\n");
    w.window->LoadMasterList(false);
    WritePicture(w.dir / "images/pngs/99001.png", Qt::green);
    w.UseSampleLibrary();
    w.Select("99001");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "png");
    EXPECT_TRUE(Near(w.Centre(), Qt::green));
}

TEST(PictureChooser, TheSelectedRowsColourRendersOnlyItsOwnPart) {
    PictureWindow w;
    w.UseSampleLibrary();
    w.Add("3001", "Red", "1");
    w.window->Panel().invlistClick();
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label3")->text(), "3001");
    EXPECT_GT(w.Red(), 1000);
    // The red row stays selected, but another part renders in the default colour.
    w.Select("3020");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label3")->text(), "3020");
    EXPECT_EQ(w.Red(), 0);
    EXPECT_GT(w.Drawn(), 1000);
}

TEST(PictureChooser, JpgComesBeforePngBeforeGifAndTheNoteWhenNothingIsThere) {
    PictureWindow w;
    WritePicture(w.dir / "images/jpgs/3020.jpg", Qt::blue);
    WritePicture(w.dir / "images/pngs/3020.png", Qt::green);
    WritePicture(w.dir / "images/pngs/3003.png", Qt::green);
    w.Select("3020");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "jpg");
    EXPECT_TRUE(Near(w.Centre(), Qt::blue));

    // No picture: white (a picture shown before must not stay), the note and no other jpgs.
    w.Select("3001");
    EXPECT_FALSE(FindNamed<QLabel>(*w.window, "Label1")->isHidden());
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label1")->text(), "Sorry, no image available!");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "");
    EXPECT_TRUE(w.AllWhite());
    EXPECT_TRUE(w.OtherJpgs().isEmpty());

    // The picture appears once it is there: listings are cached, not kept stale.
    WithinOneClockTick(w.dir / "images/jpgs", [&] { fs::remove(w.dir / "images/jpgs/3020.jpg"); });
    w.Select("3020");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "png");
    w.Select("3003");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label2")->text(), "Brick & Tile <b>");
    EXPECT_TRUE(FindNamed<QLabel>(*w.window, "Label1")->isHidden());

    // The order, gifs included, and names of any case.
    PictureChooser chooser;
    const PictureFolders folders{{}, w.dir / "images/jpgs", w.dir / "images/pngs", w.dir / "images/gifs"};
    WriteFileBytes(w.dir / "images/gifs/3005.GIF", "GIF89a");
    EXPECT_EQ(chooser.Choose(folders, "3005").kind, PictureKind::Gif);
    EXPECT_EQ(chooser.Choose(folders, "3005").file.filename(), "3005.GIF");
    WriteFileBytes(w.dir / "images/pngs/3005.png", "png");
    EXPECT_EQ(chooser.Choose(folders, "3005").kind, PictureKind::Png);
    WriteFileBytes(w.dir / "images/jpgs/3005.Jpg", "jpg");
    EXPECT_EQ(chooser.Choose(folders, "3005").kind, PictureKind::Jpg);
    EXPECT_EQ(chooser.Choose(folders, "../images/pngs/3005").kind, PictureKind::None);
}

TEST(PictureChooser, GifPicturesShowAndTheirTransparentPixelsHideThePictureBefore) {
    PictureWindow w;
    WritePicture(w.dir / "images/jpgs/3020.jpg", Qt::blue);
    WriteGifPicture(w.dir / "images/gifs/3001.gif", Qt::red);
    WriteGifPicture(w.dir / "images/gifs/3003.gif", Qt::red, true);
    w.Select("3001");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "gif");
    EXPECT_TRUE(Near(w.Centre(), Qt::red));
    w.Select("3020");
    EXPECT_TRUE(Near(w.Centre(), Qt::blue));
    w.Select("3003");
    const Color32 left = *w.Shown().PixelAddress(w.Shown().Width() / 4, w.Shown().Height() / 2);
    EXPECT_FALSE(Near(left, Qt::blue));
    EXPECT_FALSE(Near(left, Qt::green));
    EXPECT_TRUE(Near(*w.Shown().PixelAddress(w.Shown().Width() * 3 / 4, w.Shown().Height() / 2), Qt::red));
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << TestMessages::Shown().join('\n').toStdString();
}

TEST(PictureChooser, OtherJpgsInSubfoldersLoadFromTheirOwnFolder) {
    PictureWindow w;
    WritePicture(w.dir / "images/jpgs/old/3001b.jpg", Qt::red);
    WritePicture(w.dir / "images/jpgs/sets/x/3001.side.JPG", Qt::yellow);
    WritePicture(w.dir / "images/jpgs/3002.jpg", Qt::blue);
    w.Select("3001");
    EXPECT_EQ(w.OtherJpgs(), (QStringList{"3001.side.JPG", "3001b.jpg"}));
    // The first hit replaced the note.
    EXPECT_TRUE(FindNamed<QLabel>(*w.window, "Label1")->isHidden());
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "jpg");

    const std::map<QString, QColor> colours{{"3001b.jpg", Qt::red}, {"3001.side.JPG", Qt::yellow}};
    for (int i = 0; i < FindNamed<QListWidget>(*w.window, "ListBox1")->count(); ++i) {
        FindNamed<QListWidget>(*w.window, "ListBox1")->setCurrentRow(i);
        w.window->Picture().ListBox1Click();
        EXPECT_TRUE(
            Near(w.Centre(), colours.at(FindNamed<QListWidget>(*w.window, "ListBox1")->item(i)->text())));
    }
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << TestMessages::Shown().join('\n').toStdString();

    // A picture added since the last search is listed at once.
    WithinOneClockTick(w.dir / "images/jpgs/old",
                       [&] { WritePicture(w.dir / "images/jpgs/old/3001c.jpg", Qt::red); });
    w.Select("3001");
    EXPECT_EQ(w.OtherJpgs().size(), 3);
}

// With the keyword filter's list shown, Find and an inventory row show the part they name, not the one
// selected in the filtered list, and that list follows (or the filter goes when the part is not in it).
TEST(PictureChooser, FindAndInventoryRowsShowTheirOwnPartWhileTheFilterIsShown) {
    PictureWindow w;
    WritePicture(w.dir / "images/jpgs/3001.jpg", Qt::blue);
    WritePicture(w.dir / "images/jpgs/3003.jpg", Qt::yellow);
    WritePicture(w.dir / "images/jpgs/3020.jpg", Qt::red);
    FindNamed<QLineEdit>(*w.window, "Edit6")->setText("brick");
    w.window->Master().FilterMasterList();
    ASSERT_EQ(FindNamed<RichListView>(*w.window, "legolist2")->RowCount(), 2);
    FindNamed<RichListView>(*w.window, "legolist2")->SelectItemAt(1);
    w.window->Master().legolistClick();
    ASSERT_EQ(FindNamed<QLabel>(*w.window, "Label3")->text(), "3003");

    w.Add("3001", "Red", "1");
    w.window->Panel().invlistClick();
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label3")->text(), "3001");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label2")->text(), "Brick 2 x 4");
    EXPECT_TRUE(Near(w.Centre(), Qt::blue));
    EXPECT_EQ(FindNamed<RichListView>(*w.window, "legolist2")
                  ->GetCellText(0, FindNamed<RichListView>(*w.window, "legolist2")->SelectedRow()),
              "3001");

    FindNamed<QLineEdit>(*w.window, "edit5")->setText("3020");
    w.window->Master().BitBtn7Click();
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label3")->text(), "3020");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label2")->text(), "Plate 2 x 4");
    EXPECT_TRUE(Near(w.Centre(), Qt::red));
    EXPECT_TRUE(FindNamed<RichListView>(*w.window, "legolist2")->isHidden());
    EXPECT_EQ(FindNamed<QLineEdit>(*w.window, "Edit6")->text(), "");
    // The arrow keys and the gauges go on from the part shown.
    w.window->Picture().ldrawscaleMouseUp();
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label3")->text(), "3020");
}

// The note replaces everything of the part shown before: picture, kind and other jpgs. A picture that
// cannot be loaded says why beside the note instead of stopping every click with a message box.
TEST(PictureChooser, NoImageClearsThePreviousPartAndBadPicturesSayWhy) {
    PictureWindow w;
    WritePicture(w.dir / "images/jpgs/3001.jpg", Qt::blue);
    w.Select("3001");
    ASSERT_EQ(w.OtherJpgs(), QStringList{"3001.jpg"});
    w.Add("x99", "Red", "1");
    w.window->Panel().invlistClick();
    EXPECT_FALSE(FindNamed<QLabel>(*w.window, "Label1")->isHidden());
    EXPECT_TRUE(w.AllWhite());
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "");
    EXPECT_TRUE(w.OtherJpgs().isEmpty());
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label3")->text(), "x99");

    WriteFileBytes(w.dir / "images/jpgs/3020.jpg", "not a picture");
    WriteFileBytes(w.dir / "images/gifs/3003.gif", "GIF89a");
    w.Select("3001");
    w.Select("3020");
    EXPECT_FALSE(FindNamed<QLabel>(*w.window, "Label1")->isHidden());
    EXPECT_TRUE(
        FindNamed<QLabel>(*w.window, "Label1")->text().startsWith("Sorry, no image available!\n3020.jpg: "))
        << FindNamed<QLabel>(*w.window, "Label1")->text().toStdString();
    EXPECT_TRUE(w.AllWhite());
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label3")->text(), "3020");
    w.Select("3003");
    EXPECT_FALSE(FindNamed<QLabel>(*w.window, "Label1")->isHidden());
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label3")->text(), "3003");
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << TestMessages::Shown().join('\n').toStdString();
}

TEST(PictureChooser, AnimatedGifsPlayOnlyWhileTheirPartShowsInSight) {
    PictureWindow w;
    NoWaitClock clock;
    w.window->Picture().Animation().UseClock(clock);
    fs::create_directories(w.dir / "images/gifs");
    fs::copy_file(TestData("gif/anim_loop0_4frames_16x16.gif"), w.dir / "images/gifs/3001.gif");
    WriteGifPicture(w.dir / "images/gifs/3003.gif", Qt::red);

    w.Select("3001");
    EXPECT_EQ(FindNamed<QLabel>(*w.window, "Label8")->text(), "gif");
    ASSERT_EQ(w.Shown().Width(), 16);
    EXPECT_TRUE(w.window->Picture().Animation().Running());
    // The first frame is there at once; the frames after it follow.
    const Color32 first = w.Centre();
    EXPECT_EQ(first & 0xFFFFFF, 0u) << "the first frame's centre is black";
    EXPECT_TRUE(QTest::qWaitFor([&] { return (w.Centre() & 0xFFFFFF) == 0xFF0000; }, 5000));

    // Another part stops it, one without a picture too: nothing runs and nothing more is drawn.
    w.Select("3020");
    EXPECT_FALSE(w.window->Picture().Animation().Running());
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.AllWhite());

    // Out of sight it pauses, and plays again when the window shows again.
    w.Select("3001");
    EXPECT_TRUE(w.window->Picture().Animation().Running());
    w.window->hide();
    EXPECT_FALSE(w.window->Picture().Animation().Running());
    w.window->show();
    EXPECT_TRUE(w.window->Picture().Animation().Running());

    // A still GIF starts nothing.
    w.Select("3003");
    EXPECT_FALSE(w.window->Picture().Animation().Running());
    EXPECT_TRUE(Near(w.Centre(), Qt::red));
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << TestMessages::Shown().join('\n').toStdString();
}

TEST(PictureChooser, TransparentFramesOfAnAnimationShowNothingOfThePictureBefore) {
    PictureWindow w;
    NoWaitClock clock;
    w.window->Picture().Animation().UseClock(clock);
    WritePicture(w.dir / "images/jpgs/3020.jpg", Qt::blue);
    WriteSeeThroughAnimation(w.dir / "images/gifs/3001.gif", {Qt::red, Qt::yellow});
    w.Select("3020");
    ASSERT_GT(w.ShownOnScreen(Qt::blue), 1000);
    w.Select("3001");
    ASSERT_TRUE(w.window->Picture().Animation().Running());
    const auto right = [&] {
        return *w.Shown().PixelAddress(w.Shown().Width() * 3 / 4, w.Shown().Height() / 2);
    };
    EXPECT_TRUE(Near(right(), Qt::red));
    EXPECT_EQ(w.ShownOnScreen(Qt::blue), 0);
    // Played once through: the last frame stays, still over none of the picture before.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.window->Picture().Animation().Running(); }, 5000));
    EXPECT_TRUE(Near(right(), Qt::yellow));
    EXPECT_EQ(w.ShownOnScreen(Qt::blue), 0);
    EXPECT_GT(w.ShownOnScreen(Qt::white), 200) << "the see-through half shows the picture area's white";
}
