#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "formats/xls/biff_bytes.h"
#include "formats/xls/cfb.h"
#include "formats/xls/xls_error.h"
#include "formats/xls/xls_read.h"
#include "formats/xls/xls_write.h"
#include "platform/text.h"
#include "support/test_support.h"

namespace {

std::string Rec(uint16_t id, const std::string& data) {
    std::string r;
    Add16(r, id);
    Add16(r, static_cast<uint16_t>(data.size()));
    return r + data;
}

std::string Cell(uint16_t row, uint16_t col, const std::string& rest) {
    std::string d;
    Add16(d, row);
    Add16(d, col);
    Add16(d, 15);
    return d + rest;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

std::string Bof(uint16_t type, uint16_t version = 0x0600) {
    std::string d;
    Add16(d, version);
    Add16(d, type);
    d.append(12, '\0');
    return Rec(0x0809, d);
}

// A workbook stream (BIFF8 unless another version is given): globals with one BOUNDSHEET and the given
// records, then one sheet.
std::string Workbook(const std::string& globalRecords, const std::string& sheetRecords,
                     uint16_t version = 0x0600) {
    std::string globalsHead = Bof(5, version);
    std::string name = version == 0x0600 ? Bytes({1, 0, 'S'}) : Bytes({1, 'S'});
    std::string boundsheet = Rec(0x0085, std::string(4, '\0') + Bytes({0, 0}) + name);
    std::string globals = globalsHead + boundsheet + globalRecords + Rec(0x000A, "");
    Set32(globals, globalsHead.size() + 4, static_cast<uint32_t>(globals.size()));
    return globals + Bof(0x10, version) + sheetRecords + Rec(0x000A, "");
}

XLSRead ReadBytes(const std::string& bytes) {
    XLSRead r;
    r.OpenBytes(bytes);
    return r;
}

QVariant Value(const XLSRead& r, int col, int row) {
    QVariant v;
    EXPECT_TRUE(r.ReadCell(0, col, row, v)) << col << "," << row;
    return v;
}

} // namespace

TEST(XlsRead, DecodesEveryCellKind) {
    std::string number;
    AddDouble(number, 2.5);
    std::string formulaString = Bytes({0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0});
    std::string sheet =
        Rec(0x0203, Cell(0, 0, number)) +
        Rec(0x027E, Cell(0, 1, Bytes({0x4B, 0x00, 0x00, 0x00}))) + // 0x12 * ... integer 18, /100
        Rec(0x027E, Cell(0, 2, Bytes({0x00, 0x00, 0xF0, 0x3F}))) + // 1.0 as the top of a double
        Rec(0x00BD,
            Bytes({1, 0, 1, 0, 15, 0, 0x0A, 0, 0, 0, 15, 0, 0x0E, 0, 0, 0, 2, 0})) + // 2 and 3 at B2:C2
        Rec(0x0205, Cell(2, 0, Bytes({1, 0}))) +
        Rec(0x0205, Cell(2, 1, Bytes({0x07, 1}))) + Rec(0x0205, Cell(2, 2, Bytes({0x99, 1}))) +
        Rec(0x0006, Cell(3, 0, formulaString)) + Rec(0x04BC, "shared") +
        Rec(0x0207, Bytes({3, 0, 0, 'a', 'b', 'c'})) +
        Rec(0x0006, Cell(3, 1, Bytes({1, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0}))) +
        Rec(0x0006, Cell(3, 2, Bytes({2, 0, 0x2A, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0}))) +
        Rec(0x0204, Cell(4, 0, Bytes({2, 0, 1, 0x2D, 0x4E, 0x41, 0})));
    XLSRead r = ReadBytes(WriteCompoundFile({{"Workbook", Workbook("", sheet)}}));
    EXPECT_EQ(r.Level(), 6);
    EXPECT_EQ(Value(r, 0, 0).toDouble(), 2.5);
    EXPECT_EQ(Value(r, 1, 0).toDouble(), 0.18);
    EXPECT_EQ(Value(r, 2, 0).toDouble(), 1.0);
    EXPECT_EQ(Value(r, 1, 1).toDouble(), 2.0);
    EXPECT_EQ(Value(r, 2, 1).toDouble(), 3.0);
    EXPECT_EQ(Value(r, 0, 2).toString(), "TRUE");
    EXPECT_EQ(Value(r, 1, 2).toString(), "#DIV/0!");
    EXPECT_EQ(Value(r, 2, 2).toString(), "#???");
    EXPECT_EQ(Value(r, 0, 3).toString(), "abc");
    EXPECT_EQ(Value(r, 1, 3).toString(), "FALSE");
    EXPECT_EQ(Value(r, 2, 3).toString(), "#N/A");
    EXPECT_EQ(Value(r, 0, 4).toString(), QString::fromUtf8("\u4e2d\u0041"));
    QVariant v;
    EXPECT_FALSE(r.ReadCell(0, 3, 1, v));
    EXPECT_THROW(r.ReadCell(1, 0, 0, v), XLSError);
    EXPECT_EQ(XLSRead::RKToDouble(0xFFFFFFFE), -1.0);
}

TEST(XlsRead, SharedStringsCrossContinueRecordsWithRichAndExtendedParts) {
    // "ab" rich (1 run) with 2 extension bytes, split: the characters continue as UTF-16 in the next record.
    std::string sst = Bytes({3, 0, 0, 0, 2, 0, 0, 0});
    sst += Bytes({3, 0, 0x0C, 1, 0, 2, 0, 0, 0, 'a'});
    std::string cont1 = Bytes({1, 'b', 0, 0x2D, 0x4E, 1, 2, 3, 4, 9});
    std::string cont2 = Bytes({9, 1, 0, 0, 'z'});
    std::string sheet = Rec(0x00FD, Cell(0, 0, Bytes({0, 0, 0, 0}))) +
                        Rec(0x00FD, Cell(0, 1, Bytes({1, 0, 0, 0}))) +
                        Rec(0x00FD, Cell(0, 2, Bytes({7, 0, 0, 0})));
    XLSRead r = ReadBytes(WriteCompoundFile(
        {{"Workbook", Workbook(Rec(0x00FC, sst) + Rec(0x003C, cont1) + Rec(0x003C, cont2), sheet)}}));
    EXPECT_EQ(Value(r, 0, 0).toString(), QString::fromUtf8("ab\u4e2d"));
    EXPECT_EQ(Value(r, 1, 0).toString(), "z");
    QVariant v;
    EXPECT_FALSE(r.ReadCell(0, 2, 0, v)); // index beyond the table

    auto error = [](const std::string& sstRecords) {
        try {
            ReadBytes(WriteCompoundFile({{"Workbook", Workbook(sstRecords, "")}}));
        } catch (const XLSError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error(Rec(0x00FC, Bytes({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0x40, 'a'}))),
              "Unhandled string in SST [40]");
    EXPECT_EQ(error(Rec(0x00FC, Bytes({1, 0, 0, 0, 1, 0, 0, 0, 5, 0, 0, 'a'}))), "SST Buffer owerflow (0)");
    EXPECT_EQ(error(Rec(0x00FC, Bytes({1, 0, 0, 0, 1, 0, 0, 0, 5}))), "CONTINUE record missing");
    EXPECT_EQ(
        error(Rec(0x00FC, Bytes({1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 'a'})) + Rec(0x003C, Bytes({7, 'b'}))),
        "Unknown string [0] in SST");
}

TEST(XlsRead, OpensEachKindOfFileAndRefusesOthers) {
    TempDir dir;
    XLSRead r;
    EXPECT_THROW(r.Open(), XLSError);
    r.FileName = QString::fromStdString((dir / "missing.xls").string());
    EXPECT_THROW(r.Open(), XLSError);
    QVariant v;
    EXPECT_THROW(r.ReadCell(0, 0, 0, v), XLSError);

    // A compound file with both streams is read from "Workbook".
    std::string number;
    AddDouble(number, 6);
    std::string both =
        WriteCompoundFile({{"Book", "junk"}, {"Workbook", Workbook("", Rec(0x0203, Cell(0, 0, number)))}});
    EXPECT_EQ(ReadBytes(both).Level(), 6);
    EXPECT_EQ(Value(ReadBytes(both), 0, 0).toDouble(), 6);

    // A plain BIFF4 sheet: cells anywhere after the BOF.
    std::string biff4 = Rec(0x0409, Bytes({0, 4, 0x10, 0, 0, 0})) +
                        Rec(0x0204, Cell(1, 1, Bytes({2, 0, 'h', 'i'}))) + Rec(0x000A, "");
    EXPECT_EQ(ReadBytes(biff4).Level(), 3);
    EXPECT_EQ(Value(ReadBytes(biff4), 1, 1).toString(), "hi");

    auto error = [](const std::string& bytes) {
        try {
            ReadBytes(bytes);
        } catch (const XLSError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error("plain text"), "File is not a Excel file");
    EXPECT_EQ(error(WriteCompoundFile({{"Other", "x"}})), "File is not a Excel Workbook");
    EXPECT_EQ(error(biff4.substr(0, biff4.size() - 6)), "Record beyond the end of the file");
    std::string badOffset = Workbook("", "");
    Set32(badOffset, Bof(5).size() + 4, 0x7FFFFFFF);
    EXPECT_EQ(error(WriteCompoundFile({{"Workbook", badOffset}})), "File has no data");
}

TEST(XlsRead, DamagedWorkbooksFailCleanly) {
    TempDir dir;
    XLSWrite w;
    w.SetXLSVersion(XLSVersion::xls97);
    w.FileName = QString::fromStdString((dir / "a.xls").string());
    w.OpenFile();
    for (int row = 0; row < 50; ++row) {
        w.WriteString(0, row, -1, QString("part %1").arg(row));
        w.WriteNumber(1, row, -1, row);
    }
    w.CloseFile();
    std::string good = *ReadFileBytes(dir / "a.xls");
    std::mt19937 random(7);
    int accepted = 0, refused = 0;
    for (int i = 0; i < 300; ++i) {
        std::string bad = good;
        for (int k = 0; k < 8; ++k)
            bad[random() % bad.size()] = static_cast<char>(random());
        if (i % 3 == 0) bad.resize(random() % bad.size());
        try {
            XLSRead r = ReadBytes(bad);
            QVariant v;
            for (int row = 0; row < 50; ++row)
                r.ReadCell(0, 0, row, v);
            ++accepted;
        } catch (const XLSError&) {
            ++refused;
        }
    }
    // Most damage lands in cell data and is read past; cut files are refused. A reader refusing
    // everything, or nothing, fails here.
    EXPECT_GT(accepted, 50);
    EXPECT_GT(refused, 50);
}

// Labels of BIFF5 workbooks in each code page the reader maps, and text without a code page. Each word ends
// in a letter that a code page may hold back until it knows no combining mark follows (final forms,
// combining vowels and tone marks), which must not be lost.
TEST(XlsRead, CodePagesOfBiff5Text) {
    auto label = [](uint16_t col, const std::string& bytes) {
        return Rec(0x0204, Cell(0, col, Bytes({static_cast<int>(bytes.size()), 0}) + bytes));
    };
    for (const auto& [codePage, bytes, text] : {
             std::tuple<int, std::string, const char*>{367, "Format", "Format"},
             {437, "Se\xA4or", "Señor"},
             {850, "Se\xA4or", "Señor"},
             {866, "\x8F\xE0\xA8\xA2\xA5\xE2", "Привет"},
             {874, "\xCA\xC7\xD1\xCA\xB4\xD5", "สวัสดี"},
             {932, "\x83\x66\x81\x5B\x83\x5E", "データ"},
             {936, "\xCA\xFD\xBE\xDD", "数据"},
             {949, "\xB5\xA5\xC0\xCC\xC5\xCD", "데이터"},
             {950, "\xB8\xEA\xAE\xC6", "資料"},
             {1250,
              "\xA3\xF3"
              "d\x9F",
              "Łódź"},
             {1251, "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},
             {1251, "\xCE\xE1\xFA\xB8\xEC", "Объём"},
             {1252,
              "Fa\xE7"
              "ade",
              "Façade"},
             {1253, "\xC3\xE5\xE9\xDC", "Γειά"},
             {1253, "\xEB\xFC\xE3\xEF\xF2", "λόγος"},
             {1254, "G\xFCm\xFC\xFE", "Gümüş"},
             {1255, "\xF9\xEC\xE5\xED", "שלום"},
             // A byte the code page leaves undefined keeps its place after the held-back letter.
             {1255, "\xF9\xEC\xE5\xED\xFBx", "שלוםûx"},
             {1256, "\xD3\xE1\xC7\xE3", "سلام"},
             {1257, "\xD0iauli\xF8", "Šiaulių"},
             {1258, "Format", "Format"},
             {1258, "Vi\xEA\xF2t", "Việt"},
             {1258, "ca\xCC", "cà"},
             {10000, "Caf\x8E", "Café"},
             {32768, "Caf\x8E", "Café"},
             {32769, "Caf\xE9", "Café"},
             {0, "caf\xE9", "café"},
         }) {
        std::string globals;
        if (codePage) globals = Rec(0x0042, Bytes({codePage & 0xFF, codePage >> 8}));
        XLSRead biff5 =
            ReadBytes(WriteCompoundFile({{"Workbook", Workbook(globals, label(0, bytes), 0x0500)}}));
        EXPECT_EQ(biff5.Level(), 5);
        EXPECT_EQ(Value(biff5, 0, 0).toString(), QString::fromUtf8(text)) << codePage << " " << text;
    }
}

// What other programs write: the level in the first record whatever the stream's name, formula texts longer
// than a record, passwords, cells out of order.
TEST(XlsRead, WorkbooksOfOtherWriters) {
    const std::string sst = Rec(0x00FC, Bytes({1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 'o', 'k'}));
    XLSRead biff8InBook =
        ReadBytes(WriteCompoundFile({{"Book", Workbook(sst, Rec(0x00FD, Cell(0, 0, Bytes({0, 0, 0, 0}))))}}));
    EXPECT_EQ(biff8InBook.Level(), 6);
    EXPECT_EQ(Value(biff8InBook, 0, 0).toString(), "ok");

    // A formula's text result of 9,000 characters: 8,221 narrow ones, then the rest wide in a CONTINUE.
    const std::string formula =
        Rec(0x0006, Cell(1, 0, Bytes({0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0})));
    std::string wideRest;
    for (int i = 0; i < 779; ++i)
        wideRest += Bytes({0x2D, 0x4E});
    const std::string result =
        Rec(0x0207, Bytes({0x28, 0x23, 0}) + std::string(8221, 'x')) + Rec(0x003C, Bytes({1}) + wideRest);
    // Cells out of order, one of them twice: the later record wins.
    std::string number;
    AddDouble(number, 7);
    const std::string late = Rec(0x0203, Cell(0, 3, number)) + Rec(0x0204, Cell(0, 3, Bytes({1, 0, 0, 'n'})));
    XLSRead long8 = ReadBytes(WriteCompoundFile({{"Workbook", Workbook("", late + formula + result)}}));
    EXPECT_EQ(Value(long8, 0, 1).toString(), QString(8221, 'x') + QString(779, QChar(0x4E2D)));
    EXPECT_EQ(Value(long8, 3, 0).toString(), "n");
    EXPECT_EQ(long8.CellCount(), 2u);

    // A password-protected workbook is refused as such.
    try {
        ReadBytes(WriteCompoundFile({{"Workbook", Workbook(Rec(0x002F, Bytes({1, 0, 1, 0})), "")}}));
        FAIL() << "an encrypted workbook was read";
    } catch (const XLSPasswordError& error) {
        EXPECT_STREQ(error.what(), "The workbook is protected by a password, so it can not be read.");
    }
}

// Many sheet records pointing at one long sheet must not make the reader rescan it once each.
TEST(XlsRead, SheetRecordsSharingOneSheetAreRefused) {
    auto stream = [](int sheetRecords) {
        std::string globals = Bof(5);
        std::vector<size_t> offsetAt;
        for (int i = 0; i < sheetRecords; ++i) {
            offsetAt.push_back(globals.size() + 4);
            globals += Rec(0x0085, std::string(4, '\0') + Bytes({0, 0, 1, 0, 'S'}));
        }
        globals += Rec(0x000A, "");
        for (size_t at : offsetAt)
            Set32(globals, at, static_cast<uint32_t>(globals.size()));
        std::string sheet = Bof(0x10);
        for (uint16_t row = 0; row < 1000; ++row)
            sheet += Rec(0x0203, Cell(row, 0, std::string(8, '\0')));
        return globals + sheet + Rec(0x000A, "");
    };
    EXPECT_EQ(ReadBytes(stream(1)).SheetCount(), 1);
    try {
        ReadBytes(stream(5000));
        FAIL() << "overlapping sheets were read";
    } catch (const XLSError& error) {
        EXPECT_STREQ(error.what(), "The workbook's sheets overlap");
    }
}
