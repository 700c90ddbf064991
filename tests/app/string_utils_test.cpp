#include <gtest/gtest.h>

#include "app/string_hash.h"
#include "app/string_utils.h"

namespace {
const QString Tab = QStringLiteral("\t");
}

TEST(StringUtils, NthFieldCountsFromOneAndKeepsEmptyFields) {
    EXPECT_EQ(NthField("a", Tab, 1), "a");
    for (int n = -1; n <= 3; ++n)
        EXPECT_EQ(NthField("", Tab, n), "") << n;
    EXPECT_EQ(NthField("a\tb", Tab, 3), "");
    EXPECT_EQ(NthField("a\t\tc", Tab, 1), "a");
    EXPECT_EQ(NthField("a\t\tc", Tab, 2), "");
    EXPECT_EQ(NthField("a\t\tc", Tab, 3), "c");
    EXPECT_EQ(NthField("a\tb", Tab, 0), "");
    EXPECT_EQ(NthField("abc", Tab, 2), "");
    // A trailing separator makes one more, empty, field; a longer separator cuts as a whole.
    EXPECT_EQ(NthField("a\t", Tab, 2), "");
    EXPECT_EQ(NthField("x::y::z", "::", 3), "z");
    EXPECT_EQ(NthField("abc", "", 1), "abc");
    EXPECT_EQ(NthField("abc", "", 2), "");
}

TEST(StringUtils, ReplaceAllNeverSearchesAReplacementAgain) {
    EXPECT_EQ(ReplaceAll("V 0.0.0 of 0.0.46", "0.0.0", "0.0.46"), "V 0.0.46 of 0.0.46");
    EXPECT_EQ(ReplaceAll("aa", "a", "b"), "bb");
    EXPECT_EQ(ReplaceAll("x&&y", "&", "&&"), "x&&&&y");
    EXPECT_EQ(ReplaceAll("a&nbsp;&nbsp;b", "&nbsp;", ""), "ab");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("abc", "d", "x"), "abc");
}

TEST(StringUtils, PositionsAreOneBasedAndOutOfRangeGivesNothing) {
    EXPECT_EQ(RightPart("abcdef", 3), "cdef");
    EXPECT_EQ(RightPart("abcdef", 0), "");
    EXPECT_EQ(RightPart("abcdef", 7), "");
    EXPECT_EQ(MidPart("abcdef", 2, 99), "bcdef");
    EXPECT_EQ(MidPart("abcdef", 2, 3), "bc");
    EXPECT_EQ(MidPart("abcdef", 0, 3), "");
    EXPECT_EQ(MidPart("abcdef", 4, 3), "");
    EXPECT_EQ(LastPos("abab", "ab"), 3);
    EXPECT_EQ(LastPos("aaa", "aa"), 2);
    EXPECT_EQ(LastPos("ab", "abc"), 0);
    EXPECT_EQ(LastPos("ab", "x"), 0);
    EXPECT_EQ(PosFrom("abab", "ab", 2), 3);
    EXPECT_EQ(PosFrom("abab", "ab", 1), 1);
    EXPECT_EQ(PosFrom("abab", "ab", 4), 0);
    EXPECT_EQ(PosFrom("abab", "ba", 3), 0);
}

TEST(StringUtils, CountOccurrencesCountsFieldsAndAlwaysEnds) {
    EXPECT_EQ(CountOccurrences("a\tb\tc", Tab), 3);
    EXPECT_EQ(CountOccurrences("abc", Tab), 1);
    EXPECT_EQ(CountOccurrences("", Tab), 0);
    // Patterns that overwrite-and-search again would never finish on.
    EXPECT_EQ(CountOccurrences("#x#x", "#x"), 3);
    EXPECT_EQ(CountOccurrences("**", "*"), 3);
    EXPECT_EQ(CountOccurrences("##", "#"), 3);
    EXPECT_EQ(CountOccurrences("abc", ""), 1);
}

TEST(StringHash, PutFindAndRemoveByTheMarker) {
    StringHash hash(4000, 0);
    hash.Put("a", 7);
    EXPECT_EQ(hash.Find("a"), 7u);
    EXPECT_EQ(hash.Find("A"), 0u);
    hash.Put("a", 9);
    EXPECT_EQ(hash.Find("a"), 9u);
    EXPECT_EQ(hash.Count(), 1);
    hash.Put("b", 0); // absent and the marker: nothing
    EXPECT_EQ(hash.Count(), 1);
    hash.Put("a", 0);
    EXPECT_EQ(hash.Count(), 0);
    EXPECT_EQ(hash.Find("a"), 0u);
    hash.Put("", 3); // the empty key is a key like any other
    EXPECT_EQ(hash.Find(""), 3u);
}

TEST(StringHash, ValuesAreStoredReplacedAndEmptied) {
    StringHash hash(4000, 0);
    hash.SetValue("3001", "");
    EXPECT_EQ(hash.Count(), 0);
    hash.SetValue("3001", "Brick 2 x 4");
    hash.SetValue("3020", "Plate 2 x 4");
    EXPECT_EQ(hash.LookUp("3001"), "Brick 2 x 4");
    hash.SetValue("3001", "Brick");
    EXPECT_EQ(hash.LookUp("3001"), "Brick");
    EXPECT_EQ(hash.Count(), 2);
    hash.SetValue("3001", "");
    EXPECT_EQ(hash.Count(), 1);
    EXPECT_EQ(hash.LookUp("3001"), "");
    hash.ClearAll();
    EXPECT_EQ(hash.LookUp("3020"), "");
    EXPECT_EQ(hash.Count(), 1);
    hash.Clear();
    EXPECT_EQ(hash.Count(), 0);
    EXPECT_EQ(hash.Find("3020"), 0u);
}

TEST(StringHash, CollidingKeysShareAChainNewestFirst) {
    StringHash hash(4000, 0);
    QString first = "k0", second;
    for (int i = 1; second.isEmpty(); ++i)
        if (QString key = QStringLiteral("k%1").arg(i); hash.Bucket(key) == hash.Bucket(first)) second = key;
    hash.Put(first, 1);
    hash.Put(second, 2);
    EXPECT_EQ(hash.Find(first), 1u);
    EXPECT_EQ(hash.Find(second), 2u);
    hash.Put(first, 0); // unlinking the later node of the chain keeps the head
    EXPECT_EQ(hash.Find(second), 2u);
    EXPECT_EQ(hash.Count(), 1);
}

TEST(StringHash, GrowsPastItsBucketsAndKeepsEveryEntry) {
    StringHash hash(4000, 0);
    for (int i = 0; i < 50000; ++i)
        hash.SetValue(QString::number(i), QStringLiteral("part %1").arg(i));
    EXPECT_EQ(hash.Count(), 50000);
    EXPECT_GE(hash.BucketCount(), 50000u);
    EXPECT_LE(hash.BucketCount(), 2 * 50000u);
    for (int i = 0; i < 50000; i += 2)
        hash.SetValue(QString::number(i), "");
    EXPECT_EQ(hash.Count(), 25000);
    for (int i = 0; i < 50000; ++i)
        ASSERT_EQ(hash.LookUp(QString::number(i)), i % 2 ? QStringLiteral("part %1").arg(i) : "") << i;
    // A value's data word still points at its string after the moves.
    EXPECT_EQ(*reinterpret_cast<const QString*>(hash.Find("49999")), "part 49999");
}
