#include <QLocale>
#include <gtest/gtest.h>

#include "platform/stream.h"
#include "print/preview/pv_units.h"

TEST(PvUnits, ConversionsGoThroughInchesInEveryDirection) {
    struct Case {
        PvMeasurement from, to;
        long double value, expected;
    };
    const Case cases[] = {
        {pvMillimeters, pvInches, 25.4L, 1},   {pvInches, pvTwips, 0.5L, 720},
        {pvUnits, pvMillimeters, 2540, 25.4L}, {pvPixels, pvCentimeters, 96, 2.54L},
        {pvCentimeters, pvPixels, 2.54L, 96},  {pvTwips, pvUnits, 1440, 2540},
        {pvInches, pvInches, 3.25L, 3.25L},    {pvMillimeters, pvTwips, 210, 210 / 25.4L * 1440},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(double(ConvertValue(c.from, c.to, c.value)), double(c.expected), 1e-12)
            << int(c.from) << " -> " << int(c.to);
    // Every unit there and back again gives the value it started with.
    for (int from = pvUnits; from <= pvTwips; ++from)
        for (int to = pvUnits; to <= pvTwips; ++to) {
            const long double there = ConvertValue(PvMeasurement(from), PvMeasurement(to), 12.345L);
            EXPECT_NEAR(double(ConvertValue(PvMeasurement(to), PvMeasurement(from), there)), 12.345, 1e-12);
        }
}

TEST(PvUnits, ValuesNotifyOnlyRealChanges) {
    PvValue value;
    int notices = 0;
    value.OnChange = [&notices](PvValue&) { ++notices; };
    value.SetMillimeters(25.4L);
    value.SetInches(1);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(value.AsTwips(), 1440);
    EXPECT_EQ(value.AsPixels(300), 300);
}

TEST(PvValueList, NumbersAreWrittenTheSameUnderAnyLocaleAndRoundHalvesAwayFromZero) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    PvValueList values;
    values.WriteFloat("F", 0.1L);
    values.WritePoint("P", {1.2345L, 2});
    values.WritePoint("D", {1.2345, -0.0005});
    values.WriteRect("R", {0.0005L, 2.0005L, -2.0005L, 8.27L});
    QLocale::setDefault(before);
    EXPECT_EQ(values.Lines(), QStringList({"F=0.100", "P=1235,2000", "D=1235,-1", "R=1,2001,-2001,8270"}));
    EXPECT_EQ(PvValueList::FormatFloat(-0.0005L), "-0.001");
    EXPECT_EQ(PvValueList::FormatFloat(2.0005L), "2.001");

    EXPECT_NEAR(double(values.ReadFloat("f", 7)), 0.1, 1e-12) << "names are found in any case";
    const PvPoint point = values.ReadPoint("P", {});
    EXPECT_NEAR(double(point.X), 1.235, 1e-12);
    values.WriteString("F", "not a number");
    EXPECT_EQ(values.ReadFloat("F", 7), 7) << "an unreadable value gives the default";
    EXPECT_EQ(values.ReadInteger("missing", -3), -3);
    values.WriteString("E", "");
    const PvRect empty = values.ReadRect("E", {1, 1, 1, 1});
    EXPECT_EQ(empty.Right, 0);
    EXPECT_EQ(values.Lines().size(), 5) << "writing a name again replaces its line";
}

TEST(PvValueList, StreamFormIsBoundedByTheBytesThatFollow) {
    PvValueList written;
    written.WriteInteger("ID", 13);
    written.WriteString("FN", "Caf\u00e9");
    MemoryStream stream;
    written.SaveToStream(stream);
    EXPECT_EQ(stream.Bytes().size(), 4u + 7 + 9);
    stream.SetPosition(0);
    PvValueList read;
    read.LoadFromStream(stream);
    EXPECT_EQ(read.Lines(), written.Lines());

    MemoryStream zero(std::vector<uint8_t>{0, 0, 0, 0, 'x'});
    read.LoadFromStream(zero);
    EXPECT_TRUE(read.Lines().isEmpty());
    EXPECT_EQ(zero.Position(), 4);

    // A count beyond the stream, or a negative one, is refused before anything is allocated.
    for (std::vector<uint8_t> bytes :
         {std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 'a'}, std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF},
          std::vector<uint8_t>{5, 0}}) {
        MemoryStream bad(bytes);
        EXPECT_THROW(read.LoadFromStream(bad), EStreamError);
    }
}

TEST(PvValueList, PointListsTextsAndMixedAlphabetsSurviveTheStream) {
    PvValueList written;
    written.WritePoints("PTS", {{1.2345L, 0}, {-0.5L, 2}});
    written.WriteString("FN", QStringLiteral("Caf\u00e9"));
    written.WriteText("T", QStringLiteral("\u65e5\u672c\r\n\\"));
    EXPECT_EQ(written.Lines()[0], "PTS=1235,0,-500,2000");
    MemoryStream stream;
    written.SaveToStream(stream);
    stream.SetPosition(0);
    PvValueList read;
    read.LoadFromStream(stream);
    // One line that needs more than one code page must not turn the others into something else.
    EXPECT_EQ(read.ReadString("FN", ""), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(read.ReadText("T", ""), QStringLiteral("\u65e5\u672c\r\n\\"));
    const auto points = read.ReadPoints("PTS");
    ASSERT_TRUE(points);
    EXPECT_EQ(points->size(), 2u);
    EXPECT_NEAR(double((*points)[1].X), -0.5, 1e-12);
    read.WriteString("PTS", "1,2,3");
    EXPECT_FALSE(read.ReadPoints("PTS")) << "an x without its y";
    read.WriteString("PTS", "1,a");
    EXPECT_FALSE(read.ReadPoints("PTS"));
    read.WriteString("PTS", "");
    EXPECT_TRUE(read.ReadPoints("PTS")->empty());
}

TEST(PvUnits, RecordsConvertMemberByMemberAndIntegerRectanglesScaleBySides) {
    const PvPoint point = ConvertPoint(pvMillimeters, pvInches, {25.4L, 50.8L});
    EXPECT_NEAR(double(point.X), 1, 1e-15);
    EXPECT_NEAR(double(point.Y), 2, 1e-15);
    // Sides 10..30 and 5..25 at 1.25: 12.5 and 37.5 round away from zero, 6.25 and 31.25 to the nearest.
    EXPECT_EQ(ScaleRect(QRect(QPoint(10, 5), QPoint(29, 24)), 1.25L), QRect(QPoint(13, 6), QPoint(37, 30)));
    EXPECT_EQ(ScaleRect(QRect(-10, -10, 20, 20), 0.5L), QRect(-5, -5, 10, 10));
}
