#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

#include "platform/gfx/sys_colors.h"
#include "ui/controls/zc_color_combo_box.h"
#include "ui/controls/zc_font_combo_box.h"

TEST(zcColorComboBox, ListsTheNamedColoursAndTheirUserColours) {
    zcColorComboBox box;
    EXPECT_EQ(box.count(), 16 + 122 + 25) << "the special row is not a default option";
    int users = 0;
    box.OnUserColor = [&users](int index, QString& name, int32_t& value, bool& more) {
        ++users;
        more = index < 2;
        name += QString::number(index);
        value = 0x010203 + index;
    };
    box.SetColorOptions(zcColorComboBox::zcmColors | zcColorComboBox::zcmNames |
                        zcColorComboBox::zcmStdColors | zcColorComboBox::zcmExtraColors |
                        zcColorComboBox::zcmQuarnelColor | zcColorComboBox::zcmSysColors |
                        zcColorComboBox::zcmOtherColors);
    EXPECT_EQ(box.count(), 164 + 2);
    EXPECT_EQ(users, 3) << "asked until more is cleared";
    EXPECT_EQ(box.itemText(165), "-User-1");

    int changes = 0;
    box.OnChange = [&changes] { ++changes; };
    box.SetColorValue(0xFFF8F0);
    EXPECT_EQ(box.currentText(), "Aliceblue");
    EXPECT_EQ(box.ColorValue(), 0xFFF8F0);
    box.SetColorValue(0x123456);
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.ColorValue(), 0) << "a colour not listed reads back as 0";
    EXPECT_EQ(changes, 2);
    box.SetColorOptions(0);
    EXPECT_EQ(box.count(), 16) << "no group chosen means the standard group";
}

TEST(zcColorComboBox, SystemColoursComeFromTheClassicTableWhateverTheTheme) {
    const QPalette before = QGuiApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::Text, Qt::yellow);
    dark.setColor(QPalette::Base, Qt::darkBlue);
    QGuiApplication::setPalette(dark);
    EXPECT_EQ(ClassicColorToRgb(clSystemColor | 8), qRgb(0, 0, 0)) << "window text";
    EXPECT_EQ(ClassicColorToRgb(clWindow), qRgb(255, 255, 255));
    EXPECT_EQ(ClassicColorToRgb(0x0000FF), qRgb(255, 0, 0));
    EXPECT_NE(WinColorToRgb(clWindow), qRgb(255, 255, 255)) << "the themed colour follows the palette";
    QGuiApplication::setPalette(before);
}

TEST(zcColorComboBox, ExtraColoursCarryTheirWebValuesDespiteTheirSpelling) {
    const std::span<const NamedColor> colours = NamedColors();
    ASSERT_EQ(colours.size(), 164u);
    const std::pair<const char*, const char*> misspelt[] = {{"Anitquewhite", "antiquewhite"},
                                                            {"Blancedalmomd", "blanchedalmond"},
                                                            {"Lemonciffon", "lemonchiffon"}};
    for (size_t i = 16; i < 138; ++i) {
        QString web = QString::fromLatin1(colours[i].name).toLower();
        for (const auto& [stored, real] : misspelt)
            if (colours[i].name == std::string_view(stored)) web = real;
        const QColor expected = QColor::fromString(web);
        ASSERT_TRUE(expected.isValid()) << colours[i].name;
        const int32_t value = colours[i].value;
        EXPECT_EQ(QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF), expected)
            << colours[i].name;
    }
    EXPECT_EQ(colours[138].value, 0xFF99FF);
    EXPECT_EQ(colours[163].value, int32_t(0x80000018));
}

TEST(zcFontComboBox, FiltersByKindAndFindsNamesInAnyCase) {
    std::vector<FontFacts> fonts(4);
    fonts[0] = {"Serif Face", FontFacts::TrueType, true, false, false, false, FontFacts::Roman};
    fonts[1] = {"Mono Face", FontFacts::TrueType, true, false, false, true, FontFacts::Modern};
    fonts[2] = {"Symbols", FontFacts::TrueType, false, true, false, false, FontFacts::Decorative};
    fonts[3] = {"Bitmap Face", FontFacts::Raster, true, false, true, false, FontFacts::Swiss};
    zcFontComboBox box(nullptr, fonts);
    EXPECT_EQ(box.count(), 4);
    EXPECT_EQ(box.itemText(0), "Bitmap Face") << "sorted";
    box.SetFontOptions(zcFontComboBox::zcftWindowsOnly);
    EXPECT_EQ(box.count(), 3);
    box.SetFontOptions(zcFontComboBox::zcftScaleableOnly | zcFontComboBox::zcftNoOEM);
    EXPECT_EQ(box.count(), 3);
    EXPECT_EQ(box.findText("Bitmap Face"), -1);
    box.SetFontOptions(zcFontComboBox::zcftFixedOnly | zcFontComboBox::zcftModernOnly);
    EXPECT_EQ(box.count(), 1);

    box.SetFontOptions(0);
    int changes = 0;
    box.OnChange = [&changes] { ++changes; };
    box.SetFontName("serif FACE");
    EXPECT_EQ(box.currentText(), "Serif Face");
    EXPECT_EQ(box.FontName(), "serif FACE") << "the given text is shown";
    box.SetFontOptions(zcFontComboBox::zcftSymbolOnly);
    EXPECT_EQ(box.FontName(), "");
    EXPECT_EQ(changes, 2) << "written, then gone from the rebuilt list";
    box.SetFontOptions(0);
    EXPECT_EQ(changes, 2) << "a rebuild that keeps the name changes nothing";
}
