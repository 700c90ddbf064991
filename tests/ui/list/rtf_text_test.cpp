#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "ui/list/rtf_text.h"

TEST(RtfText, SubsetFormatsAndFallsBackToPlainText) {
    const QString rich = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
                         "\\b Bold\\b0  \\cf1 red\\'e9\\u8364?\\par next\\tab end}";
    EXPECT_EQ(RtfPlainText(rich), QString("Bold red") + QChar(0xE9) + QChar(0x20AC) + "\rnext\tend");
    auto document = RtfDocument(rich, QFont());
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->blockCount(), 2);
    const QTextBlock first = document->firstBlock();
    const QTextFragment bold = first.begin().fragment();
    EXPECT_EQ(bold.text(), "Bold");
    EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
    bool redFound = false;
    for (auto it = first.begin(); !it.atEnd(); ++it)
        redFound |= it.fragment().text().startsWith("red") &&
                    it.fragment().charFormat().foreground().color() == Qt::red;
    EXPECT_TRUE(redFound);
    // Not rich text, nested beyond the bound, or too long: shown as the text itself.
    EXPECT_EQ(RtfDocument("{\\b not rtf}", QFont()), nullptr);
    const QString deep = "{\\rtf1 " + QString(100, u'{') + "x" + QString(100, u'}') + "}";
    EXPECT_EQ(RtfDocument(deep, QFont()), nullptr);
    EXPECT_EQ(RtfPlainText(deep), deep);
    EXPECT_EQ(RtfDocument("{\\rtf1 " + QString(2 << 20, u'a') + "}", QFont()), nullptr);
    // Cut escapes and words end without reading past the text.
    EXPECT_EQ(RtfPlainText("{\\rtf1 a\\'4"), "a");
    EXPECT_EQ(RtfPlainText("{\\rtf1 a\\"), "a");
    EXPECT_EQ(RtfPlainText("{\\rtf1 a\\fs999999999999 b}"), "ab");
}
