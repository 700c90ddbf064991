// Render times of real parts against the floor of clearing and presenting the 800 x 800 target.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <optional>

#include "ldraw/ldraw_colors.h"
#include "ldraw/ldraw_view.h"

namespace {

constexpr float kDegree = std::numbers::pi_v<float> / 180;

std::filesystem::path Library() {
    const char* shared = std::getenv("TESSARIN_SHARED_DATA");
    return std::filesystem::path(shared && *shared ? shared : "../shared/data") / "ldraw";
}

bool Prepare(benchmark::State& state, LDrawRenderer& renderer) {
    renderer.SetLibrary(Library());
    if (!IsLDrawLibrary(renderer.Library())) {
        state.SkipWithError("LDraw sample library not found (set TESSARIN_SHARED_DATA)");
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

// Clear, render and present, as the picture chooser does.
void RenderPart(benchmark::State& state, const char* part, float scale) {
    LDrawRenderer renderer;
    if (!Prepare(state, renderer)) return;
    const std::optional<std::filesystem::path> found = LDrawPartFile(renderer.Library(), part);
    if (!found) {
        state.SkipWithError("part not in the sample library");
        return;
    }
    const std::filesystem::path file = *found;
    QImage canvas(800, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        renderer.InitTarget(800, 800);
        renderer.RenderFile(file, {4, scale, -45 * kDegree, 35 * kDegree, -30 * kDegree, {}});
        renderer.Present(canvas);
    }
    const RenderStats& stats = renderer.Target()->stats;
    state.counters["primitives"] = static_cast<double>(stats.primitives);
    state.counters["pixels"] = static_cast<double>(stats.pixelsWritten);
}
BENCHMARK_CAPTURE(RenderPart, brick_3001_scale1, "3001", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderPart, brick_3001_scale10, "3001", 10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderPart, baseplate_3811_scale1, "3811", 1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
