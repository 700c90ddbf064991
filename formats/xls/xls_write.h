#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "formats/xls/encode_formula.h"
#include "formats/xls/xls_format.h"

enum SheetOption : uint8_t { soGridlines = 1, soRowColHeadings = 2, soProtected = 4 };
enum PageSetupOption : uint8_t {
    psoLeftToRight = 1,
    psoPortrait = 2,
    psoNoColor = 8,
    psoDraftQuality = 0x10,
    psoPrintNotes = 0x20
};

struct PageSetup {
    uint16_t ScalingFactor = 46;
    uint16_t StartingPage = 1;
    uint16_t Copies = 0;
    uint8_t Options = psoPortrait; // PageSetupOption bits
    double HeaderMargin = 0.0, FooterMargin = 0.0;
    // Negative margins are not set and not written.
    double MarginLeft = -1.0, MarginRight = -1.0, MarginTop = -1.0, MarginBottom = -1.0;
};

struct BIFFHeader {
    uint16_t ID = 0;
    uint16_t Length = 0;
};

// Writes workbooks: BIFF8 or BIFF5 records in a compound file, or a plain BIFF4 sheet. The workbook is
// built in memory and the file is replaced at CloseFile; OpenFile already creates the file so that a file
// another program holds is reported at once. Every failure throws XLSError with the text the user sees.
// A writer destroyed while an exception leaves the code that opened it abandons its file instead of
// finishing it, so a half-built workbook never replaces a good one.
class XLSWrite {
  public:
    XLSWrite();
    ~XLSWrite();
    XLSWrite(const XLSWrite&) = delete;
    XLSWrite& operator=(const XLSWrite&) = delete;

    QString FileName;
    QStringList Sheets{QStringLiteral("Sheet1")};
    std::vector<CellFormat> Formats;
    ExcelFont Font;
    uint8_t Options = soGridlines | soRowColHeadings; // SheetOption bits
    bool RecalcFormulas = true;
    bool WriteGlobalData = false;
    QString StrTRUE = QStringLiteral("TRUE");
    QString StrFALSE = QStringLiteral("FALSE");
    ::PageSetup PageSetup;
    WorkbookLocale Locale;
    // Sees every record before it is written and may change it.
    std::function<void(BIFFHeader& header, std::string& data)> OnWriteData;

    XLSVersion Version() const { return version_; }
    void SetXLSVersion(XLSVersion version);
    QChar FuncArgSeparator() const { return encoder_.FuncArgSeparator; }
    void SetFuncArgSeparator(QChar separator) { encoder_.FuncArgSeparator = separator; }
    int ReservedExtnamesSize() const { return reservedExtnamesSize_; }
    void SetReservedExtnamesSize(int size);
    int CurrSheetIndex() const { return sheetCounter_ - 1; }
    bool FileIsOpen() const { return open_; }
    int MaxBuffsize() const { return version_ == XLSVersion::xls97 ? 8224 : 2080; }

    void OpenFile();
    void NextSheet();
    void CloseFile();
    // Drops the workbook being built: the file stays as it was before OpenFile (removed if OpenFile made it).
    void AbandonFile();

    void WriteNumber(int col, int row, int format, double value);
    void WriteString(int col, int row, int format, const QString& text);
    void WriteFormula(int col, int row, int format, const QVariant& result, const QString& formula);
    void SetColWidth(int firstCol, int lastCol, int format, int width);

    // Record layer.
    void WriteRecord(uint16_t id, std::string data);
    void WriteWordRecord(uint16_t id, uint16_t value);
    void WriteBOF(uint16_t type);
    void WriteFormatRecord(int index, const QString& text);

  private:
    void OpenBiff4();
    void CloseBiff4();
    void WriteGlobals();
    void WriteSheetStart();
    void EndSheet();
    void WriteExternNames();
    void WriteSST();
    uint32_t AddSSTString(const QString& text);
    void CheckCell(int col, int row) const;
    void NoteCell(int col, int row);
    uint16_t CellXF(int format) const;
    int IndexOfExternName(const QString& name);
    int IndexOfSheet(const QString& name) const;
    void Reset();
    [[noreturn]] void FailTooLarge() const;
    void RemoveCreatedFile();

    XLSVersion version_ = XLSVersion::xls50;
    int reservedExtnamesSize_ = 256;
    EncodeFormula encoder_;
    FontList fonts_;

    bool open_ = false;
    std::filesystem::path target_; // where OpenFile put the file: FileName, or the end of its links
    bool created_ = false;         // OpenFile made the file: nothing was there before
    int exceptionsAtOpen_ = 0;     // more when the writer is destroyed by an exception
    bool inGlobals_ = false;
    int sheetCounter_ = 0;
    std::string stream_;
    std::vector<size_t> boundsheetPos_; // per sheet: where its BOF offset is stored
    size_t sstPos_ = 0;

    // Current sheet.
    size_t dimensionsPos_ = 0;
    size_t reservedPos_ = 0;
    int firstRow_ = 0, lastRow_ = -1, firstCol_ = 0, lastCol_ = -1;

    QStringList externNames_;

    struct SharedString {
        QString text;
        uint32_t count;
    };
    std::vector<SharedString> sst_;
    QHash<QString, uint32_t> sstIndex_;
    uint32_t sstReferences_ = 0;
};
