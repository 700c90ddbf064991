#include "ldraw/render_target.h"

#include <algorithm>
#include <cmath>
#include <limits>

RenderTarget::RenderTarget(int w, int h)
    : width(std::max(w, 1)), height(std::max(h, 1)),
      zBuffer(static_cast<size_t>(width) * static_cast<size_t>(height)), frameBuffer(width, height, 24),
      spanDepths(static_cast<size_t>(width) + 8) {
    Clear();
}

void RenderTarget::Clear() {
    // Only the first row is set element by element; copying it to the others is several times faster.
    auto firstRow = zBuffer.begin(), secondRow = firstRow + width;
    std::fill(firstRow, secondRow, std::numeric_limits<int32_t>::max());
    for (auto row = secondRow; row != zBuffer.end(); row += width)
        std::copy(firstRow, secondRow, row);
    std::fill_n(frameBuffer.Bits(), frameBuffer.ImageSize(), uint8_t{0xFF});
    stats = {};
}

void PresentRenderBuffer(const RenderTarget& target, QImage& canvas) {
    target.frameBuffer.Draw(canvas);
}
