#include "formats/png/png_chunks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "formats/png/png_error.h"
#include "formats/png/png_pixels.h"
#include "platform/bytes.h"

namespace {

bool DepthAllowed(uint8_t colorType, uint8_t depth) {
    switch (colorType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

} // namespace

Chunk::Chunk(ChunkList& owner, std::string_view type) : owner_(owner) {
    if (type.size() != type_.size()) throw std::invalid_argument("a PNG chunk type has four letters");
    std::copy(type.begin(), type.end(), type_.begin());
}

PngPicture& Chunk::Image() const {
    return owner_.Image();
}

void Chunk::Assign(const Chunk& source) {
    type_ = source.type_;
    SetBytes(source.Bytes());
}

void Chunk::SaveToStream(Stream& stream) const {
    uint8_t header[8];
    SetBE32(header, static_cast<uint32_t>(Size()));
    std::memcpy(header + 4, type_.data(), type_.size());
    uint8_t crc[4];
    SetBE32(crc, ChunkCRC(header + 4, Bytes().data(), Size()));
    stream.WriteBuffer(header, sizeof header);
    stream.WriteBuffer(Bytes().data(), Size());
    stream.WriteBuffer(crc, sizeof crc);
}

ChunkIHDR::ChunkIHDR(ChunkList& owner) : Chunk(owner, kType) {
    SetBytes(std::vector<uint8_t>(13, 0));
}

void ChunkIHDR::Set(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType) {
    std::vector<uint8_t> bytes(13, 0);
    SetBE32(bytes.data(), width);
    SetBE32(bytes.data() + 4, height);
    bytes[8] = bitDepth;
    bytes[9] = colorType;
    SetBytes(std::move(bytes));
}

void ChunkIHDR::Decode() {
    if (Size() < 13 || Width() == 0 || Height() == 0) RaisePNG(png_messages::kCorruptedData);
    if (!PictureSizeAllowed(Width(), Height())) RaisePNG(png_messages::kTooLarge);
    // Every known colour type allows 8 bits.
    if (!DepthAllowed(ColorType(), 8)) RaisePNG(png_messages::kUnknownColorType);
    if (!DepthAllowed(ColorType(), BitDepth())) RaisePNG(png_messages::kCorruptedData);
    if (InterlaceMethod() > 1) RaisePNG(png_messages::kUnknownInterlace);
}

std::vector<QRgb> ChunkPLTE::Entries() const {
    if (Size() == 0 || Size() % 3 != 0 || Size() / 3 > 256) RaisePNG(png_messages::kInvalidPalette);
    std::vector<QRgb> entries(Size() / 3);
    const uint8_t* p = Bytes().data();
    for (QRgb& entry : entries) {
        entry = qRgb(p[0], p[1], p[2]);
        p += 3;
    }
    return entries;
}

void ChunkPLTE::SetEntries(const std::vector<QRgb>& entries) {
    std::vector<uint8_t> bytes;
    bytes.reserve(entries.size() * 3);
    for (QRgb entry : entries) {
        bytes.push_back(static_cast<uint8_t>(qRed(entry)));
        bytes.push_back(static_cast<uint8_t>(qGreen(entry)));
        bytes.push_back(static_cast<uint8_t>(qBlue(entry)));
    }
    SetBytes(std::move(bytes));
}

namespace {

// The pieces of the image data read one after the other, as the one stream they form. Bytes read in order
// carry on the CRC of their piece.
class PiecesStream : public Stream {
  public:
    PiecesStream(Stream& file, std::vector<ChunkIDAT::Piece>& pieces) : file_(file), pieces_(pieces) {
        for (const ChunkIDAT::Piece& piece : pieces_) {
            starts_.push_back(size_);
            size_ += piece.length;
        }
    }

    size_t Read(void* buffer, size_t count) override {
        auto* out = static_cast<uint8_t*>(buffer);
        size_t done = 0;
        while (done < count && position_ < size_) {
            // The last piece starting at or before the position; an empty piece never is, as the
            // piece after it starts at the same place.
            const auto at = std::upper_bound(starts_.begin(), starts_.end(), position_) - starts_.begin() - 1;
            ChunkIDAT::Piece& piece = pieces_[static_cast<size_t>(at)];
            const int64_t within = position_ - starts_[static_cast<size_t>(at)];
            const auto n =
                static_cast<size_t>(std::min<int64_t>(int64_t(count - done), piece.length - within));
            file_.SetPosition(piece.offset + within);
            file_.ReadBuffer(out + done, n);
            if (within == piece.checked) {
                piece.crc = UpdateCRC(piece.crc, out + done, n);
                piece.checked += static_cast<uint32_t>(n);
            }
            done += n;
            position_ += static_cast<int64_t>(n);
        }
        return done;
    }

    size_t Write(const void*, size_t) override { throw EStreamError("Stream write error"); }

    int64_t Seek(int64_t offset, Origin origin) override {
        const int64_t base = origin == soFromBeginning ? 0 : origin == soFromCurrent ? position_ : size_;
        if (base + offset < 0) throw EStreamError("Stream seek error");
        return position_ = base + offset;
    }

    int64_t Size() override { return size_; }

  private:
    Stream& file_;
    std::vector<ChunkIDAT::Piece>& pieces_;
    std::vector<int64_t> starts_;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

} // namespace

void ChunkIDAT::AddPiece(Stream& file, int64_t offset, uint32_t length, uint32_t storedCRC) {
    file_ = &file;
    pieces_.push_back(
        {offset, length, storedCRC, UpdateCRC(0, reinterpret_cast<const uint8_t*>(kType), 4), 0});
}

void ChunkIDAT::Decode() {
    if (!file_) RaisePNG(png_messages::kNoImageData);
    PiecesStream data(*file_, pieces_);
    DecodeImageData(Image(), data);
    CheckPieces();
}

void ChunkIDAT::CheckPieces() {
    if (!file_) return;
    Stream& file = *std::exchange(file_, nullptr);
    const std::vector<Piece> pieces = std::exchange(pieces_, {});
    std::vector<uint8_t> buffer;
    for (Piece piece : pieces) {
        while (piece.checked < piece.length) {
            const uint32_t n = std::min<uint32_t>(piece.length - piece.checked, 65536);
            buffer.resize(n);
            file.SetPosition(piece.offset + piece.checked);
            file.ReadBuffer(buffer.data(), n);
            piece.crc = UpdateCRC(piece.crc, buffer.data(), n);
            piece.checked += n;
        }
        if (piece.crc != piece.storedCRC) RaisePNG(png_messages::kCorruptedData);
    }
}

ChunkGAMA::ChunkGAMA(ChunkList& owner) : Chunk(owner, kType) {
    std::vector<uint8_t> bytes(4);
    SetBE32(bytes.data(), kUnitGamma);
    SetBytes(std::move(bytes));
}

void ChunkGAMA::Assign(const Chunk& source) {
    Chunk::Assign(source);
    BuildTables();
}

uint32_t ChunkGAMA::Gamma() const {
    return Size() >= 4 ? GetBE32(Bytes().data()) : 0;
}

bool ChunkGAMA::Valid() const {
    return Gamma() != 0;
}

void ChunkGAMA::BuildTables() {
    if (!Valid()) {
        for (size_t i = 0; i < 256; ++i)
            table_[i] = inverse_[i] = static_cast<uint8_t>(i);
        return;
    }
    const double g = Gamma() / double(kUnitGamma);
    inverse_.fill(0);
    for (size_t i = 0; i < 256; ++i) {
        table_[i] = static_cast<uint8_t>(std::lround(255.0 * std::pow(double(i) / 255.0, 1.0 / (g * 2.2))));
        inverse_[table_[i]] = static_cast<uint8_t>(i);
    }
}

QRgb ChunkTRNS::TransparentColor() const {
    const ChunkIHDR* header = Owner().Find<ChunkIHDR>();
    if (!header || header->ColorType() != 2) RaisePNG(png_messages::kTransparencyNotRGB);
    if (!HasColor()) RaisePNG(png_messages::kCorruptedData);
    // The pixels keep the high byte of 16-bit samples and pass through the gamma table; the key must
    // be the colour those pixels show, or it would never match them.
    const size_t offset = header->BitDepth() == 16 ? 0 : 1;
    const uint8_t* p = Bytes().data();
    int rgb[3] = {p[offset], p[offset + 2], p[offset + 4]};
    if (ChunkGAMA* gamma = Owner().Find<ChunkGAMA>(); gamma && gamma->Valid()) {
        gamma->BuildTables();
        for (int& sample : rgb)
            sample = gamma->Table()[static_cast<size_t>(sample)];
    }
    return qRgb(rgb[0], rgb[1], rgb[2]);
}

namespace {

using Factory = std::unique_ptr<Chunk> (*)(ChunkList&);

template <class T> std::unique_ptr<Chunk> Make(ChunkList& owner) {
    return std::make_unique<T>(owner);
}

struct Registration {
    const char* type;
    Factory factory;
};

const Registration kClasses[] = {
    {ChunkIEND::kType, Make<ChunkIEND>}, {ChunkIHDR::kType, Make<ChunkIHDR>},
    {ChunkGAMA::kType, Make<ChunkGAMA>}, {ChunkIDAT::kType, Make<ChunkIDAT>},
    {ChunkPLTE::kType, Make<ChunkPLTE>}, {ChunkTEXT::kType, Make<ChunkTEXT>},
    {ChunkTRNS::kType, Make<ChunkTRNS>},
};

const Registration* Lookup(std::string_view type) {
    for (const Registration& r : kClasses)
        if (type == r.type) return &r;
    return nullptr;
}

} // namespace

bool ChunkClasses::Registered(std::string_view type) {
    return Lookup(type) != nullptr;
}

std::unique_ptr<Chunk> ChunkClasses::Create(ChunkList& owner, std::string_view type) {
    if (const Registration* r = Lookup(type)) return r->factory(owner);
    return std::make_unique<Chunk>(owner, type);
}

void ChunkList::CheckIndex(int index, int limit) {
    if (index < 0 || index > limit) RaisePNG(png_messages::kChunkIndex);
}

Chunk& ChunkList::Item(int index) const {
    CheckIndex(index, Count() - 1);
    return *items_[static_cast<size_t>(index)];
}

Chunk& ChunkList::Add(std::unique_ptr<Chunk> chunk) {
    items_.push_back(std::move(chunk));
    return *items_.back();
}

void ChunkList::Move(int from, int to) {
    CheckIndex(from, Count() - 1);
    CheckIndex(to, Count() - 1);
    auto chunk = std::move(items_[static_cast<size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(chunk));
}

void ChunkList::Remove(int index) {
    CheckIndex(index, Count() - 1);
    items_.erase(items_.begin() + index);
}
