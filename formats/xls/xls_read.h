#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/xls/code_page.h"

enum class XLSErrorLevel { xelException, xelMessage, xelIgnore };

// Reads the cells of workbooks: BIFF8 and BIFF5 streams of compound files ("Workbook" or "Book", the level
// taken from the stream's first record) and plain BIFF2 to BIFF8 files. Open walks every sheet once, in
// record order, into a table sorted by row and column; ReadCell answers from it. Every length, offset and
// index of the file is checked; failures throw XLSError.
class XLSRead {
  public:
    QString FileName;
    QString StrTRUE = QStringLiteral("TRUE");
    QString StrFALSE = QStringLiteral("FALSE");
    XLSErrorLevel ErrorLevel = XLSErrorLevel::xelMessage;
    QChar FuncArgSeparator = u',';

    void Open();
    // The same from the bytes of a file already in memory.
    void OpenBytes(std::string bytes);
    // True when the cell exists and was decoded: text as QString, numbers as double, Boolean cells as
    // StrTRUE / StrFALSE and error cells as their error text.
    bool ReadCell(int sheet, int col, int row, QVariant& value) const;
    void Close();

    bool IsOpen() const { return open_; }
    // 1 = BIFF2, 2 = BIFF3, 3 = BIFF4, 4 = plain BIFF5 stream, 5 = BIFF5 in a compound file, 6 = BIFF8.
    int Level() const { return level_; }
    int SheetCount() const { return static_cast<int>(sheets_.size()); }
    // Cells held over all sheets.
    size_t CellCount() const;

    static double RKToDouble(uint32_t rk);
    static QString ErrorCodeText(uint8_t code);

  private:
    enum class Kind : uint8_t { Number, Text, Boolean, Error, Empty };
    // Sixteen bytes a cell: a full sheet of 65,536 x 256 cells takes 256 MB.
    struct Cell {
        union {
            double number;
            uint32_t text; // index into texts_
        };
        uint32_t col;
        uint16_t row;
        Kind kind;
        uint8_t code; // Boolean value or error code
    };
    struct Sheet {
        std::vector<Cell> cells;        // by row, then column
        std::vector<uint32_t> rowStart; // cells of row r: [rowStart[r], rowStart[r + 1])
    };
    class SheetBuilder;

    void Parse(std::string_view stream);
    void ReadGlobals(std::string_view stream, std::vector<size_t>& sheetOffsets);
    void ReadSST(std::string_view stream, size_t pos);
    // Reads one sheet's cells; returns where its records end.
    size_t ReadSheet(std::string_view stream, size_t pos, Sheet& sheet);
    QString ReadText(std::string_view data, size_t at, bool shortCount = false) const;
    QString ReadFormulaText(std::string_view stream, size_t pos) const;
    QVariant ValueOf(const Cell& cell) const;

    bool open_ = false;
    int level_ = 0;
    CodePageDecoder codePage_;
    // The shared strings first, then the texts of the cells that carry their own.
    std::vector<QString> texts_;
    std::vector<Sheet> sheets_;
};
