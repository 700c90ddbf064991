// Sheets, cells, shared strings and closing of the workbook writer.

#include "formats/xls/biff_bytes.h"
#include "formats/xls/cfb.h"
#include "formats/xls/xls_error.h"
#include "formats/xls/xls_write.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

constexpr uint16_t kEOF = 0x000A;
constexpr uint16_t kSST = 0x00FC;
constexpr uint16_t kContinue = 0x003C;

std::string CellText(const char* what, int row, int col) {
    return "Cell R" + std::to_string(row) + ",C" + std::to_string(col) + ": " + what;
}

} // namespace

void XLSWrite::NextSheet() {
    if (!open_) throw XLSError("Call to NextSheet without OpenFile");
    // Counted against the sheet records written at open: Sheets may have changed since, and a plain
    // BIFF4 file has none.
    if (static_cast<size_t>(sheetCounter_) >= boundsheetPos_.size())
        throw XLSError("Sheet index out of range");
    if (!inGlobals_) EndSheet();
    WriteExternNames();
    inGlobals_ = false;
    WriteRecord(kEOF, {});
    Set32(stream_, boundsheetPos_[static_cast<size_t>(sheetCounter_)], static_cast<uint32_t>(stream_.size()));
    ++sheetCounter_;
    WriteSheetStart();
}

void XLSWrite::WriteSheetStart() {
    const bool biff8 = version_ == XLSVersion::xls97;
    WriteBOF(0x10);
    WriteWordRecord(0x005E, 0);
    WriteWordRecord(0x000D, 1);
    WriteWordRecord(0x000C, 100);
    WriteWordRecord(0x000F, 1);
    WriteWordRecord(0x0011, 0);
    std::string delta;
    AddDouble(delta, 0.001);
    WriteRecord(0x0010, delta);
    WriteWordRecord(0x005F, 1);
    WriteWordRecord(0x002A, 0);
    WriteWordRecord(0x002B, 0);
    WriteWordRecord(0x0082, 1);
    WriteRecord(0x0080, std::string(8, '\0'));
    std::string rowHeight;
    Add16(rowHeight, 0);
    Add16(rowHeight, 255);
    WriteRecord(0x0225, rowHeight);
    std::string country;
    Add16(country, 1);
    Add16(country, 1);
    WriteRecord(0x008C, country);
    WriteWordRecord(0x0081, 0x04C1);
    WriteRecord(0x0014, {});
    WriteRecord(0x0015, {});
    WriteWordRecord(0x0083, 0);
    WriteWordRecord(0x0084, 0);
    const std::pair<uint16_t, double> margins[] = {{0x0026, PageSetup.MarginLeft},
                                                   {0x0027, PageSetup.MarginRight},
                                                   {0x0028, PageSetup.MarginTop},
                                                   {0x0029, PageSetup.MarginBottom}};
    for (const auto& [id, margin] : margins) {
        if (margin < 0.0) continue;
        std::string d;
        AddDouble(d, margin);
        WriteRecord(id, d);
    }
    std::string setup;
    Add16(setup, 0);
    Add16(setup, PageSetup.ScalingFactor);
    Add16(setup, PageSetup.StartingPage);
    Add16(setup, 1);
    Add16(setup, 1);
    Add16(setup,
          PageSetup.Options & (psoLeftToRight | psoPortrait | psoNoColor | psoDraftQuality | psoPrintNotes));
    Add16(setup, 0xCA52);
    Add16(setup, 0x0012);
    AddDouble(setup, PageSetup.HeaderMargin);
    AddDouble(setup, PageSetup.FooterMargin);
    Add16(setup, PageSetup.Copies);
    WriteRecord(0x00A1, setup);
    // The old-style self reference makes some readers refuse a BIFF8 file, so only BIFF5 gets it.
    if (!biff8) {
        WriteWordRecord(0x0016, 1);
        WriteRecord(0x0017, std::string("\x01\x02", 2));
    }
    reservedPos_ = stream_.size();
    WriteRecord(0, std::string(static_cast<size_t>(reservedExtnamesSize_), '\0'));
    WriteWordRecord(0x0055, 8);
    if (biff8) {
        dimensionsPos_ = stream_.size() + 4;
        std::string d;
        Add32(d, 0);
        Add32(d, 1);
        Add16(d, 0);
        Add16(d, 1);
        Add16(d, 0);
        WriteRecord(0x0200, d);
    }
    firstRow_ = firstCol_ = 0;
    lastRow_ = lastCol_ = -1;
}

void XLSWrite::EndSheet() {
    const bool biff8 = version_ == XLSVersion::xls97;
    // The extent of the cells written, so readers that trust it see every cell.
    if (biff8 && lastRow_ >= 0) {
        Set32(stream_, dimensionsPos_, static_cast<uint32_t>(firstRow_));
        Set32(stream_, dimensionsPos_ + 4, static_cast<uint32_t>(lastRow_ + 1));
        Set16(stream_, dimensionsPos_ + 8, static_cast<uint16_t>(firstCol_));
        Set16(stream_, dimensionsPos_ + 10, static_cast<uint16_t>(lastCol_ + 1));
    }
    if (!biff8) WriteRecord(0x003D, Window1Record());
    uint16_t flags = 0x04B0;
    if (sheetCounter_ == 1) flags |= 0x0200;
    if (Options & soGridlines) flags |= 0x0002;
    if (Options & soRowColHeadings) flags |= 0x0004;
    std::string window2;
    Add16(window2, flags);
    Add16(window2, 0);
    Add16(window2, 0);
    Add32(window2, 0);
    if (biff8) {
        Add16(window2, 0);
        Add16(window2, 0);
        Add32(window2, 0);
    }
    WriteRecord(0x023E, window2);
    std::string selection;
    Add8(selection, 3);
    Add16(selection, 0);
    Add16(selection, 0);
    Add16(selection, 0);
    Add16(selection, 1);
    Add16(selection, 0);
    Add16(selection, 0);
    Add8(selection, 0);
    Add8(selection, 0);
    WriteRecord(0x001D, selection);
}

void XLSWrite::WriteExternNames() {
    if (sheetCounter_ == 0 || externNames_.isEmpty()) return;
    std::string tail = stream_.substr(reservedPos_ + 4 + static_cast<size_t>(reservedExtnamesSize_));
    stream_.resize(reservedPos_);
    WriteWordRecord(0x0016, 1);
    WriteRecord(0x0017, std::string("\x01\x3A", 2));
    for (const QString& name : externNames_) {
        if (name.size() > 255) throw XLSError("External name longer than 255 characters");
        std::string d;
        Add16(d, 0);
        Add32(d, 0);
        QByteArray bytes = name.toLatin1();
        Add8(d, static_cast<uint8_t>(bytes.size()));
        d += bytes.toStdString();
        d += std::string("\x02\x00\x1C\x17", 4);
        WriteRecord(0x0023, d);
    }
    size_t used = stream_.size() - reservedPos_;
    size_t area = 4 + static_cast<size_t>(reservedExtnamesSize_);
    if (used + 4 > area) {
        // Put the reserved area back as it was; the file can still be finished.
        stream_.resize(reservedPos_);
        WriteRecord(0, std::string(static_cast<size_t>(reservedExtnamesSize_), '\0'));
        stream_ += tail;
        throw XLSError("Too many external names defined");
    }
    WriteRecord(0, std::string(area - used - 4, '\0'));
    stream_ += tail;
    externNames_.clear();
}

// ---- cells ----

void XLSWrite::CheckCell(int col, int row) const {
    if (!open_) throw XLSError("Can not write cells when file is closed");
    if (row < 0 || row > 65535 || col < 0 || col > 255)
        throw XLSError(CellText("outside the sheet", row, col));
}

void XLSWrite::NoteCell(int col, int row) {
    if (lastRow_ < 0) firstRow_ = lastRow_ = row, firstCol_ = lastCol_ = col;
    firstRow_ = std::min(firstRow_, row);
    lastRow_ = std::max(lastRow_, row);
    firstCol_ = std::min(firstCol_, col);
    lastCol_ = std::max(lastCol_, col);
}

uint16_t XLSWrite::CellXF(int format) const {
    if (version_ == XLSVersion::xls40) return 0;
    if (format < 0) return 15;
    if (format >= static_cast<int>(Formats.size())) throw XLSError("Format index out of range");
    return static_cast<uint16_t>(format + 16);
}

namespace {

std::string CellHeader(int col, int row, uint16_t xf) {
    std::string d;
    Add16(d, static_cast<uint16_t>(row));
    Add16(d, static_cast<uint16_t>(col));
    Add16(d, xf);
    return d;
}

} // namespace

void XLSWrite::WriteNumber(int col, int row, int format, double value) {
    CheckCell(col, row);
    std::string d = CellHeader(col, row, CellXF(format));
    AddDouble(d, value);
    WriteRecord(0x0203, d);
    NoteCell(col, row);
}

void XLSWrite::WriteString(int col, int row, int format, const QString& text) {
    CheckCell(col, row);
    if (text.isEmpty()) return;
    std::string d = CellHeader(col, row, CellXF(format));
    if (version_ == XLSVersion::xls97) {
        if (text.size() > 32767) throw XLSError(CellText("String length more than 32767 bytes", row, col));
        Add32(d, AddSSTString(text));
        WriteRecord(0x00FD, d);
    } else {
        std::string bytes = EncodeText(text);
        if (bytes.size() > 255) throw XLSError(CellText("String length more than 255 bytes", row, col));
        Add16(d, static_cast<uint16_t>(bytes.size()));
        d += bytes;
        Add8(d, 0);
        WriteRecord(0x0204, d);
    }
    NoteCell(col, row);
}

void XLSWrite::WriteFormula(int col, int row, int format, const QVariant& result, const QString& formula) {
    CheckCell(col, row);
    const bool biff4 = version_ == XLSVersion::xls40;
    const size_t header = biff4 ? 18 : 22;
    // The tokens must fit the record together with its fixed fields.
    std::string tokens = encoder_.Encode(formula, static_cast<size_t>(MaxBuffsize()) - header);
    if (tokens.empty()) return;
    const bool text = result.typeId() == QMetaType::QString;
    std::string d = CellHeader(col, row, CellXF(format));
    if (text) {
        d.append(6, '\0');
        Add16(d, 0xFFFF);
    } else {
        AddDouble(d, result.toDouble());
    }
    Add16(d, RecalcFormulas ? 2 : 0);
    if (!biff4) Add32(d, 0);
    Add16(d, static_cast<uint16_t>(tokens.size()));
    d += tokens;
    WriteRecord(biff4 ? 0x0406 : 0x0006, d);
    if (text) {
        std::string s;
        Add16(s, 1);
        if (version_ == XLSVersion::xls97) Add8(s, 0);
        s += 'X';
        WriteRecord(0x0207, s);
    }
    NoteCell(col, row);
}

void XLSWrite::SetColWidth(int firstCol, int lastCol, int format, int width) {
    CheckCell(firstCol, 0);
    CheckCell(lastCol, 0);
    if (width < 0 || width > 0xFFFF) throw XLSError("Column width out of range");
    std::string d;
    Add16(d, static_cast<uint16_t>(firstCol));
    Add16(d, static_cast<uint16_t>(lastCol));
    Add16(d, static_cast<uint16_t>(width));
    Add16(d, CellXF(format));
    d.append(3, '\0');
    WriteRecord(0x007D, d);
}

// ---- shared strings ----

uint32_t XLSWrite::AddSSTString(const QString& text) {
    ++sstReferences_;
    auto found = sstIndex_.constFind(text);
    if (found != sstIndex_.constEnd()) {
        ++sst_[found.value()].count;
        return found.value();
    }
    uint32_t index = static_cast<uint32_t>(sst_.size());
    sst_.push_back({text, 1});
    sstIndex_.insert(text, index);
    return index;
}

// The strings go into SST and CONTINUE records of at most MaxBuffsize bytes. A string that does not fit
// the rest of a record starts the next one; one longer than a record is split between characters, and each
// continued part starts with its option byte again.
void XLSWrite::WriteSST() {
    const size_t max = static_cast<size_t>(MaxBuffsize());
    std::vector<std::string> pieces(1);
    Add32(pieces[0], sstReferences_);
    Add32(pieces[0], static_cast<uint32_t>(sst_.size()));
    for (const SharedString& entry : sst_) {
        const bool wide = NeedsWide(entry.text);
        const size_t unit = wide ? 2 : 1;
        if (pieces.back().size() + 3 + unit * static_cast<size_t>(entry.text.size()) > max)
            pieces.emplace_back();
        std::string* piece = &pieces.back();
        Add16(*piece, static_cast<uint16_t>(entry.text.size()));
        Add8(*piece, wide ? 1 : 0);
        qsizetype done = 0;
        for (;;) {
            qsizetype room = static_cast<qsizetype>((max - piece->size()) / unit);
            qsizetype take = std::min(room, entry.text.size() - done);
            AddChars(*piece, entry.text.mid(done, take), wide);
            done += take;
            if (done == entry.text.size()) break;
            piece = &pieces.emplace_back();
            Add8(*piece, wide ? 1 : 0);
        }
    }
    std::string block;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].empty()) continue;
        Add16(block, i == 0 ? kSST : kContinue);
        Add16(block, static_cast<uint16_t>(pieces[i].size()));
        block += pieces[i];
    }
    stream_.insert(sstPos_, block);
    for (size_t pos : boundsheetPos_)
        Set32(stream_, pos, Get32(stream_, pos) + static_cast<uint32_t>(block.size()));
}

// ---- closing ----

void XLSWrite::CloseFile() {
    if (!open_) return;
    if (version_ == XLSVersion::xls40) {
        CloseBiff4();
    } else {
        while (static_cast<size_t>(sheetCounter_) < boundsheetPos_.size())
            NextSheet();
        if (!inGlobals_) EndSheet();
        WriteExternNames();
        if (version_ == XLSVersion::xls97) WriteSST();
        WriteRecord(kEOF, {});
    }
    std::string bytes =
        version_ == XLSVersion::xls40
            ? std::move(stream_)
            : WriteCompoundFile({{version_ == XLSVersion::xls97 ? "Workbook" : "Book", stream_}});
    open_ = false;
    Reset();
    std::string error = AtomicWrite(target_, bytes);
    if (!error.empty()) {
        RemoveCreatedFile();
        throw XLSError(error);
    }
    created_ = false;
}
