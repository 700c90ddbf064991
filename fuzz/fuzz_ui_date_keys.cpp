#include <QString>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ui/list/list_compare.h"

// Imported lists sort their date columns by what the date styles read off the cell texts. The first byte
// chooses the style ('0' day first, '1' month first, '2' the locale's), the rest is two cell texts split at
// the first line feed. A key is a finite day count, a date parsed is a whole day, and the comparison is
// an order: a text equals itself and swapping the texts turns the answer round.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static constexpr SortStyle kStyles[] = {ssDateDMY, ssDateMDY, ssDateTime};
    const SortStyle style = kStyles[data[0] % 3];
    const char* text = reinterpret_cast<const char*>(data) + 1;
    const size_t length = size - 1;
    const void* feed = std::memchr(text, '\n', length);
    const size_t split = feed ? static_cast<size_t>(static_cast<const char*>(feed) - text) : length;
    const QString a = QString::fromUtf8(text, static_cast<qsizetype>(split));
    const QString b = split < length
                          ? QString::fromUtf8(text + split + 1, static_cast<qsizetype>(length - split - 1))
                          : QString();
    for (const QString* cell : {&a, &b}) {
        const double key = DateKey(style, *cell);
        if (!std::isfinite(key)) __builtin_trap();
        if (style != ssDateTime && key != std::floor(key)) __builtin_trap();
    }
    const int forward = CompareCellTexts(style, a, b, {}, {});
    if (forward != -CompareCellTexts(style, b, a, {}, {})) __builtin_trap();
    if (CompareCellTexts(style, a, a, {}, {}) != 0) __builtin_trap();
    if (forward != CompareDateKeys(DateKey(style, a), DateKey(style, b))) __builtin_trap();
    return 0;
}
