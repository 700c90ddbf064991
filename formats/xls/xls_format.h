#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

// Fonts, colours and cell formats of written workbooks, and the records that carry them.

enum class XLSVersion { xls40, xls50, xls97 };

// 65 colours: xcBlack, xc1 .. xc38, xcWhite (39), xc40 .. xc63, xcNoColor (64); the numbered ones are
// reached by casting their ordinal.
enum class ExcelColor : uint8_t { xcBlack = 0, xcWhite = 39, xcNoColor = 64 };
// The palette index written to a file; 65 for a colour the table does not hold.
int ExcelColorIndex(ExcelColor color);

enum FontStyle : uint8_t { xfsBold = 1, xfsItalic = 2, xfsStrikeOut = 4 };
enum class SubSuperScript { xssNone, xssSuperscript, xssSubscript };
enum class Underline { xulNone, xulSingle, xulDouble, xulSingleAccount, xulDoubleAccount };

struct ExcelFont {
    QString Name = QStringLiteral("Arial");
    uint8_t Charset = 0;
    ExcelColor Color = ExcelColor::xcBlack;
    int Size = 10;
    uint8_t Style = 0; // FontStyle bits
    ::SubSuperScript SubSuperScript = ::SubSuperScript::xssNone;
    ::Underline Underline = ::Underline::xulNone;
    bool operator==(const ExcelFont&) const = default;

    // FONT record data; throws XLSError when the name does not fit its length byte.
    std::string BuildFontRecord(XLSVersion version) const;
};

// The fonts of the cell formats, each stored once.
class FontList {
  public:
    int IndexOfOrAdd(const ExcelFont& font);
    const ExcelFont& Items(int index) const;
    int Count() const { return static_cast<int>(fonts_.size()); }
    void Clear() { fonts_.clear(); }

  private:
    std::vector<ExcelFont> fonts_;
};

enum class TextFormat {
    tfGeneral,
    tf2Dec,
    tf0Dec1000,
    tf2Dec1000,
    tfPercent,
    tfCurrency0Dec,
    tfCurrency2Dec,
    tfDate,
    tfTime,
    tfText,
    tfUser
};
enum class HorizAlignment { chaGeneral, chaLeft, chaCenter, chaRight, chaFill, chaJustify, chaCenterAcross };
enum class VertAlignment { cvaTop, cvaCenter, cvaBottom, cvaJustify };
enum CellProtection : uint8_t { cpLocked = 1, cpHidden = 2 };
enum CellBorder : uint8_t { cbLeft = 1, cbTop = 2, cbRight = 4, cbBottom = 8, cbDiag = 16 };

struct CellFormat {
    QString Name;
    ExcelFont Font;
    ::TextFormat TextFormat = ::TextFormat::tfGeneral;
    QString TextFormatUser;
    bool WrapText = false;
    ExcelColor CellColor = ExcelColor::xcNoColor;
    uint8_t Protection = 0; // CellProtection bits
    ::HorizAlignment HorizAlignment = ::HorizAlignment::chaGeneral;
    ::VertAlignment VertAlignment = ::VertAlignment::cvaTop;
    uint8_t Border = 0; // CellBorder bits

    // Number format index: 0 for general, 50..58 for the built-in ones, 59 + position for user formats.
    int FormatIndex(int position) const;
    // XF record data; the font is added to fonts.
    std::string BuildXFRecord(XLSVersion version, int position, FontList& fonts) const;
};

// The 16 default XF records (15 style XFs and the cell XF) of a workbook.
std::vector<std::string> DefaultXFRecords(XLSVersion version);
// PALETTE record data: the 56 default colours.
std::string PaletteRecord();

// Locale texts of the built-in number formats.
struct WorkbookLocale {
    QString CurrencyString = QStringLiteral("$");
    int PositiveCurrencyOrder = 0; // 0..3
    int NegativeCurrencyOrder = 0; // 0..15
    QString ShortDateFormat = QStringLiteral("M/d/yyyy");
    QString ShortTimeFormat = QStringLiteral("h:mm:ss");

    QString CurrencyFormatString(const QString& prefix, const QString& digits) const;
};
