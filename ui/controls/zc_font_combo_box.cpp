#include "ui/controls/zc_font_combo_box.h"
#include "ui/controls/owner_draw_combo.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>

namespace {

// 12 x 12 font-type glyphs: blank is the transparent white, 1 teal, 2 purple, 9 green.
constexpr const char* kTrueTypeGlyph[12] = {"11111111    ", "1  11  1    ", "   11       ", "   122222222",
                                            "   12  22  2", "   1   22   ", "  111  22   ", "       22   ",
                                            "       22   ", "       22   ", "      2222  ", "            "};
constexpr const char* kDeviceGlyph[12] = {"            ", "   222222   ", "   2    2   ", "   2    2   ",
                                          " 2222222222 ", " 2        2 ", " 2      1 2 ", " 2        2 ",
                                          " 2222222222 ", "   2    2   ", "   222222   ", "            "};
constexpr const char* kRasterGlyph[12] = {"            ", "    99      ", "   9  9     ", "  9    9    ",
                                          "  9    9    ", "  999999    ", "  9    9    ", "  9    9    ",
                                          "  9    9    ", "            ", "            ", "            "};

QImage MakeGlyph(const char* const rows[12]) {
    QImage glyph(12, 12, QImage::Format_ARGB32);
    glyph.fill(Qt::transparent);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12 && rows[y][x]; ++x)
            switch (rows[y][x]) {
            case '1':
                glyph.setPixel(x, y, qRgb(0, 0x80, 0x80));
                break;
            case '2':
                glyph.setPixel(x, y, qRgb(0x80, 0, 0x80));
                break;
            case '9':
                glyph.setPixel(x, y, qRgb(0, 0x80, 0));
                break;
            default:
                break;
            }
    return glyph;
}

const QImage& GlyphFor(int type) {
    static const QImage trueType = MakeGlyph(kTrueTypeGlyph), device = MakeGlyph(kDeviceGlyph),
                        raster = MakeGlyph(kRasterGlyph);
    return type & FontFacts::TrueType ? trueType : type & FontFacts::Device ? device : raster;
}

void PaintItem(QPainter& painter, const QRect& rect, const QString& name, int type) {
    painter.drawImage(rect.left() + 2, rect.top() + (rect.height() - 12) / 2, GlyphFor(type));
    painter.drawText(rect.adjusted(2 + 12 + 4, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
}

// The font database has no family class; the name and pitch tell it the way font menus usually do.
FontFacts::Family FamilyOf(const QString& name, bool fixedPitch, bool symbol) {
    auto has = [&name](std::initializer_list<const char*> words) {
        return std::any_of(words.begin(), words.end(),
                           [&name](const char* word) { return name.contains(word, Qt::CaseInsensitive); });
    };
    if (fixedPitch || has({"Mono", "Courier", "Console"})) return FontFacts::Modern;
    if (symbol) return FontFacts::Decorative;
    if (has({"Script", "Hand", "Brush", "Chancery"})) return FontFacts::Script;
    if (has({"Sans", "Arial", "Helvetica", "Verdana", "Tahoma"})) return FontFacts::Swiss;
    if (has({"Serif", "Times", "Roman", "Georgia", "Garamond"})) return FontFacts::Roman;
    return FontFacts::DontCare;
}

} // namespace

std::vector<FontFacts> InstalledFonts() {
    std::vector<FontFacts> fonts;
    for (const QString& family : QFontDatabase::families()) {
        FontFacts font;
        font.name = family;
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        font.ansi = systems.contains(QFontDatabase::Latin);
        font.symbol = systems.contains(QFontDatabase::Symbol) || QFontDatabase::isPrivateFamily(family);
        font.fixedPitch = QFontDatabase::isFixedPitch(family);
        font.type = QFontDatabase::isSmoothlyScalable(family) ? FontFacts::TrueType
                    : QFontDatabase::isScalable(family)       ? FontFacts::Device
                                                              : FontFacts::Raster;
        font.family = FamilyOf(family, font.fixedPitch, font.symbol);
        fonts.push_back(font);
    }
    return fonts;
}

bool zcFontComboBox::Passes(const FontFacts& font, int options) {
    const std::pair<int, bool> tests[] = {
        {zcftWindowsOnly, font.ansi},
        {zcftSymbolOnly, font.symbol},
        {zcftOEMOnly, font.oem},
        {zcftNoOEM, !font.oem},
        {zcftTrueTypeOnly, (font.type & FontFacts::TrueType) != 0},
        {zcftFixedOnly, font.fixedPitch},
        {zcftDecorativeOnly, font.family == FontFacts::Decorative},
        {zcftModernOnly, font.family == FontFacts::Modern},
        {zcftRomanOnly, font.family == FontFacts::Roman},
        {zcftScriptOnly, font.family == FontFacts::Script},
        {zcftSwissOnly, font.family == FontFacts::Swiss},
        {zcftScaleableOnly, (font.type & FontFacts::Raster) == 0},
    };
    return std::all_of(std::begin(tests), std::end(tests),
                       [options](const auto& test) { return !(options & test.first) || test.second; });
}

zcFontComboBox::zcFontComboBox(QWidget* parent, std::vector<FontFacts> fonts)
    : QComboBox(parent), fonts_(std::move(fonts)) {
    setMaxVisibleItems(8);
    setItemDelegate(new OwnerDrawDelegate(
        this,
        [](QPainter& painter, const QRect& rect, const QModelIndex& index, const QColor&) {
            PaintItem(painter, rect, index.data().toString(), index.data(Qt::UserRole).toInt());
        },
        12));
    // unguarded: its owner guards the handlers it sets
    connect(this, &QComboBox::activated, this, [this](int index) {
        name_ = itemText(index);
        Changed();
    });
    Rebuild();
}

void zcFontComboBox::SetFontName(const QString& name) {
    const int index = IndexOf(name);
    setCurrentIndex(index);
    name_ = index < 0 ? QString() : name;
    update();
    Changed();
}

int zcFontComboBox::IndexOf(const QString& name) const {
    if (name.isEmpty()) return -1;
    if (const int index = findText(name, Qt::MatchFixedString); index >= 0) return index;
    // A font of another system (Times New Roman) stands for the family the font database puts in its place,
    // when that is not merely the family of any unknown name.
    static const QString unknown = QFontInfo(QFont(QStringLiteral("Tessarin no such font"))).family();
    const QString substitute = QFontInfo(QFont(name)).family();
    return substitute == unknown ? -1 : findText(substitute, Qt::MatchFixedString);
}

void zcFontComboBox::SetFontOptions(int options) {
    options_ = options;
    Rebuild();
}

void zcFontComboBox::SetDevice(int device) {
    device_ = device ? device : zcScreen;
    Rebuild();
}

void zcFontComboBox::Rebuild() {
    const QString previous = name_;
    rebuilding_ = true;
    {
        const QSignalBlocker quiet(this);
        clear();
        // Printer and screen draw with the same font database here, so both devices list the same fonts.
        std::vector<const FontFacts*> kept;
        for (const FontFacts& font : fonts_)
            if (Passes(font, options_)) kept.push_back(&font);
        std::sort(kept.begin(), kept.end(), [](const FontFacts* a, const FontFacts* b) {
            return a->name.compare(b->name, Qt::CaseInsensitive) < 0;
        });
        for (const FontFacts* font : kept)
            addItem(font->name, font->type);
    }
    const int index = IndexOf(previous);
    setCurrentIndex(index);
    name_ = index < 0 ? QString() : previous;
    rebuilding_ = false;
    if (name_ != previous) Changed();
}

void zcFontComboBox::Changed() {
    if (!rebuilding_ && OnChange) OnChange();
}

void zcFontComboBox::paintEvent(QPaintEvent*) {
    PaintOwnerDrawCombo(*this, [this](QPainter& painter, const QRect& field) {
        PaintItem(painter, field, name_, itemData(currentIndex()).toInt());
    });
}
