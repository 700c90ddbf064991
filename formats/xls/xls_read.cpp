#include "formats/xls/xls_read.h"

#include <QFile>
#include <cmath>

#include "formats/xls/biff_bytes.h"
#include "formats/xls/xls_error.h"
#include "platform/cfb.h"
#include "platform/text.h"

namespace {

constexpr uint16_t kEOF = 0x000A;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kSST = 0x00FC;
constexpr uint16_t kContinue = 0x003C;
constexpr uint16_t kString = 0x0207;
constexpr size_t kMaxFileSize = size_t{1} << 30;

struct Record {
    uint16_t id = 0;
    std::string_view data;
    size_t next = 0; // where the following record starts
};

// The record at pos; the walk ends when nothing more fits.
bool RecordAt(std::string_view stream, size_t pos, Record& r) {
    if (pos + 4 > stream.size()) return false;
    size_t length = Get16(stream, pos + 2);
    if (pos + 4 + length > stream.size()) throw XLSError("Record beyond the end of the file");
    r.id = Get16(stream, pos);
    r.data = stream.substr(pos + 4, length);
    r.next = pos + 4 + length;
    return true;
}

bool IsBOF(uint16_t id) {
    return (id & 0xFF) == 0x09 && (id >> 8) <= 8;
}

// A MULRK record can carry columns past 0xFFFF, which must not spill into the row.
uint64_t Key(uint32_t row, uint32_t col) {
    return static_cast<uint64_t>(row) << 32 | col;
}

// Reads shared strings across an SST record and its CONTINUE records.
class PieceReader {
  public:
    explicit PieceReader(std::vector<std::string_view> pieces) : pieces_(std::move(pieces)) {}

    size_t Left() const { return piece_ < pieces_.size() ? pieces_[piece_].size() - at_ : 0; }
    // A string header never straddles records: fewer than needed bytes means the next record.
    void NeedInOne(size_t n) {
        if (Left() >= n) return;
        if (piece_ + 1 >= pieces_.size()) throw XLSError("CONTINUE record missing");
        ++piece_;
        at_ = 0;
        if (Left() < n) throw XLSError("CONTINUE record missing");
    }
    uint8_t Byte(int index) {
        while (Left() == 0)
            Advance(index);
        return static_cast<uint8_t>(pieces_[piece_][at_++]);
    }
    // The low part is read first: the two reads of one expression would be unsequenced.
    uint16_t Word(int index) {
        const uint8_t low = Byte(index);
        return static_cast<uint16_t>(low | Byte(index) << 8);
    }
    uint32_t Long(int index) {
        const uint16_t low = Word(index);
        return low | static_cast<uint32_t>(Word(index)) << 16;
    }
    void Skip(uint64_t n, int index) {
        while (n > 0) {
            while (Left() == 0)
                Advance(index);
            size_t step = static_cast<size_t>(std::min<uint64_t>(n, Left()));
            at_ += step;
            n -= step;
        }
    }
    // Characters continue in the next record after a fresh option byte.
    QString Chars(uint16_t count, bool wide, int index) {
        QString s;
        s.reserve(count);
        while (s.size() < count) {
            if (Left() == 0) {
                Advance(index);
                uint8_t option = Byte(index);
                if (option > 1) throw XLSError("Unknown string [" + std::to_string(index) + "] in SST");
                wide = option == 1;
            }
            if (wide && Left() < 2) throw XLSError("SST Buffer owerflow (" + std::to_string(index) + ")");
            s.append(wide ? QChar(Word(index)) : QChar(Byte(index)));
        }
        return s;
    }

  private:
    void Advance(int index) {
        if (piece_ + 1 >= pieces_.size())
            throw XLSError("SST Buffer owerflow (" + std::to_string(index) + ")");
        ++piece_;
        at_ = 0;
    }
    std::vector<std::string_view> pieces_;
    size_t piece_ = 0, at_ = 0;
};

} // namespace

double XLSRead::RKToDouble(uint32_t rk) {
    double v;
    if (rk & 2) {
        v = static_cast<double>(static_cast<int32_t>(rk & ~3u) >> 2);
    } else {
        v = std::bit_cast<double>(static_cast<uint64_t>(rk & ~3u) << 32);
    }
    return rk & 1 ? v / 100 : v;
}

QString XLSRead::ErrorCodeText(uint8_t code) {
    switch (code) {
    case 0x00:
        return "#NULL!";
    case 0x07:
        return "#DIV/0!";
    case 0x0F:
        return "#VALUE!";
    case 0x17:
        return "#REF!";
    case 0x1D:
        return "#NAME?";
    case 0x24:
        return "#NUM!";
    case 0x2A:
        return "#N/A";
    default:
        return "#???";
    }
}

void XLSRead::Open() {
    if (FileName.trimmed().isEmpty()) throw XLSError("Filename is missing");
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw XLSError("Can not open " + FileName.toStdString() + ": " + file.errorString().toStdString());
    if (static_cast<size_t>(file.size()) > kMaxFileSize) throw XLSError("File is too large");
    QByteArray bytes = file.readAll();
    OpenBytes(bytes.toStdString());
}

void XLSRead::OpenBytes(std::string bytes) {
    Close();
    std::string stream;
    if (CompoundFileReader::HasSignature(bytes)) {
        try {
            CompoundFileReader storage(std::move(bytes));
            if (storage.HasStream("Workbook")) {
                level_ = 6;
                stream = storage.ReadStream("Workbook");
            } else if (storage.HasStream("Book")) {
                level_ = 5;
                stream = storage.ReadStream("Book");
            } else {
                throw XLSError("File is not a Excel Workbook");
            }
        } catch (const CfbError& e) {
            throw XLSError(e.what());
        }
    } else {
        uint16_t id = bytes.size() >= 4 ? Get16(bytes, 0) : 0;
        static constexpr std::pair<uint8_t, int> levels[] = {{0, 1}, {2, 2}, {4, 3}, {8, 4}};
        for (const auto& [high, level] : levels) {
            if (bytes.size() >= 4 && (id & 0xFF) == 9 && id >> 8 == high) level_ = level;
        }
        if (level_ == 0) throw XLSError("File is not a Excel file");
        stream = std::move(bytes);
    }
    Parse(stream);
    open_ = true;
}

void XLSRead::Close() {
    open_ = false;
    level_ = 0;
    sst_.clear();
    sheets_.clear();
}

bool XLSRead::ReadCell(int sheet, int col, int row, QVariant& value) const {
    if (!open_) throw XLSError("File is not open");
    if (sheet < 0 || sheet >= SheetCount()) throw XLSError("Can not find the sheet");
    if (col < 0 || row < 0) return false;
    const Cells& cells = sheets_[static_cast<size_t>(sheet)];
    auto found = cells.find(Key(static_cast<uint32_t>(row), static_cast<uint32_t>(col)));
    if (found == cells.end()) return false;
    value = found->second;
    return true;
}

// Globals first: sheet offsets and shared strings; then each sheet once. A stream without sheet records
// (the plain files) is one sheet.
void XLSRead::Parse(std::string_view stream) {
    Record r;
    if (!RecordAt(stream, 0, r) || !IsBOF(r.id)) throw XLSError("File has no data");
    std::vector<size_t> offsets;
    if (level_ >= 4) {
        for (size_t pos = r.next; RecordAt(stream, pos, r) && r.id != kEOF; pos = r.next) {
            if (r.id == kBoundSheet && r.data.size() >= 4) offsets.push_back(Get32(r.data, 0));
            if (r.id == kSST && level_ == 6) ReadSST(stream, pos);
        }
    }
    if (offsets.empty()) offsets.push_back(0);
    sheets_.resize(offsets.size());
    // Sheets of a sound file do not overlap; sheet records all pointing into one long sheet would
    // otherwise rescan it once each.
    size_t scanned = 0;
    for (size_t i = 0; i < offsets.size(); ++i) {
        scanned += ReadSheet(stream, offsets[i], sheets_[i]) - offsets[i];
        if (scanned > 2 * stream.size()) throw XLSError("The workbook's sheets overlap");
    }
}

void XLSRead::ReadSST(std::string_view stream, size_t pos) {
    Record r;
    RecordAt(stream, pos, r);
    std::vector<std::string_view> pieces{r.data};
    for (Record c; RecordAt(stream, r.next, c) && c.id == kContinue; r = c)
        pieces.push_back(c.data);
    PieceReader in(std::move(pieces));
    in.NeedInOne(8);
    in.Long(0);
    uint32_t unique = in.Long(0);
    for (uint32_t i = 0; i < unique; ++i) {
        int index = static_cast<int>(std::min<uint32_t>(i, INT32_MAX));
        in.NeedInOne(3);
        uint16_t count = in.Word(index);
        uint8_t option = in.Byte(index);
        if (option & ~0x0D) {
            char text[8];
            std::snprintf(text, sizeof text, "%.2X", option);
            throw XLSError(std::string("Unhandled string in SST [") + text + "]");
        }
        uint16_t runs = option & 8 ? in.Word(index) : 0;
        uint32_t extra = option & 4 ? in.Long(index) : 0;
        sst_ << in.Chars(count, option & 1, index);
        in.Skip(4ull * runs + extra, index);
    }
}

QString XLSRead::ReadText(std::string_view data, size_t at, bool shortCount) const {
    if (at + (shortCount ? 1 : 2) > data.size()) return {};
    size_t count = shortCount ? Get8(data, at) : Get16(data, at);
    at += shortCount ? 1 : 2;
    if (level_ == 6) {
        if (at >= data.size()) return {};
        bool wide = Get8(data, at++) & 1;
        count = std::min(count, (data.size() - at) / (wide ? 2 : 1));
        QString s;
        s.reserve(static_cast<qsizetype>(count));
        for (size_t i = 0; i < count; ++i)
            s.append(wide ? QChar(Get16(data, at + 2 * i)) : QChar(Get8(data, at + i)));
        return s;
    }
    count = std::min(count, data.size() - at);
    return DecodeText(data.substr(at, count));
}

size_t XLSRead::ReadSheet(std::string_view stream, size_t pos, Cells& cells) const {
    Record r;
    if (pos >= stream.size() || !RecordAt(stream, pos, r) || !IsBOF(r.id)) throw XLSError("File has no data");
    int depth = 0; // embedded substreams (charts) carry no cells of this sheet
    for (pos = r.next; RecordAt(stream, pos, r); pos = r.next) {
        if (IsBOF(r.id)) {
            ++depth;
            continue;
        }
        if (r.id == kEOF) {
            if (depth-- == 0) return r.next;
            continue;
        }
        if (depth > 0) continue;
        std::string_view d = r.data;
        if (d.size() < 6) continue;
        uint32_t row = Get16(d, 0), col = Get16(d, 2);
        auto put = [&](uint32_t c, QVariant v) { cells[Key(row, c)] = std::move(v); };
        switch (r.id) {
        case 0x0204: // LABEL
        case 0x00D6: // RSTRING
            put(col, ReadText(d, 6));
            break;
        case 0x00FD: // LABELSST
            if (d.size() >= 10 && Get32(d, 6) < static_cast<uint32_t>(sst_.size()))
                put(col, sst_[Get32(d, 6)]);
            break;
        case 0x0203: // NUMBER
            if (d.size() >= 14) put(col, GetDouble(d, 6));
            break;
        case 0x027E: // RK
        case 0x007E:
            if (d.size() >= 10) put(col, RKToDouble(Get32(d, 6)));
            break;
        case 0x00BD: // MULRK
            for (size_t at = 4; at + 6 <= d.size() - 2; at += 6, ++col)
                put(col, RKToDouble(Get32(d, at + 2)));
            break;
        case 0x0205: // BOOLERR
            if (d.size() >= 8)
                put(col, Get8(d, 7) ? ErrorCodeText(Get8(d, 6)) : Get8(d, 6) ? StrTRUE : StrFALSE);
            break;
        case 0x0006: // FORMULA
        case 0x0206:
        case 0x0406: {
            // Plain BIFF2 formulas have another layout.
            if (level_ == 1 || d.size() < 14) break;
            if (Get16(d, 12) != 0xFFFF) {
                put(col, GetDouble(d, 6));
                break;
            }
            uint8_t type = Get8(d, 6);
            if (type == 1) put(col, Get8(d, 8) ? StrTRUE : StrFALSE);
            if (type == 2) put(col, ErrorCodeText(Get8(d, 8)));
            if (type == 3) put(col, QString());
            if (type != 0) break;
            // The text follows in a STRING record, after a shared, array or table formula record if any.
            Record s;
            size_t next = r.next;
            for (int skipped = 0; skipped <= 1 && RecordAt(stream, next, s); ++skipped, next = s.next) {
                if (s.id == 0x04BC || s.id == 0x0221 || s.id == 0x0236) continue;
                if (s.id == kString) put(col, ReadText(s.data, 0));
                break;
            }
            break;
        }
        default:
            break;
        }
    }
    return pos;
}
