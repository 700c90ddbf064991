// The animation painter: pacing, loops and disposal against a clock of our own, and stopping threads.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <mutex>

#include "formats/gif/gif_image.h"
#include "gif_test_support.h"

using namespace gif_test;

namespace {

const std::vector<uint32_t> kColors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

// Time that passes only by waiting; every wait is written down.
class FakeClock : public PaintClock {
  public:
    int64_t NowMs() const override { return now_; }
    bool WaitFor(std::unique_lock<std::mutex>&, std::condition_variable&, int64_t ms,
                 const std::function<bool()>& woken) override {
        Log("wait " + std::to_string(ms));
        now_ += std::max<int64_t>(ms, 0);
        return woken();
    }
    void Log(const std::string& entry) {
        std::lock_guard lock(mutex_);
        log_.push_back(entry);
    }
    // The log with runs of waits added up.
    std::vector<std::string> Events() {
        std::lock_guard lock(mutex_);
        std::vector<std::string> events;
        int64_t waited = -1;
        for (const std::string& entry : log_) {
            if (entry.rfind("wait ", 0) == 0) {
                waited = std::max<int64_t>(waited, 0) + std::stoll(entry.substr(5));
                continue;
            }
            if (waited >= 0) events.push_back("wait " + std::to_string(waited));
            waited = -1;
            events.push_back(entry);
        }
        return events;
    }

  private:
    std::mutex mutex_;
    std::vector<std::string> log_;
    int64_t now_ = 0;
};

// Frames of 2 x 1 pixels of one colour each, after the given extensions.
std::string Animation(const std::vector<std::string>& before, const std::vector<int>& colors,
                      const std::string& first = "") {
    std::string out = Header(2, 1, kColors) + first;
    for (size_t i = 0; i < colors.size(); ++i)
        out += before[i] + Descriptor(0, 0, 2, 1) + RootCodes({colors[i], colors[i]});
    return out + ";";
}

void Watch(GIFImage& image, FakeClock& clock) {
    image.SetPaintClock(clock);
    image.OnPaint = [&](GIFPainter& p) { clock.Log("frame " + std::to_string(p.ActiveImage())); };
    image.OnLoop = [&](GIFPainter&) { clock.Log("loop"); };
    image.OnEndPaint = [&](GIFPainter& p) { clock.Log("end " + std::to_string(p.ActiveImage())); };
}

// Runs what painter threads hand to this thread until the image has no painter at work.
void RunUntilDone(GIFImage& image) {
    while (image.CurrentPainter() && !image.CurrentPainter()->Done())
        QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
    image.StopPainters();
}

} // namespace

TEST(GifPainter, DelaysHaveAMinimumADefaultAndWithoutThreadsACap) {
    GIFImage image;
    ASSERT_EQ(Load(image, Animation({Control(1, 1), Control(1, 2000), Control(1, 0), ""}, {1, 2, 3, 1})), "");
    FakeClock clock;
    Watch(image, clock);
    image.SetDrawFlags(dfAnimate | dfDirectDraw);
    GIFCanvas canvas(QImage(2, 1, QImage::Format_RGB32));
    image.Draw(canvas, {0, 0, 2, 1});
    // One unit before the first frame, then 3 units at least, 10 for no delay, 1000 units at most.
    EXPECT_EQ(clock.Events(),
              (std::vector<std::string>{"wait 12", "frame 0", "wait 36", "frame 1", "wait 12000", "frame 2",
                                        "wait 120", "frame 3", "end -1"}));
    EXPECT_EQ(canvas.Image().pixel(0, 0), qRgb(255, 0, 0));

    FakeClock faster;
    Watch(image, faster);
    image.SetSpeedPercent(200);
    image.Draw(canvas, {0, 0, 2, 1});
    EXPECT_EQ(faster.Events()[2], "wait 18");
}

TEST(GifPainter, LoopsAsTheLoopExtensionSays) {
    GIFImage image;
    ASSERT_EQ(Load(image, Animation({"", ""}, {1, 2}, LoopExtension(2))), "");
    FakeClock clock;
    Watch(image, clock);
    image.SetDrawFlags(dfAnimate | dfLoop | dfDirectDraw);
    GIFCanvas canvas(QImage(2, 1, QImage::Format_RGB32));
    image.Draw(canvas, {0, 0, 2, 1});
    EXPECT_EQ(clock.Events(),
              (std::vector<std::string>{"wait 12", "frame 0", "wait 120", "frame 1", "loop", "wait 120",
                                        "frame 0", "wait 120", "frame 1", "end -1"}));
    // Without dfLoop each frame once; a threaded painter with loop count 0 goes on until stopped.
    FakeClock once;
    Watch(image, once);
    image.SetDrawFlags(dfAnimate | dfDirectDraw);
    image.Draw(canvas, {0, 0, 2, 1});
    EXPECT_EQ(once.Events().size(), 5u);

    ASSERT_EQ(Load(image, Animation({"", ""}, {1, 2}, LoopExtension(0))), "");
    FakeClock endless;
    Watch(image, endless);
    int shown = 0;
    image.OnAfterPaint = [&](GIFPainter& p) {
        if (++shown == 7) p.Stop();
    };
    image.SetDrawFlags(dfThreaded | dfAnimate | dfLoop | dfDirectDraw);
    image.Draw(canvas, {0, 0, 2, 1});
    RunUntilDone(image);
    EXPECT_EQ(shown, 7);
    // Threaded, the first frame shows at once.
    EXPECT_EQ(endless.Events()[0], "frame 0");
}

TEST(GifPainter, DisposalRestoresTheBackgroundOrThePreviousState) {
    GIFImage image;
    // Background index 3 (blue). Frame 0 red over the screen, restored to the background after it is
    // shown; frame 1 green at the right; frame 2 black at the left, then restored to what was before it;
    // frame 3 lies off the screen and shows what that left.
    std::string bytes = Header(2, 1, kColors);
    bytes[11] = 3;
    bytes += Control(2, 5) + Descriptor(0, 0, 2, 1) + RootCodes({1, 1});
    bytes += Control(1, 5) + Descriptor(1, 0, 1, 1) + RootCodes({2});
    bytes += Control(3, 5) + Descriptor(0, 0, 1, 1) + RootCodes({0});
    bytes += Control(1, 5) + Descriptor(5, 0, 1, 1) + RootCodes({0}) + ";";
    ASSERT_EQ(Load(image, bytes), "");
    FakeClock clock;
    Watch(image, clock);
    std::vector<std::pair<QRgb, QRgb>> shown;
    GIFCanvas canvas(QImage(2, 1, QImage::Format_RGB32));
    canvas.Image().fill(qRgb(7, 7, 7));
    image.OnAfterPaint = [&](GIFPainter&) {
        shown.push_back({canvas.Image().pixel(0, 0), canvas.Image().pixel(1, 0)});
    };
    image.SetDrawFlags(dfAnimate | dfDirectDraw);
    image.Draw(canvas, {0, 0, 2, 1});
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255), black = qRgb(0, 0, 0);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], std::make_pair(red, red));
    EXPECT_EQ(shown[1], std::make_pair(blue, green));
    EXPECT_EQ(shown[2], std::make_pair(black, green));
    EXPECT_EQ(shown[3], std::make_pair(blue, green));
}

TEST(GifPainter, ThreadsStopAtOnceAndDropDrawingForAGoneCanvas) {
    GIFImage image;
    // Delays of 65535 hundredths: 13 minutes a frame.
    ASSERT_EQ(Load(image, Animation({Control(1, 65535), Control(1, 65535)}, {1, 2})), "");
    image.SetDrawFlags(dfThreaded | dfAnimate | dfDirectDraw);
    GIFCanvas canvas(QImage(2, 1, QImage::Format_RGB32));
    image.Draw(canvas, {0, 0, 2, 1});
    ASSERT_NE(image.CurrentPainter(), nullptr);
    while (!image.CurrentPainter()->Painted())
        QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
    EXPECT_EQ(canvas.Image().pixel(1, 0), qRgb(255, 0, 0));
    image.StopPainters(); // during the first long wait
    EXPECT_EQ(image.CurrentPainter(), nullptr);

    // Short delays, and the canvas goes away between two frames: the painter ends without drawing.
    ASSERT_EQ(Load(image, Animation({Control(1, 1), Control(1, 1)}, {1, 2})), "");
    auto gone = std::make_unique<GIFCanvas>(QImage(2, 1, QImage::Format_RGB32));
    int painted = 0;
    gone->OnChange = [&] { ++painted; };
    image.Draw(*gone, {0, 0, 2, 1});
    while (painted == 0)
        QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
    gone.reset();
    RunUntilDone(image);
    EXPECT_EQ(painted, 1);

    // A handler that fails ends the painter with a warning; nothing crosses the event loop.
    std::vector<QString> warnings;
    image.OnWarning = [&](const GIFItem*, int, const QString& text) { warnings.push_back(text); };
    image.OnPaint = [](GIFPainter&) { throw std::runtime_error("handler failed"); };
    image.Draw(canvas, {0, 0, 2, 1});
    RunUntilDone(image);
    EXPECT_EQ(warnings, std::vector<QString>{"handler failed"});
    image.OnPaint = {};

    // Drawn through the cached bitmap: the draw returns with the first frame on the target.
    image.SetDrawFlags(dfThreaded | dfAnimate);
    canvas.Image().fill(0);
    image.Draw(canvas, {0, 0, 2, 1});
    EXPECT_EQ(canvas.Image().pixel(0, 0), qRgb(255, 0, 0));
    image.StopPainters();
}
