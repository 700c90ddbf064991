#include "print/report/flood_fill.h"

#include <algorithm>
#include <vector>

namespace {

// A region from one-pixel-high spans sorted by row and then column: rows with the same spans below each
// other join into one band, as a region keeps them.
QRegion RegionOfRows(const std::vector<QRect>& spans) {
    std::vector<QRect> bands;
    bands.reserve(spans.size());
    size_t band = 0; // first rectangle of the last band
    for (size_t row = 0; row < spans.size();) {
        size_t end = row;
        while (end < spans.size() && spans[end].top() == spans[row].top())
            ++end;
        const size_t count = end - row;
        const bool joins =
            band < bands.size() && bands.size() - band == count &&
            bands[band].bottom() + 1 == spans[row].top() &&
            std::equal(spans.begin() + static_cast<std::ptrdiff_t>(row),
                       spans.begin() + static_cast<std::ptrdiff_t>(end),
                       bands.begin() + static_cast<std::ptrdiff_t>(band), [](const QRect& a, const QRect& b) {
                           return a.left() == b.left() && a.width() == b.width();
                       });
        if (joins) {
            for (size_t i = band; i < bands.size(); ++i)
                bands[i].setBottom(spans[row].top());
        } else {
            band = bands.size();
            bands.insert(bands.end(), spans.begin() + static_cast<std::ptrdiff_t>(row),
                         spans.begin() + static_cast<std::ptrdiff_t>(end));
        }
        row = end;
    }
    QRegion region;
    region.setRects(bands.data(), static_cast<int>(bands.size()));
    return region;
}

} // namespace

QRegion FloodRegion(const QImage& image, QPoint seed, QRgb color, bool border) {
    const int width = image.width(), height = image.height();
    if (!image.rect().contains(seed)) return {};
    const QRgb target = color & RGB_MASK;
    std::vector<uint8_t> seen(static_cast<size_t>(width) * static_cast<size_t>(height));
    const auto fills = [&](int x, int y) {
        const size_t at = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
        if (seen[at]) return false;
        const QRgb pixel = reinterpret_cast<const QRgb*>(image.constScanLine(y))[x] & RGB_MASK;
        return (pixel == target) != border;
    };
    const auto mark = [&](int x, int y) {
        seen[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = 1;
    };

    // Span by span: each pixel joins one span and is looked at from at most three of them.
    std::vector<QRect> spans;
    std::vector<QPoint> pending{seed};
    while (!pending.empty()) {
        const QPoint at = pending.back();
        pending.pop_back();
        if (!fills(at.x(), at.y())) continue;
        int left = at.x(), right = at.x();
        while (left > 0 && fills(left - 1, at.y()))
            --left;
        while (right + 1 < width && fills(right + 1, at.y()))
            ++right;
        for (int x = left; x <= right; ++x)
            mark(x, at.y());
        spans.emplace_back(left, at.y(), right - left + 1, 1);
        for (const int y : {at.y() - 1, at.y() + 1}) {
            if (y < 0 || y >= height) continue;
            for (int x = left; x <= right; ++x)
                if (fills(x, y) && (x == left || !fills(x - 1, y))) pending.emplace_back(x, y);
        }
    }
    std::sort(spans.begin(), spans.end(), [](const QRect& a, const QRect& b) {
        return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
    return RegionOfRows(spans);
}
