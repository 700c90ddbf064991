#include <gtest/gtest.h>

#include <QShortcut>
#include <QTest>

#include "formats/picture_formats.h"
#include "formats/png_test_files.h"
#include "support/test_support.h"
#include "ui/bitmap/image_view.h"

namespace {

void Fill(Bitmap32& b, int w, int h, Color32 c) {
    b.SetSize(w, h);
    b.FillAll(c);
}

QImage Grab(Image32& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class BoxLayer : public Layer {
  public:
    explicit BoxLayer(Rect r) : box(r) { LayerOptions |= LOB_MOUSE_EVENTS; }
    std::unique_ptr<Layer> Clone() const override { return std::make_unique<BoxLayer>(*this); }
    bool HitTest(int x, int y) override { return box.Contains(x, y); }
    void Paint(Bitmap32& buffer) override {
        buffer.FillRectClipped(box.Left, box.Top, box.Right, box.Bottom, 0xFF0000FF);
    }
    Rect box;
};

} // namespace

TEST(ImageView, CentredScaledPictureLandsWhereComputedAndTheRestIsBackground) {
    Image32 view;
    view.resize(192, 193);
    view.SetColor(clWhite);
    view.SetBitmapAlign(Image32::baCenter);
    view.SetScaleMode(Image32::smScale);
    Fill(view.Bitmap(), 101, 40, 0x00FF0000); // alpha 0: still shown red
    EXPECT_EQ(view.GetBitmapRect(), (Rect{45, 76, 146, 116}));
    QImage shot = Grab(view);
    EXPECT_EQ(shot.pixel(45, 76), 0xFFFF0000u);
    EXPECT_EQ(shot.pixel(145, 115), 0xFFFF0000u);
    EXPECT_EQ(shot.pixel(44, 76), 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(146, 100), 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(100, 116), 0xFFFFFFFFu);

    view.SetScale(2.0);
    EXPECT_EQ(view.GetBitmapRect(), (Rect{-5, 56, 197, 136}));
    shot = Grab(view);
    EXPECT_EQ(shot.pixel(0, 56), 0xFFFF0000u);
    EXPECT_EQ(shot.pixel(0, 55), 0xFFFFFFFFu);
    EXPECT_EQ(view.GetTransform().ScaleX, 0x20000);
    EXPECT_EQ(view.GetTransform().RevScaleY, 0x8000);

    // The transparent white blank shows white.
    view.Bitmap().FillAll(0x00FFFFFF);
    EXPECT_EQ(Grab(view).pixel(100, 100), 0xFFFFFFFFu);
}

TEST(ImageView, ScaleModesAndLimits) {
    Image32 view;
    view.resize(192, 193);
    Fill(view.Bitmap(), 100, 50, 0xFF000000);
    view.SetScaleMode(Image32::smResize);
    EXPECT_EQ(view.GetBitmapSize(), QSize(192, 96));
    view.SetScaleMode(Image32::smStretch);
    EXPECT_EQ(view.GetBitmapSize(), QSize(192, 193));
    int changes = 0;
    view.OnChange = [&] { ++changes; };
    view.SetScale(0);
    EXPECT_EQ(view.Scale(), 0.001);
    view.SetScale(0);
    EXPECT_EQ(changes, 1);
    // A scale that rounds the picture away keeps an identity transform instead of dividing by zero.
    view.SetScaleMode(Image32::smScale);
    EXPECT_TRUE(view.GetBitmapRect().IsEmpty());
    EXPECT_EQ(view.GetTransform().RevScaleX, 0x10000);
    EXPECT_NO_THROW(Grab(view));
    EXPECT_THROW(view.EndUpdate(), std::logic_error);
}

TEST(ImageView, EmptyPictureShowsTheColourAndTheBufferKeepsSlack) {
    Image32 view;
    view.resize(192, 60);
    view.SetColor(0x00FF00); // window-system order: green
    EXPECT_EQ(Grab(view).pixel(10, 10), 0xFF00FF00u);
    EXPECT_EQ(view.Buffer().Width(), 232);
    view.resize(222, 60);
    Grab(view);
    EXPECT_EQ(view.Buffer().Width(), 232);
    view.resize(142, 60);
    Grab(view);
    EXPECT_EQ(view.Buffer().Width(), 142);
}

TEST(ImageView, SwatchFillsTheControlWithoutBackgroundBands) {
    Image32 swatch;
    swatch.resize(20, 20);
    swatch.SetColor(clWhite);
    int stagesRun = 0;
    swatch.PaintStages().insert(swatch.PaintStages().begin() + 1, {false, true, Image32::PST_CUSTOM, 0});
    swatch.OnPaintStage = [&](Bitmap32& buffer, int stage) {
        ++stagesRun;
        EXPECT_EQ(stage, 1);
        // The background stage left the buffer alone: the covered control gets no bands.
        EXPECT_EQ(*buffer.PixelAddress(0, 0), 0u);
    };
    Fill(swatch.Bitmap(), 20, 20, 0xFF123456);
    const QImage shot = Grab(swatch);
    EXPECT_EQ(stagesRun, 1);
    EXPECT_EQ(shot.pixel(0, 0), 0xFF123456u);
    EXPECT_EQ(shot.pixel(19, 19), 0xFF123456u);
}

TEST(ImageView, LayersPaintAndTakeTheMouseFromTheTopDown) {
    Image32 view;
    view.resize(50, 50);
    view.Layers().Add(std::make_unique<BoxLayer>(Rect{0, 0, 30, 30}));
    view.Layers().Add(std::make_unique<BoxLayer>(Rect{10, 10, 40, 40}));
    Layer* hit = nullptr;
    int downs = 0, clicks = 0;
    view.OnMouseDown = [&](Qt::MouseButton, Qt::KeyboardModifiers, int, int, Layer* layer) {
        hit = layer;
        ++downs;
    };
    view.OnClick = [&] { ++clicks; };
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(15, 15));
    EXPECT_EQ(hit, view.Layers().Item(1));
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(hit, view.Layers().Item(0));
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(45, 45));
    EXPECT_EQ(hit, nullptr);
    EXPECT_EQ(downs, 3);
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(view.Layers().MouseListener(), nullptr);
    EXPECT_EQ(Grab(view).pixel(35, 35), 0xFF0000FFu);
    view.Layers().Clear();
    EXPECT_EQ(view.Layers().Count(), 0);
    EXPECT_THROW(view.Layers().EndUpdate(), std::logic_error);
}

TEST(ImageView, TransparentPngPixelsShowOverThePictureAreasWhite) {
    using namespace png_test;
    RegisterPictureFormats();
    TempDir dir;
    // RGBA: transparent red, half transparent black, opaque blue. Palette: red, green with tRNS alphas 0,
    // 255.
    WriteFileBytes(dir / "rgba.png",
                   kSignature + Header(3, 1, 8, 6) +
                       MakeChunk("IDAT", Deflate(std::string("\0\xFF\0\0\0\0\0\0\x80\0\0\xFF\xFF", 13))) +
                       MakeChunk("IEND", ""));
    WriteFileBytes(dir / "palette.png",
                   kSignature + Header(2, 1, 8, 3) + MakeChunk("PLTE", std::string("\xFF\0\0\0\xFF\0", 6)) +
                       MakeChunk("tRNS", std::string("\0\xFF", 2)) +
                       MakeChunk("IDAT", Deflate(std::string("\0\0\1", 3))) + MakeChunk("IEND", ""));
    Image32 view;
    view.resize(40, 30);
    view.SetColor(clWhite);
    view.SetBitmapAlign(Image32::baTopLeft);
    view.Bitmap().LoadFromFileName(dir / "rgba.png");
    QImage shot = Grab(view);
    EXPECT_EQ(shot.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(1, 0), 0xFF7F7F7Fu);
    EXPECT_EQ(shot.pixel(2, 0), 0xFF0000FFu);
    view.Bitmap().LoadFromFileName(dir / "palette.png");
    shot = Grab(view);
    EXPECT_EQ(shot.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(shot.pixel(2, 0), 0xFFFFFFFFu) << "beside the picture";
}

TEST(ImageView, InitStagesRunsOnceBeforeTheFirstShowing) {
    Image32 view;
    view.resize(20, 20);
    int inits = 0;
    std::vector<int> stagesRun;
    view.OnInitStages = [&] {
        ++inits;
        view.PaintStages().push_back({true, true, Image32::PST_CUSTOM, 0});
    };
    view.OnPaintStage = [&](Bitmap32&, int stage) { stagesRun.push_back(stage); };
    EXPECT_EQ(inits, 0);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.hide();
    view.show();
    EXPECT_EQ(inits, 1);
    Grab(view);
    ASSERT_FALSE(stagesRun.empty());
    EXPECT_EQ(stagesRun.back(), 5) << "the sixth stage, after the five default ones";
}

// Without the option the window's shortcuts may take the arrow keys; with it the control gets them.
TEST(ImageView, TheArrowKeyOptionKeepsArrowsForTheControl) {
    QWidget window;
    auto* view = new Image32(&window);
    view->setFocusPolicy(Qt::StrongFocus);
    int shortcuts = 0;
    std::vector<int> keys;
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Left), &window);
    QObject::connect(shortcut, &QShortcut::activated, [&] { ++shortcuts; });
    view->OnKeyDown = [&](int key, Qt::KeyboardModifiers) { keys.push_back(key); };
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Left);
    EXPECT_EQ(shortcuts, 1);
    EXPECT_TRUE(keys.empty());
    view->Options |= CustomPaintBox32::pboWantArrowKeys;
    QTest::keyClick(view, Qt::Key_Left);
    EXPECT_EQ(shortcuts, 1);
    EXPECT_EQ(keys, std::vector<int>{Qt::Key_Left});
    QTest::keyClick(view, Qt::Key_A);
    EXPECT_EQ(keys.back(), Qt::Key_A);
}

TEST(ImageView, LayerBatchesTellBeforeAndAfterAndAssignCopies) {
    LayerCollection layers;
    std::vector<std::string> told;
    layers.OnBeforeUpdate = [&] { told.push_back("before"); };
    layers.OnChange = [&] { told.push_back("change"); };
    layers.BeginUpdate();
    layers.Add(std::make_unique<BoxLayer>(Rect{0, 0, 5, 5}));
    layers.Add(std::make_unique<BoxLayer>(Rect{1, 1, 9, 9}));
    layers.EndUpdate();
    EXPECT_EQ(told, (std::vector<std::string>{"before", "change"}));

    LayerCollection copy;
    int changes = 0;
    copy.OnChange = [&] { ++changes; };
    copy.Add(std::make_unique<BoxLayer>(Rect{7, 7, 8, 8}));
    changes = 0;
    copy.Assign(layers);
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_NE(copy.Item(1), layers.Item(1));
    EXPECT_EQ(static_cast<BoxLayer*>(copy.Item(1))->box, (Rect{1, 1, 9, 9}));
}
