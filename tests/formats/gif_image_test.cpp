// The picture class around the frames: copying, the clipboard, growing the screen and the optimizer.
#include <gtest/gtest.h>

#include <QMimeData>

#include "formats/gif/gif_error.h"
#include "formats/gif/gif_image.h"
#include "gif_test_support.h"

using namespace gif_test;

namespace {

const std::vector<uint32_t> kColors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

// Two 4 x 1 frames over a 4 x 1 screen; the second repeats the first but for its last pixel.
std::string TwoFrames() {
    return Header(4, 1, kColors) + LoopExtension(3) + Control(1, 20) + Descriptor(0, 0, 4, 1) +
           RootCodes({1, 2, 3, 1}) + Control(1, 30) + Descriptor(0, 0, 4, 1) + RootCodes({1, 2, 3, 2}) + ";";
}

} // namespace

TEST(GifImage, CopiesAndTheClipboardKeepFramesAndExtensions) {
    GIFImage source;
    ASSERT_EQ(Load(source, TwoFrames()), "");
    source.SetDrawFlags(dfAnimate);
    source.SetQuantizeBits(3);
    GIFImage copy;
    copy.Assign(source);
    EXPECT_EQ(Save(copy), Save(source));
    EXPECT_EQ(copy.DrawFlags(), dfAnimate);
    EXPECT_EQ(copy.QuantizeBits(), 8); // not copied

    QMimeData data;
    source.SaveToMimeData(data);
    GIFImage pasted;
    pasted.LoadFromMimeData(data);
    EXPECT_EQ(Save(pasted), Save(source));
    // Without the GIF bytes, the bitmap becomes the one frame.
    QMimeData bitmapOnly;
    bitmapOnly.setImageData(data.imageData());
    pasted.LoadFromMimeData(bitmapOnly);
    ASSERT_EQ(pasted.FrameCount(), 1);
    EXPECT_EQ(FrameColors(pasted.Frame(0)), FrameColors(source.Frame(0)));
    EXPECT_THROW(pasted.LoadFromMimeData(QMimeData()), GIFException);
}

TEST(GifImage, AFrameLargerThanTheScreenWidensIt) {
    GIFImage image;
    std::vector<QString> warnings;
    image.OnWarning = [&](const GIFItem*, int, const QString& text) { warnings.push_back(text); };
    ASSERT_EQ(Load(image, TwoFrames()), "");
    auto frame = std::make_unique<GIFSubImage>(image);
    frame->SetBounds(2, 0, 3, 1);
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(warnings, (std::vector<QString>{"Image width too small for contained frames",
                                              "Image exceeds Logical Screen size"}));
}

TEST(GifImage, OptimizerMakesRepeatedPixelsTransparentAndCropsToWhatIsLeft) {
    GIFImage image;
    ASSERT_EQ(Load(image, TwoFrames()), "");
    image.Optimize(ooMerge | ooCrop, ColorReduction::crNone);
    ASSERT_EQ(image.FrameCount(), 2);
    const GIFSubImage& second = image.Frame(1);
    // Only the last pixel differs from the first frame: a 1 x 1 frame at (3, 0), which keeps its delay.
    EXPECT_EQ(second.BoundsRect(), (Rect{3, 0, 4, 1}));
    EXPECT_EQ(FrameColors(second), (std::vector<QRgb>{qRgb(0, 255, 0)}));
    EXPECT_EQ(second.GraphicControlExtension()->Delay(), 30);
    // A frame that repeats the one before it entirely goes, its time added to that frame.
    ASSERT_EQ(Load(image, Header(4, 1, kColors) + Control(1, 20, 0) + Descriptor(0, 0, 4, 1) +
                              RootCodes({1, 2, 3, 1}) + Control(1, 30) + Descriptor(0, 0, 4, 1) +
                              RootCodes({1, 2, 3, 1}) + ";"),
              "");
    image.Optimize(ooMerge | ooCrop, ColorReduction::crNone);
    ASSERT_EQ(image.FrameCount(), 1);
    EXPECT_EQ(image.Frame(0).GraphicControlExtension()->Delay(), 50);
    EXPECT_THROW(image.Optimize(ooReduceColors, ColorReduction::crGivenPalette), GIFException);
}

TEST(GifImage, OptimizerCleansUpTransparencyAndDisposalThatChangeNothing) {
    GIFImage image;
    // Frame 0 names a transparent index none of its pixels has and is covered by frame 1.
    ASSERT_EQ(Load(image, Header(4, 1, kColors) + Control(1, 20, 0) + Descriptor(0, 0, 4, 1) +
                              RootCodes({1, 2, 3, 1}) + Control(1, 30) + Descriptor(0, 0, 4, 1) +
                              RootCodes({1, 2, 3, 2}) + ";"),
              "");
    image.Optimize(ooCleanup | ooColorMap, ColorReduction::crNone);
    EXPECT_FALSE(image.Frame(0).Transparent());
    EXPECT_EQ(image.Frame(0).GraphicControlExtension()->Disposal(), 0);
    // The global table is sorted by use: red twice, green twice, blue twice, black never.
    EXPECT_TRUE(image.Header().ColorMap().Sorted());
    EXPECT_EQ(image.Header().ColorMap().Count(), 3);
    EXPECT_EQ(FrameColors(image.Frame(1)),
              (std::vector<QRgb>{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 255, 0)}));
}

TEST(GifImage, FramePixelsAreReadWithinTheFrameOnly) {
    GIFImage image;
    ASSERT_EQ(Load(image, TwoFrames()), "");
    GIFSubImage& frame = image.Frame(1);
    EXPECT_EQ(frame.Pixels(3, 0), 2);
    for (auto [x, y] : {std::pair{4, 0}, {-1, 0}, {0, 1}}) {
        try {
            frame.Pixels(x, y);
            ADD_FAILURE() << x << "," << y;
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Invalid pixel coordinates");
        }
    }
    GIFSubImage empty(image);
    EXPECT_THROW(empty.ScanLine(0), GIFException);
}
