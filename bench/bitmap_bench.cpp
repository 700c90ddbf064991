#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include "support/bench_main.h"
#include "ui/bitmap/image_view.h"
#include "ui/bitmap/resamplers.h"

namespace {

constexpr int kSide = 800;

void Paint(Bitmap32& b, int w, int h) {
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *b.PixelAddress(x, y) = uint32_t((x * 7 + y) & 0xFF) << 24 | uint32_t(x & 0xFF) << 16 |
                                    uint32_t(y & 0xFF) << 8 | uint32_t((x ^ y) & 0xFF);
}

std::vector<Color32> Pixels(uint32_t seed) {
    std::vector<Color32> v(size_t(kSide) * kSide);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = uint32_t(i * 2654435761u + seed);
    return v;
}

void BlendProcessorBench(benchmark::State& state, BlendProcessor processor) {
    if (!UseBlendProcessor(processor)) {
        state.SkipWithError("processor not present");
        return;
    }
    const std::vector<Color32> src = Pixels(1);
    std::vector<Color32> dst = Pixels(2);
    for (auto _ : state) {
        for (int y = 0; y < kSide; ++y)
            BlendLine(src.data() + size_t(y) * kSide, dst.data() + size_t(y) * kSide, kSide);
        benchmark::DoNotOptimize(dst.data());
    }
    UseBlendProcessor(BestBlendProcessor());
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide * 4 * 3);
}

void BM_Blend800_Scalar(benchmark::State& s) {
    BlendProcessorBench(s, BlendProcessor::Scalar);
}
void BM_Blend800_SSE2(benchmark::State& s) {
    BlendProcessorBench(s, BlendProcessor::SSE2);
}
void BM_Blend800_AVX2(benchmark::State& s) {
    BlendProcessorBench(s, BlendProcessor::AVX2);
}

// The memory floor of a blend: read two pictures, write one.
void BM_Blend800_MemoryFloor(benchmark::State& state) {
    const std::vector<Color32> src = Pixels(1);
    std::vector<Color32> dst = Pixels(2);
    for (auto _ : state) {
        for (size_t i = 0; i < dst.size(); ++i)
            dst[i] ^= src[i];
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide * 4 * 3);
}

void BM_Copy800_Transfer(benchmark::State& state) {
    Bitmap32 src, dst;
    Paint(src, kSide, kSide);
    dst.SetSize(kSide, kSide);
    for (auto _ : state) {
        TransferStretched(dst, dst.FullRect(), dst.FullRect(), src, src.FullRect(), StretchFilter::sfNearest,
                          DrawMode::dmOpaque, {});
        benchmark::DoNotOptimize(dst.Bits());
    }
}

void BM_Copy800_Memcpy(benchmark::State& state) {
    const std::vector<Color32> src = Pixels(1);
    std::vector<Color32> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::DoNotOptimize(dst.data());
    }
}

void ResampleBench(benchmark::State& state, int from, int to) {
    Bitmap32 src, dst;
    Paint(src, from, from);
    src.SetAllAlpha(255);
    dst.SetSize(to, to);
    for (auto _ : state) {
        TransferStretched(dst, dst.FullRect(), dst.FullRect(), src, src.FullRect(), StretchFilter::sfLanczos,
                          DrawMode::dmOpaque, {});
        benchmark::DoNotOptimize(dst.Bits());
    }
}

void BM_Lanczos_800_to_400(benchmark::State& s) {
    ResampleBench(s, 800, 400);
}
void BM_Lanczos_400_to_800(benchmark::State& s) {
    ResampleBench(s, 400, 800);
}

// The peer's time for the same resize: one whole run of the program, and a run that only reads and
// writes the files, so the difference is its resize alone.
void PeerBench(benchmark::State& state, int from, int to, bool resize) {
    if (!std::filesystem::exists("/usr/bin/convert")) {
        state.SkipWithError("ImageMagick not installed");
        return;
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string in = (dir / ("bitmap_bench_" + std::to_string(from) + ".ppm")).string();
    const std::string out = (dir / "bitmap_bench_out.ppm").string();
    {
        std::ofstream file(in, std::ios::binary);
        file << "P6\n" << from << " " << from << "\n255\n";
        for (int i = 0; i < from * from; ++i)
            file.put(char(i)).put(char(i >> 3)).put(char(i >> 7));
    }
    const std::string size = std::to_string(to) + "x" + std::to_string(to) + "!";
    const std::string command =
        "/usr/bin/convert " + in + (resize ? " -filter Lanczos -resize " + size : "") + " " + out;
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("convert failed");
    std::filesystem::remove(in);
    std::filesystem::remove(out);
}

void BM_Peer_Lanczos_800_to_400(benchmark::State& s) {
    PeerBench(s, 800, 400, true);
}
void BM_Peer_ReadWrite_800(benchmark::State& s) {
    PeerBench(s, 800, 400, false);
}
void BM_Peer_Lanczos_400_to_800(benchmark::State& s) {
    PeerBench(s, 400, 800, true);
}
void BM_Peer_ReadWrite_400(benchmark::State& s) {
    PeerBench(s, 400, 800, false);
}

// The part picture's own path: a 400 x 400 picture shown at a scale in an 800 x 800 view, drawn
// nearest-neighbour into the view's buffer and onto the widget, as each repaint after a scale change does.
void BM_ImageViewRepaint(benchmark::State& state) {
    const double scale = static_cast<double>(state.range(0)) / 100;
    Image32 view;
    view.resize(kSide, kSide);
    view.SetScaleMode(Image32::smScale);
    view.SetBitmapAlign(Image32::baCenter);
    Bitmap32 picture;
    Paint(picture, 400, 400);
    view.SetBitmap(picture);
    view.SetScale(scale);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        view.Invalidate();
        view.repaint();
    }
}

// The peer: a plain widget painting the same picture scaled by the same factor without smoothing.
class PlainPicture : public QWidget {
  public:
    PlainPicture(const QImage& picture, double scale) : picture_(picture), scale_(scale) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        const QSizeF size = QSizeF(picture_.size()) * scale_;
        painter.drawImage(QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size),
                          picture_);
    }

  private:
    QImage picture_;
    double scale_;
};

void BM_PeerImageRepaint(benchmark::State& state) {
    Bitmap32 picture;
    Paint(picture, 400, 400);
    PlainPicture view(picture.AsImage().copy(), static_cast<double>(state.range(0)) / 100);
    view.resize(kSide, kSide);
    view.show();
    QApplication::processEvents();
    for (auto _ : state)
        view.repaint();
}

} // namespace

BENCHMARK(BM_ImageViewRepaint)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerImageRepaint)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Blend800_Scalar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Blend800_SSE2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Blend800_AVX2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Blend800_MemoryFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy800_Transfer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy800_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lanczos_800_to_400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lanczos_400_to_800)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_Lanczos_800_to_400)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Peer_ReadWrite_800)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Peer_Lanczos_400_to_800)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Peer_ReadWrite_400)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, {},
                         {{"BM_ImageViewRepaint", "BM_PeerImageRepaint"},
                          {"BM_Copy800_Transfer", "BM_Copy800_Memcpy"},
                          {"BM_Blend800_AVX2", "BM_Blend800_MemoryFloor"},
                          {"BM_Lanczos_800_to_400", "BM_Peer_Lanczos_800_to_400"},
                          {"BM_Lanczos_400_to_800", "BM_Peer_Lanczos_400_to_800"}});
}
