#include "ldraw/render_target.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

std::unique_ptr<RenderTarget>& Current() {
    static std::unique_ptr<RenderTarget> target;
    return target;
}

int32_t Clamped(float value, float limit) {
    if (std::isnan(value)) return 0;
    if (value >= limit)
        return static_cast<int32_t>(std::min<double>(limit, std::numeric_limits<int32_t>::max()));
    if (value <= -limit) return static_cast<int32_t>(-limit);
    return static_cast<int32_t>(value);
}

} // namespace

int32_t TruncToInt(float value) {
    return Clamped(value, 2147483648.0f);
}

int32_t ScreenInt(float value) {
    return Clamped(value, kScreenLimit);
}

ScreenPoint ToScreen(const float p[3]) {
    return {ScreenInt(p[0]), ScreenInt(p[1]), ScreenInt(p[2])};
}

RenderTarget::RenderTarget(int w, int h)
    : width(std::max(w, 1)), height(std::max(h, 1)), zBuffer(static_cast<size_t>(width) * height),
      frameBuffer(width, height, 24) {
    Clear();
}

void RenderTarget::Clear() {
    std::fill(zBuffer.begin(), zBuffer.end(), std::numeric_limits<int32_t>::max());
    std::fill_n(frameBuffer.Bits(), frameBuffer.ImageSize(), uint8_t{0xFF});
    stats = {};
}

void InitRenderTarget(int width, int height) {
    Current().reset();
    Current() = std::make_unique<RenderTarget>(width, height);
}

void FreeRenderTarget() {
    Current().reset();
}

RenderTarget* CurrentRenderTarget() {
    return Current().get();
}

int RenderWidth() {
    return Current() ? Current()->width : 0;
}

int RenderHeight() {
    return Current() ? Current()->height : 0;
}

void PresentRenderBuffer(const RenderTarget& target, QImage& canvas) {
    target.frameBuffer.Draw(canvas);
}

void DrawRenderTarget(QImage& canvas) {
    if (Current()) PresentRenderBuffer(*Current(), canvas);
}
