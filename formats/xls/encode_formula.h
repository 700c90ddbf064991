#pragma once

#include <QChar>
#include <QString>
#include <functional>
#include <string>

// An A1 reference: letters of the column (A..Z, or two letters whose first is A..G), the row number from
// 1, each optionally absolute ("$"). Letters must be upper case. Row 0 and overlong digit runs are not
// references.
bool ParseCellRef(const QString& text, int& col, int& row, bool& colAbsolute, bool& rowAbsolute);

// Turns formula text such as SUM(D3:CD3) into the reverse-Polish token string of a FORMULA record.
class EncodeFormula {
  public:
    // Names the encoder cannot resolve itself; each returns an index or -1.
    std::function<int(const QString&)> OnExternName; // adds the name when new
    std::function<int(const QString&)> OnName;
    std::function<int(const QString&)> OnSheet;

    QChar FuncArgSeparator = u',';
    QString StrTRUE = QStringLiteral("TRUE");
    QString StrFALSE = QStringLiteral("FALSE");
    int FormatLevel = 6; // 3 = BIFF4, 4 = BIFF5, 6 = BIFF8

    // The tokens of the formula, at most capacity bytes; throws XLSError with the text the user sees.
    std::string Encode(const QString& formula, size_t capacity) const;
};
