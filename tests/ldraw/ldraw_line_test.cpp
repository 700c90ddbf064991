#include <gtest/gtest.h>

#include <climits>

#include "ldraw/ldraw_line.h"

namespace {

float Float(const char* text, char* next = nullptr) {
    const char* cursor = text;
    float value = ScanFloat(cursor);
    if (next) *next = *cursor;
    return value;
}

int Int(const char* text) {
    const char* cursor = text;
    return ScanInt(cursor);
}

TEST(LDrawLineTest, ScannersStopAtWhatTheyDoNotRead) {
    char next = 0;
    EXPECT_FLOAT_EQ(Float(" \t.5"), 0.5f);
    EXPECT_FLOAT_EQ(Float("12.", &next), 12.0f);
    EXPECT_EQ(next, '\0');
    EXPECT_FLOAT_EQ(Float("-3.25"), -3.25f);
    // Exponents as the library writes them; an 'e' without digits is not one.
    EXPECT_FLOAT_EQ(Float("1e5", &next), 1e5f);
    EXPECT_EQ(next, '\0');
    EXPECT_FLOAT_EQ(Float("-5.5e-005"), -5.5e-5f);
    EXPECT_FLOAT_EQ(Float("-1.81726E+002"), -181.726f);
    EXPECT_FLOAT_EQ(Float("2e-", &next), 2.0f);
    EXPECT_EQ(next, 'e');
    EXPECT_FLOAT_EQ(Float("+7", &next), 0.0f);
    EXPECT_EQ(next, '+');
    EXPECT_FLOAT_EQ(Float("2,5", &next), 2.0f); // no locale: the comma is not a decimal point
    EXPECT_EQ(Int(" -42x"), -42);
    EXPECT_EQ(Int("abc"), 0);
    EXPECT_EQ(Int("0x2FF8000"), 0x2FF8000); // a direct colour
    EXPECT_EQ(Int("0xg"), 0);
    EXPECT_EQ(Int("99999999999999999999"), INT_MAX);
    EXPECT_EQ(Int("-99999999999999999999"), INT_MIN);
}

TEST(LDrawLineTest, LinesOfEachType) {
    LDrawLineRecord comment = ParseLDrawLine("0 Brick  2 x  4");
    EXPECT_EQ(comment.type, 0);
    EXPECT_EQ(comment.name, " Brick  2 x  4");

    LDrawLineRecord ref = ParseLDrawLine("1 16 0 -4 0 1 0 0 0 1 0 0 0 1 s\\3001s01.dat  ");
    EXPECT_EQ(ref.type, 1);
    EXPECT_EQ(ref.colour, 16);
    EXPECT_TRUE(ref.Complete());
    EXPECT_FLOAT_EQ(ref.numbers[1], -4.0f);
    EXPECT_EQ(ref.name, "s\\3001s01.dat  ");

    // Numbers with exponents keep the line's fields apart, and a direct colour is read whole.
    LDrawLineRecord exponent = ParseLDrawLine("1 0x2FF0000 1e2 0 -2.5e-001 1 0 0 0 1 0 0 0 1 a.dat");
    EXPECT_TRUE(exponent.Complete());
    EXPECT_EQ(exponent.colour, 0x2FF0000);
    EXPECT_FLOAT_EQ(exponent.numbers[0], 100.0f);
    EXPECT_FLOAT_EQ(exponent.numbers[2], -0.25f);
    EXPECT_FLOAT_EQ(exponent.numbers[11], 1.0f);
    EXPECT_EQ(exponent.name, "a.dat");

    LDrawLineRecord quad = ParseLDrawLine("4\t24 1 2 3 4 5 6 7 8 9 10 11 12");
    EXPECT_EQ(quad.count, 12);
    EXPECT_FLOAT_EQ(quad.numbers[11], 12.0f);

    EXPECT_FALSE(ParseLDrawLine("3 4 1 2 3 4 5 6 7 8").Complete());
    EXPECT_FALSE(ParseLDrawLine("2 4 1 2 3").Complete());
    EXPECT_FALSE(ParseLDrawLine("1 4 0 0 0 1 0 0 0 1 0 0 0").Complete());
    EXPECT_TRUE(ParseLDrawLine("7 4").Complete()); // unknown types are not drawing lines

    LDrawLineRecord longName = ParseLDrawLine("1 4 0 0 0 1 0 0 0 1 0 0 0 1 " + std::string(400, 'n'));
    EXPECT_EQ(longName.name.size(), kMaxLDrawNameLength);
}

} // namespace
