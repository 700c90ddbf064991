#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/stream.h"
#include "ui/kit/kit_records.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int v : values)
        bytes.push_back(static_cast<uint8_t>(v));
    return bytes;
}

} // namespace

TEST(StreamRecords, ScalarsAndShortStrings) {
    MemoryStream stream;
    WriteInteger(stream, -2);
    WriteByte(stream, 200);
    WriteBoolean(stream, true);
    WriteShortString(stream, QString::fromUtf8("Rückseite"));
    WriteShortString(stream, QString(255, 'a'));
    EXPECT_THROW(WriteShortString(stream, QString(256, 'a')), EStreamError);
    stream.SetPosition(0);
    EXPECT_EQ(ReadInteger(stream), -2);
    EXPECT_EQ(ReadByte(stream), 200);
    EXPECT_TRUE(ReadBoolean(stream));
    EXPECT_EQ(ReadShortString(stream), QString::fromUtf8("Rückseite"));
    EXPECT_EQ(ReadShortString(stream), QString(255, 'a'));
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(StreamRecords, ListsAndBitmapsSizedOrCompressed) {
    const QStringList lines = {"first", "", "third line"};
    Bitmap bitmap;
    bitmap.SetSize(40, 3);
    bitmap.SetPixel(39, 2, qRgb(10, 20, 30));
    for (bool compressed : {false, true}) {
        MemoryStream stream;
        WriteStringList(stream, lines, compressed);
        WriteBitmap(stream, bitmap, compressed);
        WriteBitmap(stream, bitmap, compressed, 16);
        WriteInteger(stream, 77);
        stream.SetPosition(0);
        EXPECT_EQ(ReadStringList(stream, compressed), lines);
        Bitmap back;
        ReadBitmap(stream, back, compressed);
        EXPECT_EQ(back.Format(), PixelFormat::pf24bit);
        EXPECT_EQ(back.Pixel(39, 2), qRgb(10, 20, 30));
        ReadBitmap(stream, back, compressed);
        EXPECT_EQ(back.Format(), PixelFormat::pf4bit);
        EXPECT_EQ(ReadInteger(stream), 77) << "records end where they say";
    }
    // A sized block longer than what follows is refused before anything is allocated.
    MemoryStream lying(Bytes({0xFF, 0xFF, 0xFF, 0x0F, 1, 2}));
    EXPECT_THROW(ReadRecord(lying, false), EStreamError);
}
