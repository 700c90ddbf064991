#include "formats/xls/encode_formula.h"

#include <QStringList>
#include <cmath>

#include "formats/xls/biff_bytes.h"
#include "formats/xls/excel_func.h"
#include "formats/xls/xls_error.h"

bool ParseCellRef(const QString& text, int& col, int& row, bool& colAbsolute, bool& rowAbsolute) {
    qsizetype i = 0, n = text.size();
    auto isUpper = [&](qsizetype at) { return at < n && text[at] >= u'A' && text[at] <= u'Z'; };
    colAbsolute = i < n && text[i] == u'$';
    if (colAbsolute) ++i;
    if (!isUpper(i)) return false;
    int first = text[i++].unicode() - 'A';
    if (isUpper(i)) {
        if (first > 'G' - 'A') return false;
        col = (first + 1) * 26 + (text[i++].unicode() - 'A');
    } else {
        col = first;
    }
    rowAbsolute = i < n && text[i] == u'$';
    if (rowAbsolute) ++i;
    qsizetype digits = n - i;
    if (digits < 1 || digits > 5) return false;
    int value = 0;
    for (; i < n; ++i) {
        if (!text[i].isDigit() || text[i].unicode() > '9') return false;
        value = value * 10 + (text[i].unicode() - '0');
    }
    if (value < 1 || value > 65536) return false;
    row = value - 1;
    return true;
}

namespace {

enum class Kind {
    End,
    Plus,
    Minus,
    Times,
    Divide,
    Power,
    Concat,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Open,
    Close,
    Number,
    Error,
    String,
    Word
};

struct Token {
    Kind kind = Kind::End;
    qsizetype start = 0, end = 0;
};

constexpr int kMaxDepth = 64;

QString Quoted(const QString& s) {
    return "\"" + s + "\"";
}

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'$' || c == u'.' || c == u'_' || c == u':' || c == u'!';
}

struct Reference {
    int col1 = 0, row1 = 0, col2 = 0, row2 = 0;
    bool colAbs1 = false, rowAbs1 = false, colAbs2 = false, rowAbs2 = false;
    bool area = false;
};

class Parser {
  public:
    Parser(const EncodeFormula& owner, const QString& formula, size_t capacity)
        : owner_(owner), f_(formula), end_(formula.size()), capacity_(capacity) {}

    std::string Run() {
        Comparison();
        ExpectEnd();
        return std::move(out_);
    }

  private:
    [[noreturn]] void Fail(const QString& text) const { throw XLSError(text.toStdString()); }
    [[noreturn]] void FailSymbol(const Token& t) const {
        Fail("Invalid symbol " + Quoted(Text(t)) + " in formula " + Quoted(f_));
    }
    QString Text(const Token& t) const { return f_.mid(t.start, t.end - t.start); }

    void Add(uint8_t token, const std::string& data = {}) {
        if (out_.size() + 1 + data.size() > capacity_) Fail("Formula buffer owerflow");
        Add8(out_, token);
        out_ += data;
    }

    Token Peek() {
        while (pos_ < end_ && f_[pos_].unicode() <= ' ')
            ++pos_;
        Token t{Kind::End, pos_, pos_};
        if (pos_ >= end_) return t;
        QChar c = f_[pos_];
        qsizetype p = pos_ + 1;
        auto at = [&](qsizetype i) { return i < end_ ? f_[i] : QChar(); };
        auto single = [&](Kind k) {
            t.kind = k;
            t.end = p;
            return t;
        };
        switch (c.unicode()) {
        case '+':
            return single(Kind::Plus);
        case '-':
            return single(Kind::Minus);
        case '*':
            return single(Kind::Times);
        case '/':
            return single(Kind::Divide);
        case '^':
            return single(Kind::Power);
        case '&':
            return single(Kind::Concat);
        case '=':
            return single(Kind::Equal);
        case '(':
            return single(Kind::Open);
        case ')':
            return single(Kind::Close);
        case '<':
            if (at(p) == u'>') return ++p, single(Kind::NotEqual);
            if (at(p) == u'=') return ++p, single(Kind::LessEqual);
            return single(Kind::Less);
        case '>':
            if (at(p) == u'=') return ++p, single(Kind::GreaterEqual);
            return single(Kind::Greater);
        case '"':
            for (;; ++p) {
                if (p >= end_) Fail("Missing right quote");
                if (f_[p] == u'"') {
                    if (at(p + 1) != u'"') break;
                    ++p; // a doubled quote stands for one
                }
            }
            return ++p, single(Kind::String);
        case '#':
            while (p < end_ && (f_[p].isLetterOrNumber() || f_[p] == u'/'))
                ++p;
            if (at(p) == u'!' || at(p) == u'?') ++p;
            return single(Kind::Error);
        default:
            break;
        }
        if (c.isDigit() || (c == u'.' && at(p).isDigit())) {
            qsizetype q = pos_;
            while (q < end_ && (f_[q].isDigit() || f_[q] == u'.'))
                ++q;
            if (at(q) == u'e' || at(q) == u'E') {
                ++q;
                if (at(q) == u'+' || at(q) == u'-') ++q;
                while (q < end_ && f_[q].isDigit())
                    ++q;
            }
            // Unnamed functions are called by their number.
            if (at(q) != u'(') {
                p = q;
                return single(Kind::Number);
            }
        }
        if (IsWordChar(c)) {
            while (p < end_ && IsWordChar(f_[p]))
                ++p;
            return single(Kind::Word);
        }
        Fail("Invalid character " + Quoted(QString(c)) + " in formula " + Quoted(f_));
    }

    void ExpectEnd() {
        Token t = Peek();
        if (t.kind != Kind::End) FailSymbol(t);
    }

    void Comparison() {
        Additive();
        for (;;) {
            Token t = Peek();
            uint8_t op = 0;
            switch (t.kind) {
            case Kind::Equal:
                op = 0x0B;
                break;
            case Kind::NotEqual:
                op = 0x0E;
                break;
            case Kind::Less:
                op = 0x09;
                break;
            case Kind::Greater:
                op = 0x0D;
                break;
            case Kind::LessEqual:
                op = 0x0A;
                break;
            case Kind::GreaterEqual:
                op = 0x0C;
                break;
            default:
                return;
            }
            pos_ = t.end;
            Additive();
            Add(op);
        }
    }

    void Additive() {
        Multiplicative();
        for (;;) {
            Token t = Peek();
            uint8_t op = t.kind == Kind::Plus     ? 0x03
                         : t.kind == Kind::Minus  ? 0x04
                         : t.kind == Kind::Concat ? 0x08
                                                  : 0;
            if (!op) return;
            pos_ = t.end;
            Multiplicative();
            Add(op);
        }
    }

    void Multiplicative() {
        Power();
        for (;;) {
            Token t = Peek();
            uint8_t op = t.kind == Kind::Times ? 0x05 : t.kind == Kind::Divide ? 0x06 : 0;
            if (!op) return;
            pos_ = t.end;
            Power();
            Add(op);
        }
    }

    void Power() {
        Primary();
        for (Token t = Peek(); t.kind == Kind::Power; t = Peek()) {
            pos_ = t.end;
            Primary();
            Add(0x07);
        }
    }

    void Primary() {
        if (++depth_ > kMaxDepth) Fail("Formula nested too deeply " + Quoted(f_));
        Token t = Peek();
        pos_ = t.end;
        switch (t.kind) {
        case Kind::Open:
            Comparison();
            if (Peek().kind != Kind::Close) Fail("Right paranthese is missing " + Quoted(f_));
            pos_ = Peek().end;
            Add(0x15);
            break;
        case Kind::Minus:
            Primary();
            Add(0x13);
            break;
        case Kind::Number:
            NumberToken(Text(t));
            break;
        case Kind::String:
            StringToken(Text(t));
            break;
        case Kind::Error:
            ErrorToken(Text(t));
            break;
        case Kind::Word:
            WordToken(t);
            break;
        default:
            FailSymbol(t);
        }
        --depth_;
    }

    void NumberToken(const QString& text) {
        bool ok = false;
        double v = text.toDouble(&ok);
        if (!ok) Fail("Invalid number " + Quoted(text) + " in function " + Quoted(f_));
        std::string data;
        if (v >= 0 && v <= 32767 && v == std::floor(v)) {
            Add16(data, static_cast<uint16_t>(v));
            Add(0x1E, data);
        } else {
            AddDouble(data, v);
            Add(0x1F, data);
        }
    }

    void StringToken(const QString& quoted) {
        QString s = quoted.mid(1, quoted.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
        if (s.size() > 255) Fail("String longer than 255 characters in formula " + Quoted(f_));
        std::string data;
        Add8(data, static_cast<uint8_t>(s.size()));
        bool wide = false;
        for (QChar c : s)
            wide |= c.unicode() > 0xFF;
        if (owner_.FormatLevel >= 6)
            Add8(data, wide ? 1 : 0);
        else if (wide)
            Fail("Invalid character in string of formula " + Quoted(f_));
        for (QChar c : s) {
            if (wide)
                Add16(data, c.unicode());
            else
                Add8(data, static_cast<uint8_t>(c.unicode()));
        }
        Add(0x17, data);
    }

    void ErrorToken(const QString& text) {
        static const std::pair<const char*, uint8_t> codes[] = {
            {"#NULL!", 0},  {"#DIV/0!", 7}, {"#VALUE!", 15}, {"#REF!", 23},
            {"#NAME?", 29}, {"#NUM!", 36},  {"#N/A", 42}};
        for (const auto& [name, code] : codes) {
            if (text == QLatin1String(name)) return Add(0x1C, std::string(1, static_cast<char>(code)));
        }
        Fail("Unknown error value " + Quoted(text) + " in formula " + Quoted(f_));
    }

    void WordToken(const Token& t) {
        QString word = Text(t);
        if (Peek().kind == Kind::Open) return FunctionCall(word);
        if (word.compare(owner_.StrTRUE, Qt::CaseInsensitive) == 0) return Add(0x1D, std::string(1, '\1'));
        if (word.compare(owner_.StrFALSE, Qt::CaseInsensitive) == 0) return Add(0x1D, std::string(1, '\0'));
        qsizetype bang = word.indexOf(u'!');
        if (bang >= 0) return SheetReference(word.left(bang), word.mid(bang + 1));
        Reference ref;
        if (word.contains(u':')) {
            if (!ParseArea(word, ref)) Fail("Invalid reference " + Quoted(word));
            return AddReference(ref, 0x25, 0x44, {});
        }
        if (ParseCellRef(word, ref.col1, ref.row1, ref.colAbs1, ref.rowAbs1))
            return AddReference(ref, 0x25, 0x44, {});
        if (!(word[0].isLetter() || word[0] == u'_')) FailSymbol(t);
        int index = owner_.OnName ? owner_.OnName(word) : -1;
        if (index < 0) Fail("Unknown Name " + Quoted(word) + " in function " + Quoted(f_));
        std::string data;
        Add16(data, static_cast<uint16_t>(index + 1));
        if (owner_.FormatLevel < 6) data.append(12, '\0');
        Add(0x43, data);
    }

    bool ParseArea(const QString& text, Reference& ref) const {
        QStringList parts = text.split(u':');
        ref.area = true;
        return parts.size() == 2 && ParseCellRef(parts[0], ref.col1, ref.row1, ref.colAbs1, ref.rowAbs1) &&
               ParseCellRef(parts[1], ref.col2, ref.row2, ref.colAbs2, ref.rowAbs2);
    }

    void SheetReference(const QString& sheet, const QString& target) {
        int index = owner_.OnSheet ? owner_.OnSheet(sheet) : -1;
        if (index < 0) Fail("Unknown Sheet " + Quoted(sheet));
        Reference ref;
        if (target.contains(u':')) {
            if (!ParseArea(target, ref)) Fail("Invalid Reference " + Quoted(target));
        } else if (!ParseCellRef(target, ref.col1, ref.row1, ref.colAbs1, ref.rowAbs1)) {
            Fail("Bad Sheet Reference " + Quoted(target));
        }
        std::string prefix;
        if (owner_.FormatLevel >= 6) {
            Add16(prefix, static_cast<uint16_t>(index));
        } else {
            Add16(prefix, 0xFFFF); // this workbook
            prefix.append(8, '\0');
            Add16(prefix, static_cast<uint16_t>(index));
            Add16(prefix, static_cast<uint16_t>(index));
        }
        AddReference(ref, 0x5B, 0x5A, prefix);
    }

    // Rows, then columns; the relative flags ride on the column word (BIFF8) or on the row word.
    void AddReference(const Reference& ref, uint8_t areaToken, uint8_t cellToken, std::string data) {
        bool biff8 = owner_.FormatLevel >= 6;
        auto flags = [](bool colAbs, bool rowAbs) {
            return static_cast<uint16_t>((rowAbs ? 0 : 0x8000) | (colAbs ? 0 : 0x4000));
        };
        auto row = [&](int r, bool colAbs, bool rowAbs) {
            if (biff8) return Add16(data, static_cast<uint16_t>(r));
            if (r > 0x3FFF) Fail("Invalid reference row in formula " + Quoted(f_));
            Add16(data, static_cast<uint16_t>(r | flags(colAbs, rowAbs)));
        };
        auto col = [&](int c, bool colAbs, bool rowAbs) {
            if (biff8) return Add16(data, static_cast<uint16_t>(c | flags(colAbs, rowAbs)));
            Add8(data, static_cast<uint8_t>(c));
        };
        row(ref.row1, ref.colAbs1, ref.rowAbs1);
        if (ref.area) row(ref.row2, ref.colAbs2, ref.rowAbs2);
        col(ref.col1, ref.colAbs1, ref.rowAbs1);
        if (ref.area) col(ref.col2, ref.colAbs2, ref.rowAbs2);
        Add(ref.area ? areaToken : cellToken, data);
    }

    // The argument text ends at the ")" matching the one at pos_, outside quotes.
    qsizetype ClosingParenthesis() const {
        int level = 0;
        bool quoted = false;
        for (qsizetype p = pos_; p < end_; ++p) {
            QChar c = f_[p];
            if (c == u'"')
                quoted = !quoted;
            else if (quoted)
                continue;
            else if (c == u'(')
                ++level;
            else if (c == u')' && --level == 0)
                return p;
        }
        Fail("Right paranthese is missing " + Quoted(f_));
    }

    void FunctionCall(const QString& word) {
        QString name = word.toUpper();
        // Blanks may stand between the name and its "(": the arguments start after the parenthesis.
        pos_ = Peek().start;
        qsizetype close = ClosingParenthesis();
        int number = FindExcelFunction(name);
        int extern_ = -1;
        if (number < 0) {
            if (owner_.FormatLevel >= 4 && owner_.OnExternName) extern_ = owner_.OnExternName(name);
            if (extern_ < 0) Fail("Unknown function " + Quoted(name) + " in formula");
            std::string data;
            Add16(data, 1);
            data.append(8, '\0');
            Add16(data, static_cast<uint16_t>(extern_ + 1));
            data.append(12, '\0');
            Add(0x39, data);
        }
        int count = Arguments(pos_ + 1, close);
        pos_ = close + 1;
        std::string data;
        if (number < 0) {
            Add8(data, static_cast<uint8_t>(count + 1));
            Add16(data, 255);
            return Add(0x42, data);
        }
        const ExcelFunction& fn = ExcelFunctions()[static_cast<size_t>(number)];
        if (count < fn.minArgs) Fail("To few arguments to function " + Quoted(name));
        if (count > fn.maxArgs) Fail("To many arguments to function " + Quoted(name));
        if (fn.minArgs == fn.maxArgs) {
            Add16(data, static_cast<uint16_t>(number));
            return Add(0x41, data);
        }
        Add8(data, static_cast<uint8_t>(count));
        Add16(data, static_cast<uint16_t>(number));
        Add(0x42, data);
    }

    // Encodes each top-level argument between from and to; returns their number.
    int Arguments(qsizetype from, qsizetype to) {
        if (f_.mid(from, to - from).trimmed().isEmpty()) return 0;
        qsizetype savedEnd = end_;
        int count = 0, level = 0;
        bool quoted = false;
        qsizetype start = from;
        for (qsizetype p = from; p <= to; ++p) {
            QChar c = p < to ? f_[p] : owner_.FuncArgSeparator;
            if (c == u'"') quoted = !quoted;
            if (quoted) continue;
            if (c == u'(')
                ++level;
            else if (c == u')')
                --level;
            else if (c == owner_.FuncArgSeparator && level == 0) {
                pos_ = start;
                end_ = p;
                Comparison();
                ExpectEnd();
                ++count;
                start = p + 1;
            }
        }
        end_ = savedEnd;
        return count;
    }

    const EncodeFormula& owner_;
    const QString& f_;
    qsizetype pos_ = 0;
    qsizetype end_;
    size_t capacity_;
    int depth_ = 0;
    std::string out_;
};

} // namespace

std::string EncodeFormula::Encode(const QString& formula, size_t capacity) const {
    return Parser(*this, formula, capacity).Run();
}
