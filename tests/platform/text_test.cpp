#include <gtest/gtest.h>

#include "platform/text.h"
#include "support/test_support.h"

TEST(Text, DecodesUtf8WhenValidElseWindows1252) {
    EXPECT_EQ(DecodeText("Stra\xC3\x9F"
                         "e"),
              QString::fromUtf8("Straße"));
    // 0xC6 alone is not UTF-8: read as Windows-1252 "Æ"; 0x80 is the euro sign there.
    EXPECT_EQ(DecodeText("\xC6g \x80"), QString::fromUtf8("Æg €"));
    // Overlong and surrogate encodings are not valid UTF-8.
    EXPECT_EQ(DecodeText("\xC0\xAF").size(), 2);
    EXPECT_EQ(DecodeText("\xED\xA0\x80").size(), 3);
    // A truncated sequence at the end falls back to Windows-1252 as well.
    EXPECT_EQ(DecodeText("ab\xE2\x82"), QString::fromUtf8("abâ‚"));
}

TEST(Text, EncodesWindows1252WhenEveryCharacterFits) {
    EXPECT_EQ(EncodeText(QString::fromUtf8("Æ €")), std::string("\xC6 \x80"));
    // One character outside the code page switches the whole text to UTF-8.
    EXPECT_EQ(EncodeText(QString::fromUtf8("Æ ✓")), std::string("\xC3\x86 \xE2\x9C\x93"));
    for (int c = 0; c < 256; ++c) {
        std::string byte(1, static_cast<char>(c));
        if (c >= 0x80) byte += "\xC6"; // keep it invalid UTF-8
        EXPECT_EQ(EncodeText(DecodeText(byte)), byte) << c;
    }
}

// Bytes of Windows-1252 that happen to be valid UTF-8 would read back as other text: such text is saved as
// UTF-8, everything else that fits as Windows-1252.
TEST(Text, FilesSaveWhatReadsBackAsWritten) {
    for (const char* utf8 : {"Ã©", "Brick Ã© Ã¼", "caf\xC3\xA9", "Æ €", "plain", "Â£ and Ã"}) {
        const QString text = QString::fromUtf8(utf8);
        EXPECT_EQ(DecodeText(EncodeTextFile(text)), text) << utf8;
    }
    EXPECT_EQ(EncodeTextFile(QString::fromUtf8("Æ €")), std::string("\xC6 \x80"));
    EXPECT_EQ(EncodeTextFile(QString::fromUtf8("Ã©")), std::string("\xC3\x83\xC2\xA9"));
    TempDir dir;
    ASSERT_EQ(WriteTextFile(dir / "ambiguous.txt", {QString::fromUtf8("Tile Ã© 1 x 2")}), "");
    EXPECT_EQ(ReadTextFile(dir / "ambiguous.txt"), QString::fromUtf8("Tile Ã© 1 x 2\r\n"));
}

TEST(Text, SplitsAtEveryLineEndAndStopsAtCtrlZ) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\nb\n"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\n\x1A"
                         "b\r\n"),
              (QStringList{"a"}));
    EXPECT_EQ(SplitLines("\r\r\n"), (QStringList{"", ""}));
    EXPECT_TRUE(SplitLines("").isEmpty());
    EXPECT_EQ(JoinLinesCrlf({"a", ""}), QString("a\r\n\r\n"));
}

TEST(Text, WriteAndReadBackThroughTheFile) {
    TempDir dir;
    auto path = dir / "out.txt";
    ASSERT_EQ(WriteTextFile(path, {QString::fromUtf8("Brick 2 x 4 Æ"), "x"}), "");
    EXPECT_EQ(*ReadFileBytes(path), std::string("Brick 2 x 4 \xC6\r\nx\r\n"));
    EXPECT_EQ(SplitLines(*ReadTextFile(path)), (QStringList{QString::fromUtf8("Brick 2 x 4 Æ"), "x"}));
    EXPECT_FALSE(ReadTextFile(dir / "missing.txt"));
    EXPECT_FALSE(ReadTextFile(dir.path()));
}

TEST(Text, Windows1252DecodesTheSameAtEveryPlaceInALongText) {
    // Long texts are decoded in blocks: a special byte must come out right wherever it falls.
    for (std::size_t offset = 0; offset < 40; ++offset) {
        const std::string bytes = std::string(offset, 'a') + "\xC6\x80\x9F\x8D\xA0" + std::string(40, 'b');
        const QString expected = QString(static_cast<qsizetype>(offset), QChar(u'a')) + QChar(0xC6) +
                                 QChar(0x20AC) + QChar(0x178) + QChar(0x8D) + QChar(0xA0) + QString(40, u'b');
        EXPECT_EQ(DecodeText(bytes), expected) << offset;
    }
    std::string latin;
    for (int byte = 0xA0; byte <= 0xFF; ++byte)
        latin += static_cast<char>(byte);
    EXPECT_EQ(DecodeText(latin), QString::fromLatin1(latin.data(), static_cast<qsizetype>(latin.size())));
}
