#include "print/report/flood_fill.h"

#include <algorithm>
#include <vector>

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
    // A region is built from rectangles in rows, top to bottom and left to right within a row.
    std::sort(spans.begin(), spans.end(), [](const QRect& a, const QRect& b) {
        return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
    QRegion region;
    region.setRects(spans.data(), static_cast<int>(spans.size()));
    return region;
}
