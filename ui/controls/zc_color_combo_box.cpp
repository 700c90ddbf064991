#include "ui/controls/zc_color_combo_box.h"

#include <QAbstractItemView>
#include <QPainter>
#include <algorithm>

#include "platform/gfx/sys_colors.h"
#include "ui/controls/owner_draw_combo.h"

namespace {

constexpr NamedColor kColors[] = {
    // standard
    {"Black", 0x000000},
    {"Maroon", 0x000080},
    {"Green", 0x008000},
    {"Olive", 0x008080},
    {"Navy", 0x800000},
    {"Purple", 0x800080},
    {"Teal", 0x808000},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0x0000FF},
    {"Lime", 0x00FF00},
    {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0xFFFF00},
    {"White", 0xFFFFFF},
    // extra
    {"Aliceblue", 0xFFF8F0},
    {"Anitquewhite", 0xD7EBFA},
    {"Aquamarine", 0xD4FF7F},
    {"Azure", 0xFFFFF0},
    {"Beige", 0xDCF5F5},
    {"Bisque", 0xC4E4FF},
    {"Blancedalmomd", 0xCDEBFF},
    {"Blueviolet", 0xE22B8A},
    {"Brown", 0x2A2AA5},
    {"Burlywood", 0x87B8DE},
    {"Cadetblue", 0xA09E5F},
    {"Chartreuse", 0x00FF7F},
    {"Chocolate", 0x1E69D2},
    {"Coral", 0x507FFF},
    {"Cornflowerblue", 0xED9564},
    {"Cornsilk", 0xDCF8FF},
    {"Crimson", 0x3C14DC},
    {"Darkblue", 0x8B0000},
    {"Darkcyan", 0x8B8B00},
    {"Darkgoldenrod", 0x0B86B8},
    {"Darkgray", 0xA9A9A9},
    {"Darkgreen", 0x006400},
    {"Darkkhaki", 0x6BB7BD},
    {"Darkmagenta", 0x8B008B},
    {"Darkolivegreen", 0x2F6B55},
    {"Darkorange", 0x008CFF},
    {"Darkorchid", 0xCC3299},
    {"Darkred", 0x00008B},
    {"Darksalmon", 0x7A96E9},
    {"Darkseagreen", 0x8FBC8F},
    {"Darkslateblue", 0x8B3D48},
    {"Darkslategray", 0x4F4F2F},
    {"Darkturquoise", 0xD1CE00},
    {"Darkviolet", 0xD30094},
    {"Deeppink", 0x9314FF},
    {"Deepskyblue", 0xFFBF00},
    {"Dimgray", 0x696969},
    {"Dodgerblue", 0xFF901E},
    {"Firebrick", 0x2222B2},
    {"Floralwhite", 0xF0FAFF},
    {"Forestgreen", 0x228B22},
    {"Gainsboro", 0xDCDCDC},
    {"Ghostwhite", 0xFFF8F8},
    {"Gold", 0x00D7FF},
    {"Goldenrod", 0x20A5DA},
    {"Greenyellow", 0x2FFFAD},
    {"Honeydew", 0xF0FFF0},
    {"Hotpink", 0xB469FF},
    {"Indianred", 0x5C5CCD},
    {"Indigo", 0x82004B},
    {"Ivory", 0xF0FFFF},
    {"Khaki", 0x8CE6F0},
    {"Lavender", 0xFAE6E6},
    {"Lavenderblush", 0xF5F0FF},
    {"Lawngreen", 0x00FC7C},
    {"Lemonciffon", 0xCDFAFF},
    {"Lightblue", 0xE6D8AD},
    {"Lightcoral", 0x8080F0},
    {"Lightcyan", 0xFFFFE0},
    {"Lightgoldenrodyellow", 0xD2FAFA},
    {"Lightgreen", 0x90EE90},
    {"Lightgray", 0xD3D3D3},
    {"Lightpink", 0xC1B6FF},
    {"Lightsalmon", 0x7AA0FF},
    {"Lightseagreen", 0xAAB220},
    {"Lightskyblue", 0xFACE87},
    {"Lightslategray", 0x998877},
    {"Lightsteelblue", 0xDEC4B0},
    {"Lightyellow", 0xE0FFFF},
    {"Limegreen", 0x32CD32},
    {"Linen", 0xE6F0FA},
    {"Mediumaquamarine", 0xAACD66},
    {"Mediumblue", 0xCD0000},
    {"Mediumorchid", 0xD355BA},
    {"Mediumpurple", 0xDB7093},
    {"Mediumseagreen", 0x71B33C},
    {"Mediumslateblue", 0xEE687B},
    {"Mediumspringgreen", 0x9AFA00},
    {"Mediumturquoise", 0xCCD148},
    {"Mediumvioletred", 0x8515C7},
    {"Midnightblue", 0x701919},
    {"Mintcream", 0xFAFFF5},
    {"Mistyrose", 0xE1E4FF},
    {"Moccasin", 0xB5E4FF},
    {"Navajowhite", 0xADDEFF},
    {"Oldlace", 0xE6F5FD},
    {"Olivedrab", 0x238E6B},
    {"Orange", 0x00A5FF},
    {"Orangered", 0x0045FF},
    {"Orchid", 0xD670DA},
    {"Palegoldenrod", 0xAAE8EE},
    {"Palegreen", 0x98FB98},
    {"Paleturquoise", 0xEEEEAF},
    {"Palevioletred", 0x9370DB},
    {"Papayawhip", 0xD5EFFF},
    {"Peachpuff", 0xB9DAFF},
    {"Peru", 0x3F85CD},
    {"Pink", 0xCBC0FF},
    {"Plum", 0xDDA0DD},
    {"Powderblue", 0xE6E0B0},
    {"Rosybrown", 0x8F8FBC},
    {"Royalblue", 0xE16941},
    {"Saddlebrown", 0x13458B},
    {"Salmon", 0x7280FA},
    {"Sandybrown", 0x60A4F4},
    {"Seagreen", 0x578B2E},
    {"Seashell", 0xEEF5FF},
    {"Sienna", 0x2D52A0},
    {"Skyblue", 0xEBCE87},
    {"Slateblue", 0xCD5A6A},
    {"Slategray", 0x908070},
    {"Snow", 0xFAFAFF},
    {"Springgreen", 0x7FFF00},
    {"Steelblue", 0xB48246},
    {"Tan", 0x8CB4D2},
    {"Thistle", 0xD8BFD8},
    {"Tomato", 0x4763FF},
    {"Turquoise", 0xD0E040},
    {"Violet", 0xEE82EE},
    {"Wheat", 0xB3DEF5},
    {"Whitesmoke", 0xF5F5F5},
    {"Yellowgreen", 0x32CD9A},
    // the special row
    {"QuarnelSoft", 0xFF99FF},
    // system
    {"clScrollBar", clSystemColor | 0},
    {"clBackground", clSystemColor | 1},
    {"clActiveCaption", clSystemColor | 2},
    {"clInactiveCaption", clSystemColor | 3},
    {"clMenu", clSystemColor | 4},
    {"clWindow", clSystemColor | 5},
    {"clWindowFrame", clSystemColor | 6},
    {"clMenuText", clSystemColor | 7},
    {"clWindowText", clSystemColor | 8},
    {"clCaptionText", clSystemColor | 9},
    {"clActiveBorder", clSystemColor | 10},
    {"clInactiveBorder", clSystemColor | 11},
    {"clAppWorkSpace", clSystemColor | 12},
    {"clHighlight", clSystemColor | 13},
    {"clHighlightText", clSystemColor | 14},
    {"clBtnFace", clSystemColor | 15},
    {"clBtnShadow", clSystemColor | 16},
    {"clGrayText", clSystemColor | 17},
    {"clBtnText", clSystemColor | 18},
    {"clInactiveCaptionText", clSystemColor | 19},
    {"clBtnHighlight", clSystemColor | 20},
    {"cl3DDkShadow", clSystemColor | 21},
    {"cl3DLight", clSystemColor | 22},
    {"clInfoText", clSystemColor | 23},
    {"clInfoBk", clSystemColor | 24},
};

// Where each group starts in the table, and the option that selects it.
struct Group {
    size_t first, count;
    int option;
};
constexpr Group kGroups[] = {{0, 16, zcColorComboBox::zcmStdColors},
                             {16, 122, zcColorComboBox::zcmExtraColors},
                             {138, 1, zcColorComboBox::zcmQuarnelColor},
                             {139, 25, zcColorComboBox::zcmSysColors}};
constexpr int kGroupOptions = zcColorComboBox::zcmStdColors | zcColorComboBox::zcmExtraColors |
                              zcColorComboBox::zcmQuarnelColor | zcColorComboBox::zcmSysColors |
                              zcColorComboBox::zcmOtherColors;
static_assert(std::size(kColors) == 164);

void PaintItem(QPainter& painter, QRect rect, const QString& name, int32_t value, int options,
               const QColor& textColor) {
    rect.adjust(1, 1, -1, 0);
    QRect text = rect;
    if (options & zcColorComboBox::zcmColors) {
        QRect swatch = rect.adjusted(0, 1, 0, -1);
        if (options & zcColorComboBox::zcmNames) swatch.setWidth(2 * rect.height());
        painter.setPen(textColor);
        painter.setBrush(QColor::fromRgb(ClassicColorToRgb(value)));
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
        text.setLeft(swatch.right() + 1 + 4);
    }
    if (!(options & zcColorComboBox::zcmNames)) return;
    painter.setPen(options & zcColorComboBox::zcmColors ? textColor
                                                        : QColor::fromRgb(ClassicColorToRgb(value)));
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
}

} // namespace

std::span<const NamedColor> NamedColors() {
    return kColors;
}

zcColorComboBox::zcColorComboBox(QWidget* parent) : QComboBox(parent) {
    setMaxVisibleItems(8);
    setItemDelegate(new OwnerDrawDelegate(
        this,
        [this](QPainter& painter, const QRect& rect, const QModelIndex& index, const QColor& text) {
            PaintItem(painter, rect, index.data().toString(), index.data(Qt::UserRole).toInt(), options_,
                      text);
        },
        9));
    // unguarded: its owner guards the handlers it sets
    connect(this, &QComboBox::activated, this, &zcColorComboBox::UserChose);
    Rebuild();
}

int32_t zcColorComboBox::ColorValue() const {
    return count() == 0 || currentIndex() < 0 ? 0 : value_;
}

void zcColorComboBox::SetColorValue(int32_t value) {
    const int index = findData(value);
    setCurrentIndex(index);
    value_ = index < 0 ? 0 : value;
    if (OnChange) OnChange();
}

void zcColorComboBox::SetColorOptions(int options) {
    if (options == options_) return;
    options_ = options;
    Rebuild();
    update();
}

void zcColorComboBox::Rebuild() {
    if (!(options_ & kGroupOptions)) options_ |= zcmStdColors;
    if (!(options_ & (zcmColors | zcmNames))) options_ |= zcmColors;
    {
        const QSignalBlocker quiet(this);
        clear();
        for (const Group& group : kGroups)
            if (options_ & group.option)
                for (const NamedColor& colour : std::span(kColors).subspan(group.first, group.count))
                    addItem(QString::fromLatin1(colour.name), colour.value);
        for (int index = 0; options_ & zcmOtherColors && OnUserColor; ++index) {
            QString name = QStringLiteral("-User-");
            int32_t value = 0;
            bool more = false;
            OnUserColor(index, name, value, more);
            if (!more) break;
            addItem(name, value);
        }
    }
    SetColorValue(value_);
}

void zcColorComboBox::UserChose(int index) {
    const int32_t value = itemData(index).toInt();
    if (value == value_) return;
    value_ = value;
    if (OnChange) OnChange();
}

void zcColorComboBox::paintEvent(QPaintEvent*) {
    PaintOwnerDrawCombo(*this, [this](QPainter& painter, const QRect& field) {
        PaintItem(painter, field, currentText(), value_, options_, palette().color(QPalette::Text));
    });
}
