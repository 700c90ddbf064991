#include "formats/xls/xls_format.h"

#include <array>

#include "formats/xls/biff_bytes.h"
#include "formats/xls/xls_error.h"

namespace {

// Position = palette index, value = colour ordinal.
constexpr std::array<uint8_t, 65> kColorIndexTable = {
    56, 63, 58, 59, 60, 61, 62, 63, 0,  39, 16, 27, 13, 26, 24, 28, 8,  11, 5,  10, 22, 12,
    31, 15, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 29, 36, 35, 34,
    37, 32, 38, 33, 21, 20, 18, 25, 17, 9,  14, 23, 4,  19, 3,  2,  1,  30, 6,  7,  64};

constexpr std::array<uint32_t, 56> kDefaultPalette = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xE3E3E3,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

constexpr uint16_t kStyleXF = 0xFFF5;
constexpr uint16_t kCellXF = 0x0001;
constexpr uint16_t kColourWord = 0x20C0;
constexpr uint8_t kUsedFormat = 0x04, kUsedFont = 0x08, kUsedAlign = 0x10, kUsedBorder = 0x20,
                  kUsedBackground = 0x40, kUsedProtection = 0x80;
constexpr int kBorderColour = 8;

// A 20-byte BIFF8 XF (versions 97) or a 16-byte BIFF5 XF with the same meaning.
std::string XFRecord(XLSVersion version, uint16_t font, uint16_t format, uint16_t typeProtection,
                     uint8_t align, uint8_t used) {
    std::string r;
    Add16(r, font);
    Add16(r, format);
    Add16(r, typeProtection);
    if (version == XLSVersion::xls97) {
        Add8(r, align);
        Add8(r, 0);
        Add8(r, 0);
        Add8(r, used);
        r.append(8, '\0');
        Add16(r, kColourWord);
    } else {
        Add8(r, align);
        Add8(r, used);
        Add16(r, kColourWord);
        r.append(6, '\0');
    }
    return r;
}

void Or16(std::string& r, size_t at, uint16_t v) {
    Set16(r, at, Get16(r, at) | v);
}
void Or32(std::string& r, size_t at, uint32_t v) {
    Set32(r, at, Get32(r, at) | v);
}

} // namespace

int ExcelColorIndex(ExcelColor color) {
    for (size_t i = 0; i < kColorIndexTable.size(); ++i) {
        if (kColorIndexTable[i] == static_cast<uint8_t>(color)) return static_cast<int>(i);
    }
    return 65;
}

std::string ExcelFont::BuildFontRecord(XLSVersion version) const {
    if (Name.size() > 255) throw XLSError("Font name longer than 255 characters");
    std::string r;
    Add16(r, static_cast<uint16_t>(Size * 20));
    Add16(r, static_cast<uint16_t>((Style & xfsItalic ? 2 : 0) | (Style & xfsStrikeOut ? 8 : 0)));
    Add16(r, static_cast<uint16_t>(ExcelColorIndex(Color)));
    Add16(r, Style & xfsBold ? 700 : 400);
    Add16(r, 0);
    static constexpr uint8_t underlines[] = {0, 1, 2, 0x21, 0x22};
    Add8(r, underlines[static_cast<int>(Underline)]);
    Add8(r, 0);
    Add8(r, Charset);
    Add8(r, 0);
    Add8(r, static_cast<uint8_t>(Name.size()));
    if (version == XLSVersion::xls97) {
        Add8(r, 1);
        for (QChar c : Name)
            Add16(r, c.unicode());
    } else {
        r += Name.toLatin1().toStdString();
    }
    return r;
}

int FontList::IndexOfOrAdd(const ExcelFont& font) {
    for (size_t i = 0; i < fonts_.size(); ++i) {
        if (fonts_[i] == font) return static_cast<int>(i);
    }
    fonts_.push_back(font);
    return static_cast<int>(fonts_.size()) - 1;
}

const ExcelFont& FontList::Items(int index) const {
    if (index < 0 || index >= Count()) throw XLSError("Font index out of range");
    return fonts_[static_cast<size_t>(index)];
}

int CellFormat::FormatIndex(int position) const {
    if (TextFormat == ::TextFormat::tfGeneral) return 0;
    if (TextFormat == ::TextFormat::tfUser) return 59 + position;
    return static_cast<int>(TextFormat) + 49;
}

std::string CellFormat::BuildXFRecord(XLSVersion version, int position, FontList& fonts) const {
    const bool biff8 = version == XLSVersion::xls97;
    const int fontBase = biff8 ? 5 : 7;
    uint8_t used = kUsedFont;
    uint8_t align = 0;
    if (HorizAlignment != ::HorizAlignment::chaGeneral) {
        align |= static_cast<uint8_t>(HorizAlignment);
        used |= kUsedAlign;
    }
    if (VertAlignment != ::VertAlignment::cvaTop) {
        align |= static_cast<uint8_t>(static_cast<int>(VertAlignment) << 4);
        used |= kUsedAlign;
    }
    if (WrapText) {
        align |= 0x08;
        used |= kUsedAlign;
    }
    if (TextFormat != ::TextFormat::tfGeneral) used |= kUsedFormat;
    uint16_t protection = kCellXF;
    if (Protection) {
        used |= kUsedProtection;
        protection |=
            static_cast<uint16_t>((Protection & cpLocked ? 1 : 0) | (Protection & cpHidden ? 2 : 0));
    }
    if (Border) used |= kUsedBorder;
    int colour = ExcelColorIndex(CellColor);
    if (colour != 64) used |= kUsedBackground;
    std::string r = XFRecord(version, static_cast<uint16_t>(fonts.IndexOfOrAdd(Font) + fontBase),
                             static_cast<uint16_t>(FormatIndex(position)), protection, align, used);
    if (biff8) {
        if (colour != 64) {
            Set16(r, 18, static_cast<uint16_t>((Get16(r, 18) & ~0x7F) | (colour & 0x7F)));
            Or32(r, 14, 1u << 26);
        }
        if (Border & cbLeft) Or16(r, 10, 0x0001), Or16(r, 12, kBorderColour);
        if (Border & cbRight) Or16(r, 10, 0x0010), Or16(r, 12, kBorderColour << 7);
        if (Border & cbTop) Or16(r, 10, 0x0100), Or32(r, 14, kBorderColour);
        if (Border & cbBottom) Or16(r, 10, 0x1000), Or32(r, 14, kBorderColour << 7);
        if (Border & cbDiag) Or16(r, 12, 0xC000), Or32(r, 14, (kBorderColour << 14) | (1u << 21));
    } else {
        if (colour != 64) {
            Set16(r, 8, static_cast<uint16_t>((Get16(r, 8) & ~0x7F) | (colour & 0x7F)));
            Or16(r, 10, 1);
        }
        if (Border & cbLeft) Or32(r, 12, (1u << 3) | (kBorderColour << 16));
        if (Border & cbRight) Or32(r, 12, (1u << 6) | (kBorderColour << 23));
        if (Border & cbTop) Or32(r, 12, 1u | (kBorderColour << 9));
        if (Border & cbBottom) Or32(r, 8, (1u << 22) | (static_cast<uint32_t>(kBorderColour) << 25));
    }
    return r;
}

std::vector<std::string> DefaultXFRecords(XLSVersion version) {
    std::vector<std::string> xfs;
    for (int i = 0; i < 15; ++i) {
        uint16_t font = (i == 1 || i == 2) ? 1 : (i == 3 || i == 4) ? 2 : 0;
        xfs.push_back(XFRecord(version, font, 0, kStyleXF, 0x20, i == 0 ? 0 : 0xF4));
    }
    xfs.push_back(XFRecord(version, 0, 0, kCellXF, 0x20, 0));
    return xfs;
}

std::string PaletteRecord() {
    std::string r;
    Add16(r, static_cast<uint16_t>(kDefaultPalette.size()));
    for (uint32_t rgb : kDefaultPalette)
        Add32(r, ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    return r;
}

QString WorkbookLocale::CurrencyFormatString(const QString& prefix, const QString& digits) const {
    const QString n = prefix + digits, c = CurrencyString;
    QString positive;
    switch (PositiveCurrencyOrder) {
    case 1:
        positive = n + c;
        break;
    case 2:
        positive = c + " " + n;
        break;
    case 3:
        positive = n + " " + c;
        break;
    default:
        positive = c + n;
        break;
    }
    const QString negatives[16] = {"(" + c + n + ")",
                                   "-" + c + n,
                                   c + "-" + n,
                                   c + n + "-",
                                   "(" + n + c + ")",
                                   "-" + n + c,
                                   n + "-" + c,
                                   n + c + "-",
                                   "-" + n + " " + c,
                                   "-" + c + " " + n,
                                   n + " " + c + "-",
                                   c + " " + n + "-",
                                   c + " -" + n,
                                   n + "- " + c,
                                   "(" + c + " " + n + ")",
                                   "(" + n + " " + c + ")"};
    int order = NegativeCurrencyOrder >= 0 && NegativeCurrencyOrder < 16 ? NegativeCurrencyOrder : 0;
    return positive + ";" + negatives[order];
}
