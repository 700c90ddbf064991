#include <gtest/gtest.h>

#include "formats/xls/encode_formula.h"
#include "formats/xls/excel_func.h"
#include "formats/xls/xls_error.h"

namespace {

std::string Hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (const char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", static_cast<unsigned char>(c));
        out += buf;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

std::string Encode(const QString& formula, int level = 6) {
    EncodeFormula e;
    e.FormatLevel = level;
    e.OnSheet = [](const QString& name) { return name.toUpper() == "SHEET2" ? 1 : -1; };
    return Hex(e.Encode(formula, 8224));
}

std::string Error(const QString& formula, size_t capacity = 8224) {
    EncodeFormula e;
    try {
        e.Encode(formula, capacity);
    } catch (const XLSError& err) {
        return err.what();
    }
    return "no error";
}

} // namespace

TEST(XlsFormula, EncodesTokensInReversePolishOrder) {
    struct Case {
        const char* formula;
        const char* tokens;
    } cases[] = {
        {"PI()", "41 13 00"},
        {"SUM(D3:CD3)", "25 02 00 02 00 03 C0 51 C0 42 01 04 00"},
        {"NA()", "41 0A 00"},
        {"SUM(1,2,3)", "1E 01 00 1E 02 00 1E 03 00 42 03 04 00"},
        {"SUM (1,2,3)", "1E 01 00 1E 02 00 1E 03 00 42 03 04 00"},
        {"40000", "1F 00 00 00 00 00 88 E3 40"},
        {"3", "1E 03 00"},
        {"$A$1", "44 00 00 00 00"},
        {"B$2", "44 01 00 01 40"},
        {"1+2*3", "1E 01 00 1E 02 00 1E 03 00 05 03"},
        {"(1+2)*3", "1E 01 00 1E 02 00 03 15 1E 03 00 05"},
        {"A1-B1-C1", "44 00 00 00 C0 44 00 00 01 C0 04 44 00 00 02 C0 04"},
        {"2^3<=-1", "1E 02 00 1E 03 00 07 1E 01 00 13 0A"},
        {"\"a\"\"b\"&TRUE", "17 03 00 61 22 62 1D 01 08"},
        {"#N/A", "1C 2A"},
        {"IF(A1>0,\"x,y\",#DIV/0!)", "44 00 00 00 C0 1E 00 00 0D 17 03 00 78 2C 79 1C 07 42 03 01 00"},
        {"Sheet2!B2", "5A 01 00 01 00 01 C0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Encode(c.formula), c.tokens) << c.formula;
    // BIFF5 layout: the relative flags ride on the row, the column is one byte.
    EXPECT_EQ(Encode("SUM(D3:CD3)", 4), "25 02 C0 02 C0 03 51 42 01 04 00");
}

TEST(XlsFormula, ParseCellRefRefusesWhatIsNoReference) {
    int col = 0, row = 0;
    bool colAbs = false, rowAbs = false;
    EXPECT_TRUE(ParseCellRef("GZ65536", col, row, colAbs, rowAbs));
    EXPECT_EQ(col, 207);
    EXPECT_EQ(row, 65535);
    for (const char* text : {"A0", "HA1", "a1", "A", "A1B", "A000000001", "A65537", "$", "1A"}) {
        EXPECT_FALSE(ParseCellRef(text, col, row, colAbs, rowAbs)) << text;
    }
}

TEST(XlsFormula, ErrorsCarryTheirTexts) {
    EXPECT_EQ(Error("NPV(A1)"), "To few arguments to function \"NPV\"");
    EXPECT_EQ(Error("ABS(1,2)"), "To many arguments to function \"ABS\"");
    EXPECT_EQ(Error("SUM(1"), "Right paranthese is missing \"SUM(1\"");
    EXPECT_EQ(Error("(1+2"), "Right paranthese is missing \"(1+2\"");
    EXPECT_EQ(Error("\"abc"), "Missing right quote");
    EXPECT_EQ(Error("1;2"), "Invalid character \";\" in formula \"1;2\"");
    EXPECT_EQ(Error("HA1"), "Unknown Name \"HA1\" in function \"HA1\"");
    EXPECT_EQ(Error("#BAD!"), "Unknown error value \"#BAD!\" in formula \"#BAD!\"");
    EXPECT_EQ(Error("1e+"), "Invalid number \"1e+\" in function \"1e+\"");
    EXPECT_EQ(Error("NOSUCH(1)"), "Unknown function \"NOSUCH\" in formula");
    EXPECT_EQ(Error("Other!A1"), "Unknown Sheet \"Other\"");
    EXPECT_EQ(Error("SUM(1,2,3)", 10), "Formula buffer owerflow");
    EXPECT_EQ(Error(QString(200, '(') + "1" + QString(200, ')')).rfind("Formula nested too deeply", 0), 0u);
}

TEST(XlsFormula, FunctionTableHasEveryNumber) {
    auto table = ExcelFunctions();
    ASSERT_EQ(table.size(), 357u);
    EXPECT_STREQ(table[4].name, "SUM");
    EXPECT_STREQ(table[356].name, "SAVE.DIALOG");
    EXPECT_EQ(FindExcelFunction("NPV"), 11);
    EXPECT_EQ(FindExcelFunction("202"), 202);
    EXPECT_EQ(Encode("202(1)"), "1E 01 00 41 CA 00");
}
