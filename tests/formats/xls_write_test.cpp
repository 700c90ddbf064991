#include <gtest/gtest.h>

#include "formats/xls/cfb.h"
#include "formats/xls/xls_error.h"
#include "formats/xls/xls_read.h"
#include "formats/xls/xls_write.h"
#include "platform/text.h"
#include "support/test_support.h"

namespace {

struct Rec {
    uint16_t id;
    std::string data;
    size_t offset;
};

uint16_t U16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
uint32_t U32(const std::string& b, size_t at) {
    return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}

std::string StreamOf(const std::filesystem::path& path, const char* name = "Workbook") {
    return CompoundFileReader(*ReadFileBytes(path)).ReadStream(name);
}

std::vector<Rec> Records(const std::string& stream) {
    std::vector<Rec> out;
    for (size_t pos = 0; pos + 4 <= stream.size();) {
        uint16_t length = U16(stream, pos + 2);
        out.push_back({U16(stream, pos), stream.substr(pos + 4, length), pos});
        pos += 4 + length;
    }
    return out;
}

std::vector<uint16_t> Ids(const std::vector<Rec>& records) {
    std::vector<uint16_t> ids;
    for (const Rec& r : records)
        ids.push_back(r.id);
    return ids;
}

struct Book {
    TempDir dir;
    XLSWrite w;
    std::filesystem::path path = dir / "book.xls";
    explicit Book(XLSVersion version = XLSVersion::xls97) {
        w.SetXLSVersion(version);
        w.FileName = QString::fromStdString(path.string());
        w.Formats.resize(2);
        w.Formats[1].Font.Style = xfsBold;
    }
};

} // namespace

TEST(XlsWrite, GlobalsAndSheetRecordsComeInOrder) {
    Book b;
    b.w.OpenFile();
    b.w.WriteString(0, 0, 1, "Ldraw#");
    b.w.CloseFile();
    auto recs = Records(StreamOf(b.path));
    std::vector<uint16_t> expected = {0x0809, 0x005C, 0x0042, 0x0161, 0x013D, 0x009C, 0x0019, 0x0012, 0x0013,
                                      0x01AF, 0x01BC, 0x003D, 0x0040, 0x008D, 0x0022, 0x000E, 0x01B7, 0x00DA};
    expected.insert(expected.end(), 9, 0x041E);
    expected.insert(expected.end(), 16 + 2, 0x00E0);
    // Fonts: the default four times, then normal and bold once each.
    expected.insert(expected.end(), 4 + 2, 0x0031);
    expected.insert(expected.end(), 6, 0x0293);
    for (uint16_t id : std::initializer_list<uint16_t>{
             0x0092, 0x0160, 0x0085, 0x008C, 0x00FC, 0x000A, 0x0809, 0x005E, 0x000D, 0x000C, 0x000F,
             0x0011, 0x0010, 0x005F, 0x002A, 0x002B, 0x0082, 0x0080, 0x0225, 0x008C, 0x0081, 0x0014,
             0x0015, 0x0083, 0x0084, 0x00A1, 0x0000, 0x0055, 0x0200, 0x00FD, 0x023E, 0x001D, 0x000A})
        expected.push_back(id);
    EXPECT_EQ(Ids(recs), expected);

    auto find = [&](uint16_t id) {
        for (const Rec& r : recs)
            if (r.id == id) return r;
        return Rec{};
    };
    // BOUNDSHEET points at the sheet's BOF, a worksheet.
    std::string stream = StreamOf(b.path);
    Rec sheet = find(0x0085);
    EXPECT_EQ(U16(stream, U32(sheet.data, 0)), 0x0809);
    EXPECT_EQ(U16(stream, U32(sheet.data, 0) + 6), 0x10);
    EXPECT_EQ(sheet.data.substr(6), std::string("\x06\x00Sheet1", 8));
    EXPECT_EQ(find(0x0000).data, std::string(256, '\0'));
    // DIMENSIONS covers the cell written.
    EXPECT_EQ(find(0x0200).data, std::string("\0\0\0\0\1\0\0\0\0\0\1\0\0\0", 14));
    EXPECT_EQ(find(0x0031).data.size(), 16u + 2 * 5);
    EXPECT_EQ(find(0x0092).data.size(), 226u);
    // The cell uses the second format: XF 17.
    EXPECT_EQ(U16(find(0x00FD).data, 4), 17);
}

TEST(XlsWrite, OlderVersionKeepsTheSelfReferenceAndSharedStringsAreCounted) {
    Book old(XLSVersion::xls50);
    old.w.OpenFile();
    old.w.CloseFile();
    auto ids = Ids(Records(StreamOf(old.path, "Book")));
    EXPECT_NE(std::find(ids.begin(), ids.end(), 0x0016), ids.end());
    EXPECT_EQ(std::find(ids.begin(), ids.end(), 0x00FC), ids.end());

    Book b;
    b.w.Sheets = {"One", "Two", "Three"};
    b.w.OpenFile();
    b.w.WriteString(0, 0, -1, "same");
    b.w.WriteString(1, 0, -1, "same");
    b.w.WriteString(2, 0, -1, "");
    b.w.WriteString(3, 0, -1, QString::fromUtf8("\u4e2d"));
    b.w.CloseFile();
    auto recs = Records(StreamOf(b.path));
    int sheets = 0, labels = 0;
    for (const Rec& r : recs) {
        sheets += r.id == 0x0085;
        labels += r.id == 0x00FD;
        if (r.id == 0x00FC) {
            EXPECT_EQ(U32(r.data, 0), 3u);
            EXPECT_EQ(U32(r.data, 4), 2u);
            EXPECT_EQ(r.data.substr(8), std::string("\x04\x00\x00same\x01\x00\x01\x2d\x4e", 12));
        }
    }
    EXPECT_EQ(sheets, 3);
    EXPECT_EQ(labels, 3);
}

TEST(XlsWrite, LongSharedStringsSplitIntoContinueRecords) {
    struct Case {
        int chars;
        std::vector<size_t> lengths;
    } cases[] = {{8213, {8224}},
                 {8221, {8, 8224}},
                 {8222, {8, 8224, 2}},
                 {9000, {8, 8224, 780}},
                 {32767, {8, 8224, 8224, 8224, 8101}}};
    for (const Case& c : cases) {
        Book b;
        b.w.OpenFile();
        QString text(c.chars, 'x');
        text[c.chars - 1] = 'y';
        b.w.WriteString(0, 0, -1, text);
        b.w.CloseFile();
        std::vector<size_t> lengths;
        for (const Rec& r : Records(StreamOf(b.path))) {
            if (r.id == 0x00FC || r.id == 0x003C) lengths.push_back(r.data.size());
        }
        EXPECT_EQ(lengths, c.lengths) << c.chars;
        XLSRead reader;
        reader.FileName = QString::fromStdString(b.path.string());
        reader.Open();
        QVariant v;
        ASSERT_TRUE(reader.ReadCell(0, 0, 0, v));
        EXPECT_EQ(v.toString(), text) << c.chars;
    }
}

TEST(XlsWrite, RefusesWhatDoesNotFitInsteadOfTruncating) {
    auto error = [](const std::function<void(XLSWrite&)>& step) {
        Book b;
        try {
            step(b.w);
        } catch (const XLSError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error([](XLSWrite& w) { w.WriteNumber(0, 0, 0, 1); }),
              "Can not write cells when file is closed");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.Sheets = {QString(32, 'a')};
                  w.OpenFile();
              }),
              "Sheet name longer than 31 characters: \"" + std::string(32, 'a') + "\"");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.Sheets = {""};
                  w.OpenFile();
              }),
              "Sheet Name is missing");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.FileName = " ";
                  w.OpenFile();
              }),
              "Filename is missing");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.OpenFile();
                  w.OpenFile();
              }),
              "File is allready open");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.OpenFile();
                  w.SetXLSVersion(XLSVersion::xls50);
              }),
              "Version can not be changed while file is open");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.OpenFile();
                  w.WriteNumber(0, 65536, 0, 1);
              }),
              "Cell R65536,C0: outside the sheet");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.OpenFile();
                  w.WriteNumber(256, 0, 0, 1);
              }),
              "Cell R0,C256: outside the sheet");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.OpenFile();
                  w.WriteString(1, 2, 0, QString(32768, 'a'));
              }),
              "Cell R2,C1: String length more than 32767 bytes");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.OpenFile();
                  w.NextSheet();
              }),
              "Sheet index out of range");
    // A plain BIFF4 file holds one sheet; a sheet named after opening has no sheet record to point at.
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.SetXLSVersion(XLSVersion::xls40);
                  w.OpenFile();
                  w.NextSheet();
              }),
              "Sheet index out of range");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.OpenFile();
                  w.Sheets << "Late";
                  w.NextSheet();
              }),
              "Sheet index out of range");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.OnWriteData = [](BIFFHeader& h, std::string&) {
                      if (h.ID == 0x0203) h.Length = 9000;
                  };
                  w.OpenFile();
                  w.WriteNumber(0, 0, 0, 1);
              }),
              "Data size to large, max 8224 bytes");
    EXPECT_EQ(error([](XLSWrite& w) {
                  w.OpenFile();
                  w.WriteFormula(0, 0, 0, 0.0, "1" + QString("+1").repeated(3000));
              }),
              "Formula buffer owerflow");
}

TEST(XlsWrite, HandlerSeesEveryRecordAndAFailedCellLeavesTheFileFinishable) {
    Book b;
    std::vector<uint16_t> seen;
    b.w.OnWriteData = [&](BIFFHeader& h, std::string& data) {
        EXPECT_EQ(h.Length, data.size());
        seen.push_back(h.ID);
    };
    b.w.OpenFile();
    EXPECT_THROW(b.w.WriteFormula(0, 0, 0, 1.0, "NOSUCH(1"), XLSError);
    b.w.WriteNumber(0, 0, 0, 7);
    b.w.CloseFile();
    // The SST is inserted later without passing the record layer.
    auto ids = Ids(Records(StreamOf(b.path)));
    ids.erase(std::remove(ids.begin(), ids.end(), 0x00FC), ids.end());
    EXPECT_EQ(seen, ids);
}

TEST(XlsWrite, FileIsCreatedAtOpenAndReplacedOnlyAtClose) {
    Book b;
    WriteFileBytes(b.path, "old contents");
    b.w.OpenFile();
    EXPECT_EQ(*ReadFileBytes(b.path), "old contents");
    b.w.WriteNumber(0, 0, 0, 1);
    b.w.CloseFile();
    EXPECT_TRUE(CompoundFileReader::HasSignature(*ReadFileBytes(b.path)));

    XLSWrite w;
    w.FileName = QString::fromStdString((b.dir / "missing-folder/book.xls").string());
    EXPECT_THROW(w.OpenFile(), XLSError);
    EXPECT_FALSE(w.FileIsOpen());
}
