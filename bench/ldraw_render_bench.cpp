// Render times of real parts against the floor of clearing and presenting the 800 x 800 target. The
// headline is a part filling the frame as the picture chooser shows it, rendered again (its files cached)
// and for the first time in the process (its files read and parsed).
// There is no whole-process peer: the distribution's LDraw viewer (leocad 21.06 in Debian 12) saves a
// picture from the command line only through an OpenGL context, which neither the offscreen nor the
// EGL platform gives it without a display ("Error creating OpenGL context"), so it cannot run here.
#include <benchmark/benchmark.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <optional>

#include "ldraw/ldraw_colors.h"
#include "ldraw/ldraw_view.h"
#include "ldraw/render_target.h"
#include "support/bench_main.h"

namespace {

constexpr float kDegree = std::numbers::pi_v<float> / 180;

bool Prepare(benchmark::State& state, LDrawRenderer& renderer) {
    renderer.SetLibrary(SampleLibrary());
    if (!IsLDrawLibrary(renderer.Library())) {
        state.SkipWithError("the LDraw sample library was not found in data/ldraw");
        return false;
    }
    renderer.Colours().Load(renderer.Library() / "LDConfig.ldr");
    return true;
}

void ClearAndPresent(benchmark::State& state) {
    LDrawRenderer renderer;
    QImage canvas(800, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        renderer.InitTarget(800, 800);
        renderer.Present(canvas);
    }
}
BENCHMARK(ClearAndPresent)->Unit(benchmark::kMillisecond);

void Render(LDrawRenderer& renderer, const std::filesystem::path& file, float scale, QImage& canvas) {
    renderer.InitTarget(800, 800);
    renderer.RenderFile(file, {4, scale, -45 * kDegree, 35 * kDegree, -30 * kDegree, {}});
    renderer.Present(canvas);
}

// The scale at which the part reaches to 95% of the frame's half width or height from its centre.
float FillingScale(LDrawRenderer& renderer, const std::filesystem::path& file) {
    QImage canvas(800, 800, QImage::Format_RGB32);
    Render(renderer, file, 1, canvas);
    int reach = 1;
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, y) != white) reach = std::max({reach, std::abs(x - 400), std::abs(y - 400)});
    return 0.95f * 400 / static_cast<float>(reach);
}

// Clear, render and present, as the picture chooser does; scale 0 fills the frame.
void RenderPart(benchmark::State& state, const char* part, float scale, bool firstInProcess) {
    LDrawRenderer renderer;
    if (!Prepare(state, renderer)) return;
    const std::optional<std::filesystem::path> found = LDrawPartFile(renderer.Library(), part);
    if (!found) {
        state.SkipWithError("part not in the sample library");
        return;
    }
    const std::filesystem::path file = *found;
    if (scale == 0) scale = FillingScale(renderer, file);
    QImage canvas(800, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        if (firstInProcess) {
            state.PauseTiming();
            renderer.FreeFileCache();
            state.ResumeTiming();
        }
        Render(renderer, file, scale, canvas);
    }
    const RenderStats& stats = renderer.Target()->stats;
    state.counters["scale"] = scale;
    state.counters["primitives"] = static_cast<double>(stats.primitives);
    state.counters["pixels"] = static_cast<double>(stats.pixelsWritten);
}
BENCHMARK_CAPTURE(RenderPart, brick_3001_filling, "3001", 0, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderPart, brick_3001_filling_first, "3001", 0, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderPart, baseplate_3811_filling, "3811", 0, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderPart, baseplate_3811_filling_first, "3811", 0, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderPart, brick_3001_scale1, "3001", 1, false)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, {},
                         {{"RenderPart/brick_3001_filling", "ClearAndPresent"},
                          {"RenderPart/brick_3001_filling_first", "RenderPart/brick_3001_filling"},
                          {"RenderPart/baseplate_3811_filling_first", "RenderPart/baseplate_3811_filling"}});
}
