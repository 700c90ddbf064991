#include "formats/xls/cfb.h"

#include <QString>
#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/bytes.h"

namespace {

constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kMiniCutoff = 4096;
constexpr uint32_t kEntrySize = 128;
constexpr uint32_t kHeaderDifatSlots = 109;
constexpr uint8_t kTypeStream = 2;
constexpr uint8_t kTypeRoot = 5;
constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

[[noreturn]] void Corrupt(const std::string& what) {
    throw CfbError("Corrupt compound file: " + what);
}

// Directory order of names: shorter first, then by upper-cased UTF-16 code units.
bool NameLess(const QString& a, const QString& b) {
    if (a.size() != b.size()) return a.size() < b.size();
    return a.toUpper() < b.toUpper();
}

uint32_t SectorsFor(uint64_t bytes, uint32_t unit) {
    return static_cast<uint32_t>((bytes + unit - 1) / unit);
}

} // namespace

// ---- reading ----

bool CompoundFileReader::HasSignature(std::string_view bytes) {
    return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

CompoundFileReader::CompoundFileReader(std::string bytes) : bytes_(std::move(bytes)) {
    if (bytes_.size() < 512 || !HasSignature(bytes_)) throw CfbError("Not a compound file");
    uint16_t major = Get16(bytes_, 26);
    uint16_t shift = Get16(bytes_, 30);
    if (Get16(bytes_, 28) != 0xFFFE) Corrupt("byte order");
    if (!((major == 3 && shift == 9) || (major == 4 && shift == 12))) Corrupt("version or sector size");
    if (Get16(bytes_, 32) != 6) Corrupt("mini sector size");
    sectorSize_ = 1u << shift;
    miniCutoff_ = Get32(bytes_, 56);
    if (bytes_.size() < sectorSize_) Corrupt("truncated header");
    // A short last sector reads as zeros; the padding is less than one sector.
    bytes_.resize(sectorSize_ * (SectorCount() + 1), '\0');
    ReadFat(Get32(bytes_, 44), Get32(bytes_, 68), Get32(bytes_, 72));
    ReadDirectory(Get32(bytes_, 48));
    ReadMiniStream(Get32(bytes_, 60), Get32(bytes_, 64));
}

uint32_t CompoundFileReader::SectorCount() const {
    return static_cast<uint32_t>((bytes_.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_);
}

std::string_view CompoundFileReader::Sector(uint32_t id) const {
    if (id >= SectorCount()) Corrupt("sector " + std::to_string(id) + " beyond the end of the file");
    return std::string_view(bytes_).substr(static_cast<size_t>(id + 1) * sectorSize_, sectorSize_);
}

void CompoundFileReader::ReadFat(uint32_t fatSectors, uint32_t difatStart, uint32_t difatSectors) {
    uint32_t count = SectorCount();
    if (fatSectors > count || difatSectors > count) Corrupt("sector counts");
    std::vector<uint32_t> fatIds;
    for (uint32_t i = 0; i < std::min(fatSectors, kHeaderDifatSlots); ++i)
        fatIds.push_back(Get32(bytes_, 76 + 4 * i));
    uint32_t next = difatStart;
    std::vector<bool> seen(count, false);
    const uint32_t perSector = sectorSize_ / 4 - 1;
    for (uint32_t d = 0; d < difatSectors && fatIds.size() < fatSectors; ++d) {
        if (next >= count || seen[next]) Corrupt("DIFAT chain");
        seen[next] = true;
        std::string_view s = Sector(next);
        for (uint32_t i = 0; i < perSector && fatIds.size() < fatSectors; ++i)
            fatIds.push_back(Get32(s, 4 * i));
        next = Get32(s, 4 * perSector);
    }
    if (fatIds.size() < fatSectors) Corrupt("missing FAT sectors");
    fat_.reserve(static_cast<size_t>(fatSectors) * sectorSize_ / 4);
    for (uint32_t id : fatIds) {
        std::string_view s = Sector(id);
        for (uint32_t i = 0; i < sectorSize_ / 4; ++i)
            fat_.push_back(Get32(s, 4 * i));
    }
}

std::vector<uint32_t> CompoundFileReader::Chain(uint32_t start, const std::vector<uint32_t>& table,
                                                uint64_t limit) const {
    // Writers may leave a chain longer than its stream: only the sectors needed are followed, and a sector
    // met twice among them is a cycle.
    std::vector<uint32_t> chain;
    std::vector<bool> seen(table.size(), false);
    for (uint32_t id = start; id != kEndOfChain && chain.size() < limit; id = table[id]) {
        if (id >= table.size()) Corrupt("chain leaves the allocation table");
        if (seen[id]) Corrupt("cyclic chain");
        seen[id] = true;
        chain.push_back(id);
    }
    return chain;
}

std::string CompoundFileReader::ReadChain(uint32_t start, uint64_t size) const {
    if (size == 0) return {};
    uint64_t needed = (size + sectorSize_ - 1) / sectorSize_;
    if (needed > SectorCount()) Corrupt("stream larger than the file");
    std::vector<uint32_t> chain = Chain(start, fat_, needed);
    if (chain.size() < needed) Corrupt("chain shorter than its stream");
    std::string out;
    out.reserve(chain.size() * sectorSize_);
    for (uint32_t id : chain)
        out.append(Sector(id));
    out.resize(size);
    return out;
}

void CompoundFileReader::ReadDirectory(uint32_t start) {
    std::vector<uint32_t> chain = Chain(start, fat_, SectorCount());
    for (uint32_t id : chain) {
        std::string_view s = Sector(id);
        for (uint32_t at = 0; at + kEntrySize <= sectorSize_; at += kEntrySize) {
            std::string_view e = s.substr(at, kEntrySize);
            Entry entry;
            uint16_t nameBytes = Get16(e, 64);
            entry.type = static_cast<uint8_t>(e[66]);
            if (nameBytes > 64 || nameBytes % 2 != 0) {
                if (entry.type != 0) Corrupt("directory entry name");
                nameBytes = 0; // an unused entry: its name does not matter
            }
            QString name;
            for (uint16_t i = 0; i + 2 < nameBytes; i += 2)
                name.append(QChar(Get16(e, i)));
            entry.name = name.toStdString();
            entry.left = Get32(e, 68);
            entry.right = Get32(e, 72);
            entry.child = Get32(e, 76);
            entry.start = Get32(e, 116);
            entry.size = Get32(e, 120);
            // Version 3 writers may leave garbage in the high half of the size.
            if (sectorSize_ != 512) entry.size |= static_cast<uint64_t>(Get32(e, 124)) << 32;
            entries_.push_back(std::move(entry));
        }
    }
    if (entries_.empty() || entries_[0].type != kTypeRoot) Corrupt("no root entry");
    // Walk the root's tree of children once; each entry may be met only once.
    std::vector<bool> seen(entries_.size(), false);
    std::vector<uint32_t> pending{entries_[0].child};
    while (!pending.empty()) {
        uint32_t id = pending.back();
        pending.pop_back();
        if (id == kNoStream) continue;
        if (id >= entries_.size() || seen[id] || id == 0) Corrupt("directory tree");
        seen[id] = true;
        const Entry& e = entries_[id];
        if (e.type == kTypeStream) rootStreams_.push_back(id);
        pending.push_back(e.right);
        pending.push_back(e.left);
    }
    std::sort(rootStreams_.begin(), rootStreams_.end());
}

void CompoundFileReader::ReadMiniStream(uint32_t miniFatStart, uint32_t miniFatSectors) {
    if (miniFatSectors > SectorCount()) Corrupt("mini FAT size");
    if (miniFatStart != kEndOfChain && miniFatSectors > 0) {
        std::string table = ReadChain(miniFatStart, static_cast<uint64_t>(miniFatSectors) * sectorSize_);
        miniFat_.reserve(table.size() / 4);
        for (size_t at = 0; at + 4 <= table.size(); at += 4)
            miniFat_.push_back(Get32(table, at));
    }
    const Entry& root = entries_[0];
    miniStream_ = ReadChain(root.start, root.size);
}

const CompoundFileReader::Entry& CompoundFileReader::Find(std::string_view name) const {
    QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    for (size_t id : rootStreams_) {
        if (QString::fromStdString(entries_[id].name).compare(wanted, Qt::CaseInsensitive) == 0)
            return entries_[id];
    }
    throw CfbError("Stream not found: " + std::string(name));
}

std::vector<std::string> CompoundFileReader::StreamNames() const {
    std::vector<std::string> names;
    for (size_t id : rootStreams_)
        names.push_back(entries_[id].name);
    return names;
}

bool CompoundFileReader::HasStream(std::string_view name) const {
    try {
        Find(name);
        return true;
    } catch (const CfbError&) {
        return false;
    }
}

uint64_t CompoundFileReader::StreamSize(std::string_view name) const {
    return Find(name).size;
}

std::string CompoundFileReader::ReadStream(std::string_view name) const {
    const Entry& e = Find(name);
    if (e.size >= miniCutoff_) return ReadChain(e.start, e.size);
    if (e.size == 0) return {};
    uint64_t needed = (e.size + kMiniSectorSize - 1) / kMiniSectorSize;
    std::vector<uint32_t> chain = Chain(e.start, miniFat_, needed);
    if (chain.size() < needed) Corrupt("mini chain shorter than its stream");
    std::string out;
    out.reserve(chain.size() * kMiniSectorSize);
    for (uint32_t id : chain) {
        if ((static_cast<uint64_t>(id) + 1) * kMiniSectorSize > miniStream_.size())
            Corrupt("mini sector beyond the mini stream");
        out.append(miniStream_, static_cast<size_t>(id) * kMiniSectorSize, kMiniSectorSize);
    }
    out.resize(e.size);
    return out;
}

// ---- writing ----

namespace {

struct Layout {
    std::string body;          // every sector after the header, in order
    std::vector<uint32_t> fat; // next-sector table over the sectors of body
    uint32_t Place(std::string_view data, uint32_t unit) {
        uint32_t first = static_cast<uint32_t>(fat.size());
        uint32_t n = SectorsFor(data.size(), unit);
        if (n == 0) return kEndOfChain;
        body.append(data);
        body.resize(body.size() + (static_cast<size_t>(n) * unit - data.size()), '\0');
        for (uint32_t i = 0; i < n; ++i)
            fat.push_back(i + 1 < n ? first + i + 1 : kEndOfChain);
        return first;
    }
};

std::string DirectoryEntry(const QString& name, uint8_t type, uint32_t left, uint32_t right, uint32_t child,
                           uint32_t start, uint32_t size) {
    std::string e(kEntrySize, '\0');
    for (qsizetype i = 0; i < name.size(); ++i)
        Set16(e, static_cast<size_t>(2 * i), name[i].unicode());
    Set16(e, 64, static_cast<uint16_t>(name.isEmpty() ? 0 : 2 * (name.size() + 1)));
    e[66] = static_cast<char>(type);
    e[67] = 1; // black
    Set32(e, 68, left);
    Set32(e, 72, right);
    Set32(e, 76, child);
    Set32(e, 116, start);
    Set32(e, 120, size);
    return e;
}

} // namespace

std::string WriteCompoundFile(const std::vector<std::pair<std::string, std::string>>& streams) {
    struct Stream {
        QString name;
        const std::string* data;
        uint32_t start = kEndOfChain;
    };
    std::vector<Stream> list;
    for (const auto& [name, data] : streams) {
        QString n = QString::fromStdString(name);
        if (n.isEmpty() || n.size() > 31) throw CfbError("Bad stream name: " + name);
        if (data.size() > 0xFFFFFFFFu) throw CfbError("Stream too large: " + name);
        list.push_back({n, &data});
    }
    std::sort(list.begin(), list.end(),
              [](const Stream& a, const Stream& b) { return NameLess(a.name, b.name); });
    for (size_t i = 1; i < list.size(); ++i) {
        if (!NameLess(list[i - 1].name, list[i].name)) throw CfbError("Duplicate stream name");
    }

    Layout layout;
    std::string mini;
    std::vector<uint32_t> miniFat;
    for (Stream& s : list) {
        if (s.data->size() >= kMiniCutoff) {
            s.start = layout.Place(*s.data, 512);
        } else if (!s.data->empty()) {
            s.start = static_cast<uint32_t>(miniFat.size());
            uint32_t n = SectorsFor(s.data->size(), kMiniSectorSize);
            mini.append(*s.data);
            mini.resize(static_cast<size_t>(miniFat.size() + n) * kMiniSectorSize, '\0');
            for (uint32_t i = 0; i < n; ++i)
                miniFat.push_back(i + 1 < n ? s.start + i + 1 : kEndOfChain);
        }
    }
    uint32_t miniStart = layout.Place(mini, 512);
    std::string miniFatBytes(miniFat.size() * 4, '\0');
    for (size_t i = 0; i < miniFat.size(); ++i)
        Set32(miniFatBytes, 4 * i, miniFat[i]);
    uint32_t miniFatStart = layout.Place(miniFatBytes, 512);

    // The entries form a balanced tree in name order below the root.
    std::vector<uint32_t> left(list.size(), kNoStream), right(list.size(), kNoStream);
    std::function<uint32_t(size_t, size_t)> build = [&](size_t lo, size_t hi) -> uint32_t {
        if (lo >= hi) return kNoStream;
        size_t mid = (lo + hi) / 2;
        left[mid] = build(lo, mid);
        right[mid] = build(mid + 1, hi);
        return static_cast<uint32_t>(mid + 1);
    };
    uint32_t top = build(0, list.size());
    std::string directory = DirectoryEntry("Root Entry", kTypeRoot, kNoStream, kNoStream, top, miniStart,
                                           static_cast<uint32_t>(mini.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        directory += DirectoryEntry(list[i].name, kTypeStream, left[i], right[i], kNoStream, list[i].start,
                                    static_cast<uint32_t>(list[i].data->size()));
    }
    while (directory.size() % 512 != 0)
        directory += DirectoryEntry("", 0, kNoStream, kNoStream, kNoStream, 0, 0);
    uint32_t directoryStart = layout.Place(directory, 512);

    // FAT and DIFAT sectors must also be counted in the FAT: settle their numbers together.
    uint32_t data = static_cast<uint32_t>(layout.fat.size());
    uint32_t fatSectors = 0, difatSectors = 0;
    for (;;) {
        uint32_t f = SectorsFor(static_cast<uint64_t>(data) + fatSectors + difatSectors, 128);
        uint32_t d = f > kHeaderDifatSlots ? SectorsFor(f - kHeaderDifatSlots, 127) : 0;
        if (f == fatSectors && d == difatSectors) break;
        fatSectors = f;
        difatSectors = d;
    }
    std::vector<uint32_t> fatIds;
    for (uint32_t i = 0; i < fatSectors; ++i)
        fatIds.push_back(data + i);
    uint32_t difatFirst = data + fatSectors;
    std::vector<uint32_t> fat = layout.fat;
    fat.insert(fat.end(), fatSectors, kFatSector);
    fat.insert(fat.end(), difatSectors, kDifatSector);
    fat.resize(static_cast<size_t>(fatSectors) * 128, kFreeSector);

    std::string header(512, '\0');
    std::memcpy(header.data(), kSignature, 8);
    Set16(header, 24, 0x003E);
    Set16(header, 26, 3);
    Set16(header, 28, 0xFFFE);
    Set16(header, 30, 9);
    Set16(header, 32, 6);
    Set32(header, 44, fatSectors);
    Set32(header, 48, directoryStart);
    Set32(header, 56, kMiniCutoff);
    Set32(header, 60, miniFatStart);
    Set32(header, 64, SectorsFor(miniFatBytes.size(), 512));
    Set32(header, 68, difatSectors ? difatFirst : kEndOfChain);
    Set32(header, 72, difatSectors);
    for (uint32_t i = 0; i < kHeaderDifatSlots; ++i)
        Set32(header, 76 + 4 * i, i < fatSectors ? fatIds[i] : kFreeSector);

    std::string out = header + layout.body;
    std::string fatBytes(fat.size() * 4, '\0');
    for (size_t i = 0; i < fat.size(); ++i)
        Set32(fatBytes, 4 * i, fat[i]);
    out += fatBytes;
    for (uint32_t d = 0; d < difatSectors; ++d) {
        std::string s(512, '\0');
        for (uint32_t i = 0; i < 127; ++i) {
            size_t k = kHeaderDifatSlots + static_cast<size_t>(d) * 127 + i;
            Set32(s, 4 * i, k < fatIds.size() ? fatIds[k] : kFreeSector);
        }
        Set32(s, 508, d + 1 < difatSectors ? difatFirst + d + 1 : kEndOfChain);
        out += s;
    }
    return out;
}
