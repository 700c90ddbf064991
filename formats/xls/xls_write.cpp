#include "formats/xls/xls_write.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

#include "formats/xls/biff_bytes.h"
#include "formats/xls/xls_error.h"
#include "platform/fs.h"

namespace {

constexpr uint16_t kBOF = 0x0809;

// BIFF4 XFs: 15 style XFs, the cell XF and five number-format style XFs (12 bytes each).
std::string Biff4XF(uint8_t font, uint8_t format, uint16_t typeProtection, uint16_t align) {
    std::string r;
    Add8(r, font);
    Add8(r, format);
    Add16(r, typeProtection);
    Add16(r, align);
    Add16(r, 0xCE00); // window text on window background, no pattern
    Add32(r, 0);
    return r;
}

} // namespace

XLSWrite::XLSWrite() {
    encoder_.OnExternName = [this](const QString& name) { return IndexOfExternName(name); };
    // Defined names are never written, so no name resolves.
    encoder_.OnName = [](const QString&) { return -1; };
    encoder_.OnSheet = [this](const QString& name) { return IndexOfSheet(name); };
    SetXLSVersion(XLSVersion::xls50);
}

XLSWrite::~XLSWrite() {
    if (open_ && std::uncaught_exceptions() > exceptionsAtOpen_) {
        AbandonFile();
        return;
    }
    try {
        CloseFile();
    } catch (...) {
        // A destructor cannot report; the old file stays as it was.
    }
}

void XLSWrite::AbandonFile() {
    if (!open_) return;
    open_ = false;
    Reset();
    RemoveCreatedFile();
}

void XLSWrite::RemoveCreatedFile() {
    if (created_) ::unlink(target_.c_str());
    created_ = false;
}

void XLSWrite::SetXLSVersion(XLSVersion version) {
    if (open_) throw XLSError("Version can not be changed while file is open");
    version_ = version;
    encoder_.FormatLevel = version == XLSVersion::xls40 ? 3 : version == XLSVersion::xls50 ? 4 : 6;
    SetReservedExtnamesSize(reservedExtnamesSize_);
}

void XLSWrite::SetReservedExtnamesSize(int size) {
    if (size < 256) return;
    reservedExtnamesSize_ = std::min(size, MaxBuffsize());
}

int XLSWrite::IndexOfSheet(const QString& name) const {
    for (int i = 0; i < Sheets.size(); ++i) {
        if (Sheets[i].toUpper() == name.toUpper()) return i;
    }
    return -1;
}

int XLSWrite::IndexOfExternName(const QString& name) {
    qsizetype i = externNames_.indexOf(name);
    if (i >= 0) return static_cast<int>(i);
    externNames_ << name;
    return static_cast<int>(externNames_.size()) - 1;
}

// ---- record layer ----

void XLSWrite::FailTooLarge() const {
    throw XLSError("Data size to large, max " + std::to_string(MaxBuffsize()) + " bytes");
}

void XLSWrite::WriteRecord(uint16_t id, std::string data) {
    if (data.size() > 0xFFFF) FailTooLarge();
    BIFFHeader header{id, static_cast<uint16_t>(data.size())};
    if (OnWriteData) OnWriteData(header, data);
    // Checked for every record, not only when a handler looks at it: an oversized record breaks readers.
    if (header.Length > MaxBuffsize()) FailTooLarge();
    data.resize(header.Length, '\0');
    Add16(stream_, header.ID);
    Add16(stream_, header.Length);
    stream_ += data;
}

void XLSWrite::WriteWordRecord(uint16_t id, uint16_t value) {
    std::string data;
    Add16(data, value);
    WriteRecord(id, std::move(data));
}

void XLSWrite::WriteBOF(uint16_t type) {
    std::string d;
    if (version_ == XLSVersion::xls97) {
        Add16(d, 0x0600);
        Add16(d, type);
        Add16(d, 0);
        Add16(d, 1998);
        Add32(d, 0);
        Add32(d, 6);
    } else {
        Add16(d, 0x0500);
        Add16(d, type);
        Add16(d, 3515);
        Add16(d, 1998);
    }
    WriteRecord(kBOF, std::move(d));
}

void XLSWrite::WriteFormatRecord(int index, const QString& text) {
    std::string d;
    Add16(d, static_cast<uint16_t>(index));
    if (version_ == XLSVersion::xls97) {
        if (text.size() > 0xFFFF) FailTooLarge();
        AddUnicodeString(d, text, false);
    } else {
        if (text.size() > 255) throw XLSError("Number format longer than 255 characters");
        QByteArray bytes = text.toLatin1();
        Add8(d, static_cast<uint8_t>(bytes.size()));
        d += bytes.toStdString();
    }
    WriteRecord(0x041E, std::move(d));
}

// ---- opening ----

void XLSWrite::OpenFile() {
    if (open_) throw XLSError("File is allready open");
    if (FileName.trimmed().isEmpty()) throw XLSError("Filename is missing");
    if (Sheets.isEmpty()) throw XLSError("Sheet Name is missing");
    for (const QString& name : Sheets) {
        if (name.isEmpty()) throw XLSError("Sheet Name is missing");
        if (name.size() > 31)
            throw XLSError("Sheet name longer than 31 characters: \"" + name.toStdString() + "\"");
    }
    // Created now (never truncated) so that a file held by another program fails here, not at close; at the
    // end of a link, which stays a link, and as a new file is, so that the save keeps what the umask allows.
    const std::filesystem::path path = QFile::encodeName(FileName).toStdString();
    target_ = FinalTarget(path).value_or(path);
    int fd = open(target_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created_ = fd >= 0;
    if (fd < 0 && errno == EEXIST) fd = open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) throw XLSError("Cannot create " + path.string() + ": " + std::strerror(errno));
    close(fd);

    Reset();
    open_ = true;
    exceptionsAtOpen_ = std::uncaught_exceptions();
    if (version_ == XLSVersion::xls40) return OpenBiff4();
    inGlobals_ = true;
    WriteBOF(5);
    WriteGlobals();
    sstPos_ = stream_.size();
    if (!WriteGlobalData) NextSheet();
}

void XLSWrite::Reset() {
    stream_.clear();
    boundsheetPos_.clear();
    sheetCounter_ = 0;
    inGlobals_ = false;
    fonts_.Clear();
    externNames_.clear();
    sst_.clear();
    sstIndex_.clear();
    sstReferences_ = 0;
    firstRow_ = firstCol_ = 0;
    lastRow_ = lastCol_ = -1;
}

void XLSWrite::OpenBiff4() {
    std::string bof;
    Add16(bof, 0x0400);
    Add16(bof, 0x0010);
    Add32(bof, 0);
    WriteRecord(0x0409, bof);
    for (int i = 0; i < 15; ++i)
        WriteRecord(0x0443, Biff4XF(i >= 1 && i <= 4 ? 1 : 0, 0, 0xFFF5, i ? 0xF420 : 0x0020));
    WriteRecord(0x0443, Biff4XF(0, 0, 0x0001, 0x0020));
    for (uint8_t format : std::initializer_list<uint8_t>{43, 41, 44, 42, 9})
        WriteRecord(0x0443, Biff4XF(1, format, 0xFFF5, 0x0820));
    WriteRecord(0x0200, std::string(10, '\0'));
}

void XLSWrite::CloseBiff4() {
    std::string window1;
    for (uint16_t v : std::initializer_list<uint16_t>{120, 45, 6450, 5565, 0})
        Add16(window1, v);
    WriteRecord(0x003D, window1);
    std::string window2;
    Add16(window2, static_cast<uint16_t>(0x00B0 | (Options & soGridlines ? 2 : 0) |
                                         (Options & soRowColHeadings ? 4 : 0)));
    window2.append(8, '\0');
    WriteRecord(0x023E, window2);
    WriteRecord(0x000A, {});
}

void XLSWrite::WriteGlobals() {
    const bool biff8 = version_ == XLSVersion::xls97;
    if (biff8) {
        std::string access;
        Add16(access, 1);
        Add8(access, 0);
        access += 'X';
        access.append(108, ' ');
        WriteRecord(0x005C, access);
        WriteWordRecord(0x0042, 1200);
        WriteWordRecord(0x0161, 0);
        std::string tabs;
        for (int i = 1; i <= Sheets.size(); ++i)
            Add16(tabs, static_cast<uint16_t>(i));
        WriteRecord(0x013D, tabs);
    } else {
        std::string access(1, '\0');
        access.append(31, ' ');
        WriteRecord(0x005C, access);
        WriteWordRecord(0x0042, 1252);
    }
    WriteWordRecord(0x009C, 14);
    WriteWordRecord(0x0019, 0);
    WriteWordRecord(0x0012, Options & soProtected ? 1 : 0);
    WriteWordRecord(0x0013, 0);
    if (biff8) {
        WriteWordRecord(0x01AF, 0);
        WriteWordRecord(0x01BC, 0);
    }
    WriteRecord(0x003D, Window1Record());
    WriteWordRecord(0x0040, 0);
    WriteWordRecord(0x008D, 0);
    WriteWordRecord(0x0022, 0);
    WriteWordRecord(0x000E, 1);
    WriteWordRecord(0x01B7, 0);
    WriteWordRecord(0x00DA, 0);

    WriteFormatRecord(50, "0.00");
    WriteFormatRecord(51, "#,##0");
    WriteFormatRecord(52, "#,##0.00");
    WriteFormatRecord(53, "0.00%");
    WriteFormatRecord(54, Locale.CurrencyFormatString("#,##", "0"));
    WriteFormatRecord(55, Locale.CurrencyFormatString("#,##", "0.00"));
    WriteFormatRecord(56, Locale.ShortDateFormat);
    WriteFormatRecord(57, Locale.ShortTimeFormat);
    WriteFormatRecord(58, "@");
    for (size_t i = 0; i < Formats.size(); ++i) {
        if (Formats[i].TextFormat == TextFormat::tfUser)
            WriteFormatRecord(59 + static_cast<int>(i), Formats[i].TextFormatUser);
    }
    for (const std::string& xf : DefaultXFRecords(version_))
        WriteRecord(0x00E0, xf);
    for (size_t i = 0; i < Formats.size(); ++i)
        WriteRecord(0x00E0, Formats[i].BuildXFRecord(version_, static_cast<int>(i), fonts_));

    std::string defaultFont = Font.BuildFontRecord(version_);
    for (int i = 0; i < (biff8 ? 4 : 6); ++i)
        WriteRecord(0x0031, defaultFont);
    for (int i = 0; i < fonts_.Count(); ++i)
        WriteRecord(0x0031, fonts_.Items(i).BuildFontRecord(version_));

    static constexpr uint8_t styles[6][2] = {{0x10, 3}, {0x11, 6}, {0x12, 4},
                                             {0x13, 7}, {0x00, 0}, {0x14, 5}};
    for (const auto& [xf, id] : styles) {
        std::string s;
        Add16(s, static_cast<uint16_t>(0x8000 | xf));
        Add8(s, id);
        Add8(s, 0xFF);
        WriteRecord(0x0293, s);
    }
    WriteRecord(0x0092, PaletteRecord());
    if (biff8) WriteWordRecord(0x0160, 1);

    for (const QString& name : Sheets) {
        std::string d;
        boundsheetPos_.push_back(stream_.size() + 4);
        Add32(d, 0);
        Add16(d, 0);
        if (biff8) {
            AddUnicodeString(d, name, true);
        } else {
            QByteArray bytes = name.toLatin1();
            Add8(d, static_cast<uint8_t>(bytes.size()));
            d += bytes.toStdString();
        }
        WriteRecord(0x0085, d);
    }
    if (biff8) {
        std::string country;
        Add16(country, 1);
        Add16(country, 1);
        WriteRecord(0x008C, country);
    }
}
