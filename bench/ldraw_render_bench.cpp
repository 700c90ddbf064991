// Render times of real parts against the floor of clearing and presenting the 800 x 800 target.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <optional>

#include "ldraw/ldraw_colors.h"
#include "ldraw/ldraw_view.h"
#include "ldraw/render_target.h"

namespace {

constexpr float kDegree = std::numbers::pi_v<float> / 180;

std::filesystem::path Library() {
    const char* shared = std::getenv("TESSARIN_SHARED_DATA");
    return std::filesystem::path(shared && *shared ? shared : "../shared/data") / "ldraw";
}

bool Prepare(benchmark::State& state) {
    LDrawDirectory = Library();
    if (!IsLDrawLibrary(LDrawDirectory)) {
        state.SkipWithError("LDraw sample library not found (set TESSARIN_SHARED_DATA)");
        return false;
    }
    LoadLDConfig(LDrawDirectory / "LDConfig.ldr");
    return true;
}

void ClearAndPresent(benchmark::State& state) {
    QImage canvas(800, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        InitRenderTarget(800, 800);
        DrawRenderTarget(canvas);
    }
}
BENCHMARK(ClearAndPresent)->Unit(benchmark::kMillisecond);

// Clear, render and present, as the picture chooser does.
void RenderPart(benchmark::State& state, const char* part, float scale) {
    if (!Prepare(state)) return;
    const std::optional<std::filesystem::path> found = LDrawPartFile(LDrawDirectory, part);
    if (!found) {
        state.SkipWithError("part not in the sample library");
        return;
    }
    const std::filesystem::path file = *found;
    QImage canvas(800, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        InitRenderTarget(800, 800);
        RenderLDrawFile(file, 4, nullptr, scale, -45 * kDegree, 35 * kDegree, -30 * kDegree, nullptr);
        DrawRenderTarget(canvas);
    }
    const RenderStats& stats = CurrentRenderTarget()->stats;
    state.counters["primitives"] = static_cast<double>(stats.primitives);
    state.counters["pixels"] = static_cast<double>(stats.pixelsWritten);
}
BENCHMARK_CAPTURE(RenderPart, brick_3001_scale1, "3001", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderPart, brick_3001_scale10, "3001", 10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderPart, baseplate_3811_scale1, "3811", 1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
