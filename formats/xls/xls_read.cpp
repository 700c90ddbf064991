#include "formats/xls/xls_read.h"

#include <QFile>
#include <algorithm>
#include <cmath>

#include "formats/xls/biff_bytes.h"
#include "formats/xls/cfb.h"
#include "formats/xls/xls_error.h"
#include "platform/text.h"

namespace {

constexpr uint16_t kEOF = 0x000A;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kSST = 0x00FC;
constexpr uint16_t kContinue = 0x003C;
constexpr uint16_t kString = 0x0207;
constexpr uint16_t kFilePass = 0x002F;
constexpr uint16_t kCodePage = 0x0042;
constexpr uint16_t kBiff8Version = 0x0600;
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

// A record and the CONTINUE records after it, as the pieces of one text.
std::vector<std::string_view> ContinuedPieces(std::string_view stream, size_t pos) {
    Record r;
    RecordAt(stream, pos, r);
    std::vector<std::string_view> pieces{r.data};
    for (Record c; RecordAt(stream, r.next, c) && c.id == kContinue; r = c)
        pieces.push_back(c.data);
    return pieces;
}

} // namespace

// Collects a sheet's cells in record order, which is row by row in every sound file, though writers put a
// row's cells in any order (a row's total before or after its parts). Rows in order need only each row's
// few cells sorted; a file whose rows go back is sorted whole. Of two records for one cell the later wins.
class XLSRead::SheetBuilder {
  public:
    explicit SheetBuilder(Sheet& sheet) : sheet_(sheet) {}

    void Add(Cell cell) {
        std::vector<Cell>& cells = sheet_.cells;
        if (!cells.empty()) {
            const Cell& last = cells.back();
            if (cell.row < last.row) rowsOrdered_ = false;
            if (cell.row == last.row && cell.col <= last.col) cellsOrdered_ = false;
        }
        cells.push_back(cell);
    }

    void Finish() {
        std::vector<Cell>& cells = sheet_.cells;
        if (!rowsOrdered_) {
            std::stable_sort(cells.begin(), cells.end(), Before);
        } else if (!cellsOrdered_) {
            for (auto run = cells.begin(); run != cells.end();) {
                const auto end =
                    std::find_if(run, cells.end(), [&](const Cell& c) { return c.row != run->row; });
                std::stable_sort(run, end, Before);
                run = end;
            }
        }
        if (!rowsOrdered_ || !cellsOrdered_) {
            // Of equal cells the last one read is the last of its run.
            auto last = std::unique(cells.rbegin(), cells.rend(), [](const Cell& a, const Cell& b) {
                return a.row == b.row && a.col == b.col;
            });
            cells.erase(cells.begin(), last.base());
        }
        cells.shrink_to_fit();
        const size_t rows = cells.empty() ? 0 : size_t{cells.back().row} + 1;
        sheet_.rowStart.assign(rows + 1, 0);
        for (const Cell& cell : cells)
            ++sheet_.rowStart[size_t{cell.row} + 1];
        for (size_t r = 0; r < rows; ++r)
            sheet_.rowStart[r + 1] += sheet_.rowStart[r];
    }

  private:
    static bool Before(const Cell& a, const Cell& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    }
    Sheet& sheet_;
    bool rowsOrdered_ = true;
    bool cellsOrdered_ = true;
};

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
    std::string bytes(static_cast<size_t>(file.size()), '\0');
    if (file.read(bytes.data(), file.size()) != file.size())
        throw XLSError("Can not read " + FileName.toStdString() + ": " + file.errorString().toStdString());
    OpenBytes(std::move(bytes));
}

void XLSRead::OpenBytes(std::string bytes) {
    Close();
    std::string stream;
    bool compound = CompoundFileReader::HasSignature(bytes);
    if (compound) {
        try {
            CompoundFileReader storage(std::move(bytes));
            if (storage.HasStream("Workbook"))
                stream = storage.ReadStream("Workbook");
            else if (storage.HasStream("Book"))
                stream = storage.ReadStream("Book");
            else
                throw XLSError("File is not a Excel Workbook");
        } catch (const CfbError& e) {
            throw XLSError(e.what());
        }
    } else {
        stream = std::move(bytes);
    }
    // The level is what the first record says, whatever the stream is called.
    const uint16_t id = stream.size() >= 4 ? Get16(stream, 0) : 0;
    static constexpr std::pair<uint8_t, int> levels[] = {{0, 1}, {2, 2}, {4, 3}, {8, 4}};
    for (const auto& [high, level] : levels)
        if (stream.size() >= 4 && (id & 0xFF) == 9 && id >> 8 == high) level_ = level;
    if (level_ == 0) throw XLSError(compound ? "File has no data" : "File is not a Excel file");
    if (level_ == 4) {
        const bool biff8 = stream.size() >= 6 && Get16(stream, 2) >= 2 && Get16(stream, 4) == kBiff8Version;
        level_ = biff8 ? 6 : compound ? 5 : 4;
    }
    Parse(stream);
    open_ = true;
}

void XLSRead::Close() {
    open_ = false;
    level_ = 0;
    codePage_.SetCodePage(0);
    texts_.clear();
    sheets_.clear();
}

size_t XLSRead::CellCount() const {
    size_t count = 0;
    for (const Sheet& sheet : sheets_)
        count += sheet.cells.size();
    return count;
}

bool XLSRead::ReadCell(int sheet, int col, int row, QVariant& value) const {
    if (!open_) throw XLSError("File is not open");
    if (sheet < 0 || sheet >= SheetCount()) throw XLSError("Can not find the sheet");
    const Sheet& s = sheets_[static_cast<size_t>(sheet)];
    if (col < 0 || row < 0 || static_cast<size_t>(row) + 1 >= s.rowStart.size()) return false;
    const auto first = s.cells.begin() + s.rowStart[static_cast<size_t>(row)];
    const auto end = s.cells.begin() + s.rowStart[static_cast<size_t>(row) + 1];
    const auto found = std::lower_bound(first, end, static_cast<uint32_t>(col),
                                        [](const Cell& cell, uint32_t c) { return cell.col < c; });
    if (found == end || found->col != static_cast<uint32_t>(col)) return false;
    value = ValueOf(*found);
    return true;
}

QVariant XLSRead::ValueOf(const Cell& cell) const {
    switch (cell.kind) {
    case Kind::Number:
        return cell.number;
    case Kind::Text:
        return texts_[cell.text];
    case Kind::Boolean:
        return cell.code ? StrTRUE : StrFALSE;
    case Kind::Error:
        return ErrorCodeText(cell.code);
    case Kind::Empty:
        break;
    }
    return QString();
}

// Globals first: sheet offsets, code page and shared strings; then each sheet once. A stream without sheet
// records (the plain files) is one sheet.
void XLSRead::Parse(std::string_view stream) {
    std::vector<size_t> offsets;
    ReadGlobals(stream, offsets);
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

void XLSRead::ReadGlobals(std::string_view stream, std::vector<size_t>& sheetOffsets) {
    Record r;
    if (!RecordAt(stream, 0, r) || !IsBOF(r.id)) throw XLSError("File has no data");
    for (size_t pos = r.next; RecordAt(stream, pos, r) && r.id != kEOF; pos = r.next) {
        // Encrypted cells would read as garbage.
        if (r.id == kFilePass)
            throw XLSPasswordError("The workbook is protected by a password, so it can not be read.");
        if (r.id == kCodePage && r.data.size() >= 2) codePage_.SetCodePage(Get16(r.data, 0));
        if (r.id == kBoundSheet && level_ >= 4 && r.data.size() >= 4)
            sheetOffsets.push_back(Get32(r.data, 0));
        if (r.id == kSST && level_ == 6) ReadSST(stream, pos);
    }
}

void XLSRead::ReadSST(std::string_view stream, size_t pos) {
    PieceReader in(ContinuedPieces(stream, pos));
    in.NeedInOne(8);
    in.Long(0);
    uint32_t unique = in.Long(0);
    // The count is the file's word: what the record could hold at most bounds the reservation.
    texts_.reserve(std::min<size_t>(unique, stream.size() / 3));
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
        texts_.push_back(in.Chars(count, option & 1, index));
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
    return codePage_.Decode(data.substr(at, count));
}

// The text result of a formula in the STRING record at pos; in BIFF8 it may go on in CONTINUE records,
// each starting with its own option byte.
QString XLSRead::ReadFormulaText(std::string_view stream, size_t pos) const {
    if (level_ < 6) {
        Record r;
        RecordAt(stream, pos, r);
        return ReadText(r.data, 0);
    }
    try {
        PieceReader in(ContinuedPieces(stream, pos));
        in.NeedInOne(3);
        const uint16_t count = in.Word(0);
        const bool wide = in.Byte(0) & 1;
        return in.Chars(count, wide, 0);
    } catch (const XLSError&) {
        return {}; // a damaged result leaves the value empty
    }
}

size_t XLSRead::ReadSheet(std::string_view stream, size_t pos, Sheet& sheet) {
    Record r;
    if (pos >= stream.size() || !RecordAt(stream, pos, r) || !IsBOF(r.id)) throw XLSError("File has no data");
    SheetBuilder cells(sheet);
    int depth = 0; // embedded substreams (charts) carry no cells of this sheet
    for (pos = r.next; RecordAt(stream, pos, r); pos = r.next) {
        if (IsBOF(r.id)) {
            ++depth;
            continue;
        }
        if (r.id == kEOF) {
            if (depth-- == 0) break;
            continue;
        }
        if (depth > 0) continue;
        std::string_view d = r.data;
        if (d.size() < 6) continue;
        const uint16_t row = Get16(d, 0);
        uint32_t col = Get16(d, 2);
        auto number = [&](uint32_t c, double v) { cells.Add(Cell{{v}, c, row, Kind::Number, 0}); };
        auto coded = [&](Kind kind, uint8_t code) { cells.Add(Cell{{0}, col, row, kind, code}); };
        auto text = [&](QString t) {
            Cell cell{{0}, col, row, Kind::Text, 0};
            cell.text = static_cast<uint32_t>(texts_.size());
            texts_.push_back(std::move(t));
            cells.Add(cell);
        };
        switch (r.id) {
        case 0x0204: // LABEL
        case 0x00D6: // RSTRING
            text(ReadText(d, 6));
            break;
        case 0x00FD: // LABELSST
            if (d.size() >= 10 && Get32(d, 6) < texts_.size()) {
                Cell cell{{0}, col, row, Kind::Text, 0};
                cell.text = Get32(d, 6);
                cells.Add(cell);
            }
            break;
        case 0x0203: // NUMBER
            if (d.size() >= 14) number(col, GetDouble(d, 6));
            break;
        case 0x027E: // RK
        case 0x007E:
            if (d.size() >= 10) number(col, RKToDouble(Get32(d, 6)));
            break;
        case 0x00BD: // MULRK
            for (size_t at = 4; at + 6 <= d.size() - 2; at += 6, ++col)
                number(col, RKToDouble(Get32(d, at + 2)));
            break;
        case 0x0205: // BOOLERR
            if (d.size() >= 8) coded(Get8(d, 7) ? Kind::Error : Kind::Boolean, Get8(d, 6));
            break;
        case 0x0006: // FORMULA
        case 0x0206:
        case 0x0406: {
            // Plain BIFF2 formulas have another layout.
            if (level_ == 1 || d.size() < 14) break;
            if (Get16(d, 12) != 0xFFFF) {
                number(col, GetDouble(d, 6));
                break;
            }
            uint8_t type = Get8(d, 6);
            if (type == 1) coded(Kind::Boolean, Get8(d, 8));
            if (type == 2) coded(Kind::Error, Get8(d, 8));
            if (type == 3) coded(Kind::Empty, 0);
            if (type != 0) break;
            // The text follows in a STRING record, after a shared, array or table formula record if any.
            Record s;
            size_t next = r.next;
            for (int skipped = 0; skipped <= 1 && RecordAt(stream, next, s); ++skipped, next = s.next) {
                if (s.id == 0x04BC || s.id == 0x0221 || s.id == 0x0236) continue;
                if (s.id == kString) text(ReadFormulaText(stream, next));
                break;
            }
            break;
        }
        case kFilePass:
            throw XLSPasswordError("The workbook is protected by a password, so it can not be read.");
        case kCodePage:
            codePage_.SetCodePage(Get16(d, 0));
            break;
        default:
            break;
        }
    }
    cells.Finish();
    return r.next;
}
