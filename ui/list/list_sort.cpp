#include "ui/list/list_sort.h"

#include <algorithm>
#include <numeric>

namespace {

template <class Key, class ReadKey>
std::vector<Key> Keys(const std::vector<QStringView>& texts, ReadKey&& readKey) {
    std::vector<Key> keys;
    keys.reserve(texts.size());
    for (QStringView text : texts)
        keys.push_back(readKey(text.toString()));
    return keys;
}

// Under a compare that orders consistently every stable sort finds the same order, and the library's is
// the quickest; the merge of StableOrder is kept for the styles that break the rules.
template <class Compare> std::vector<int> ConsistentOrder(int count, Compare&& compare) {
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });
    return order;
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
        const auto compare = [&](int a, int b) { return sign * CompareNumberKeys(at(keys, a), at(keys, b)); };
        // A text that is no number equals every number, which no consistent order allows.
        if (std::all_of(keys.begin(), keys.end(), [](const auto& key) { return key.has_value(); }))
            return ConsistentOrder(count, compare);
        return StableOrder(count, compare);
    }
    case ssDateTime:
    case ssDateDMY:
    case ssDateMDY: {
        const auto keys = Keys<double>(texts, [style](const QString& text) { return DateKey(style, text); });
        return ConsistentOrder(
            count, [&](int a, int b) { return sign * CompareDateKeys(at(keys, a), at(keys, b)); });
    }
    case ssUpperText: {
        // Texts differing only in case are "less" in both orders.
        const auto keys = Keys<QString>(texts, [](const QString& text) { return text.toUpper(); });
        return StableOrder(count, [&](int a, int b) {
            return sign * CompareUpperKeys(at(keys, a), at(keys, b), at(texts, a), at(texts, b));
        });
    }
    default:
        return ConsistentOrder(
            count, [&](int a, int b) { return sign * CompareTextKeys(at(texts, a), at(texts, b)); });
    }
}
