#include "ui/list_sort.h"

namespace {

template <class Key, class ReadKey>
std::vector<Key> Keys(const std::vector<QStringView>& texts, ReadKey&& readKey) {
    std::vector<Key> keys;
    keys.reserve(texts.size());
    for (QStringView text : texts)
        keys.push_back(readKey(text.toString()));
    return keys;
}

} // namespace

std::vector<int> KeyedOrder(const std::vector<QStringView>& texts, SortStyle style, int sign,
                            const QString& prefix, const QString& suffix) {
    const int count = static_cast<int>(texts.size());
    const auto at = [](const auto& keys, int row) -> const auto& {
        return keys[static_cast<std::size_t>(row)];
    };
    switch (style) {
    case ssNone:
        return StableOrder(count, [sign](int, int) { return sign; });
    case ssNumeric:
    case ssNumericGrouped: {
        const auto keys = Keys<std::optional<double>>(texts, [&](const QString& text) {
            return NumberKey(text, prefix, suffix, style == ssNumericGrouped);
        });
        return StableOrder(count,
                           [&](int a, int b) { return sign * CompareNumberKeys(at(keys, a), at(keys, b)); });
    }
    case ssDateTime:
    case ssDateDMY:
    case ssDateMDY: {
        const auto keys = Keys<double>(texts, [style](const QString& text) { return DateKey(style, text); });
        return StableOrder(count,
                           [&](int a, int b) { return sign * CompareDateKeys(at(keys, a), at(keys, b)); });
    }
    case ssUpperText: {
        const auto keys = Keys<QString>(texts, [](const QString& text) { return text.toUpper(); });
        return StableOrder(count, [&](int a, int b) {
            return sign * CompareUpperKeys(at(keys, a), at(keys, b), at(texts, a), at(texts, b));
        });
    }
    default:
        return StableOrder(count,
                           [&](int a, int b) { return sign * CompareTextKeys(at(texts, a), at(texts, b)); });
    }
}
