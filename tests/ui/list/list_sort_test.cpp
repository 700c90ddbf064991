#include <QRandomGenerator>
#include <QStringList>
#include <gtest/gtest.h>

#include "ui/list/list_sort.h"

namespace {

// Texts that trip each style: numbers written as text, words in several cases, dates in both orders,
// empties, and texts that are no number or date at all.
const QStringList kPool = {"",
                           "10",
                           "9",
                           "9.0",
                           "-3",
                           "1e3",
                           " 7 ",
                           "$5",
                           "5 pcs",
                           "abc",
                           "ABC",
                           "Abc",
                           "abd",
                           "ab",
                           "01-02-03",
                           "1/2/99",
                           "12.31.24",
                           "31-12-24",
                           "1-2",
                           "x-y-z",
                           "2/30/05",
                           "Brick",
                           "brick",
                           "BRICK 2",
                           "\u00e9t\u00e9",
                           "\u00c9T\u00c9",
                           "1,000",
                           "2,5"};

// Only numbers, with repeats: the numeric styles then order consistently.
const QStringList kNumbers = {"10", "9", "9.0", "-3", "1e3", " 7 ", "", "0.5", "+2", "7"};

std::vector<int> ComparatorOrder(const QStringList& texts, SortStyle style, int sign, const QString& prefix,
                                 const QString& suffix) {
    return StableOrder(static_cast<int>(texts.size()), [&](int a, int b) {
        return sign * CompareCellTexts(style, texts[a], texts[b], prefix, suffix);
    });
}

} // namespace

TEST(ListSort, KeyedOrderIsTheComparatorOrderForEveryStyleAndDirection) {
    QRandomGenerator random(20);
    for (const QStringList& pool : {kPool, kNumbers})
        for (int size : {0, 1, 2, 3, 17, 64, 257}) {
            QStringList texts;
            for (int i = 0; i < size; ++i)
                texts << pool[random.bounded(pool.size())];
            std::vector<QStringView> views(texts.cbegin(), texts.cend());
            for (SortStyle style : {ssNone, ssText, ssNumeric, ssDateTime, ssUpperText, ssOrdinal, ssDateDMY,
                                    ssDateMDY, ssNumericGrouped})
                for (int sign : {1, -1, 0})
                    for (const auto& [prefix, suffix] : {std::pair<QString, QString>{}, {"$", " pcs"}})
                        ASSERT_EQ(KeyedOrder(views, style, sign, prefix, suffix),
                                  ComparatorOrder(texts, style, sign, prefix, suffix))
                            << "style " << style << " sign " << sign << " size " << size;
        }
}

TEST(ListSort, RuleBreakingStylesKeepTheirMergeResults) {
    // "Always greater" reverses four rows ascending and keeps them descending.
    const QStringList four = {"a", "b", "c", "d"};
    const std::vector<QStringView> views(four.cbegin(), four.cend());
    EXPECT_EQ(KeyedOrder(views, ssNone, 1, {}, {}), (std::vector<int>{3, 2, 1, 0}));
    EXPECT_EQ(KeyedOrder(views, ssNone, -1, {}, {}), (std::vector<int>{0, 1, 2, 3}));
    // Texts differing only in case are "less" both ways, so the later one moves ahead of the earlier.
    const QStringList cases = {"b", "B", "a"};
    const std::vector<QStringView> caseViews(cases.cbegin(), cases.cend());
    EXPECT_EQ(KeyedOrder(caseViews, ssUpperText, 1, {}, {}), (std::vector<int>{2, 0, 1}));
    // A text that is no number equals every number: 3 stays ahead of the 2 behind the x.
    const QStringList numbers = {"3", "1", "x", "2"};
    const std::vector<QStringView> numberViews(numbers.cbegin(), numbers.cend());
    EXPECT_EQ(KeyedOrder(numberViews, ssNumeric, 1, {}, {}), (std::vector<int>{1, 0, 2, 3}));
}
