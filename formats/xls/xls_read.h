#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum class XLSErrorLevel { xelException, xelMessage, xelIgnore };

// Reads the cells of workbooks: BIFF8 ("Workbook") and BIFF5 ("Book") streams of compound files, and plain
// BIFF2 to BIFF5 files. Open scans every sheet once into a table; ReadCell answers from it. Every length,
// offset and index of the file is checked; failures throw XLSError.
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
    // 1 = BIFF2, 2 = BIFF3, 3 = BIFF4, 4 = plain BIFF5 stream, 5 = "Book", 6 = "Workbook".
    int Level() const { return level_; }
    int SheetCount() const { return static_cast<int>(sheets_.size()); }

    static double RKToDouble(uint32_t rk);
    static QString ErrorCodeText(uint8_t code);

  private:
    using Cells = std::unordered_map<uint64_t, QVariant>;

    void Parse(std::string_view stream);
    void ReadSST(std::string_view stream, size_t pos);
    // Reads one sheet's cells; returns where its records end.
    size_t ReadSheet(std::string_view stream, size_t pos, Cells& cells) const;
    QString ReadText(std::string_view data, size_t at, bool shortCount = false) const;

    bool open_ = false;
    int level_ = 0;
    QStringList sst_;
    std::vector<Cells> sheets_;
};
