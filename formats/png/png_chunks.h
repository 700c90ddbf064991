#pragma once

#include <QRgb>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bytes.h"
#include "platform/stream.h"

class ChunkList;
class PngPicture;

// One chunk of a PNG file: its four-letter type and its data.
class Chunk {
  public:
    // The type has four letters; any other length throws.
    Chunk(ChunkList& owner, std::string_view type);
    virtual ~Chunk() = default;
    Chunk(const Chunk&) = delete;
    Chunk& operator=(const Chunk&) = delete;

    ChunkList& Owner() const { return owner_; }
    PngPicture& Image() const;
    std::string_view Type() const { return {type_.data(), type_.size()}; }
    MemoryStream& Data() { return data_; }
    const std::vector<uint8_t>& Bytes() const { return data_.Bytes(); }
    size_t Size() const { return data_.Bytes().size(); }

    // Applied to every chunk in file order once the whole file has been read.
    virtual void Decode() {}
    // Takes the type and a copy of the data of another chunk.
    virtual void Assign(const Chunk& source);
    // Length, type, data and CRC as they stand in a file.
    void SaveToStream(Stream& stream) const;

  protected:
    void SetBytes(std::vector<uint8_t> bytes) { data_ = MemoryStream(std::move(bytes)); }

  private:
    ChunkList& owner_;
    std::array<char, 4> type_;
    MemoryStream data_;
};

class ChunkIHDR : public Chunk {
  public:
    static constexpr const char* kType = "IHDR";
    explicit ChunkIHDR(ChunkList& owner);

    // Refuses a header that is short, sizes the picture at zero or over the limits, or pairs a known
    // colour type with a bit depth it cannot have.
    void Decode() override;

    uint32_t Width() const { return GetBE32(Bytes().data()); }
    uint32_t Height() const { return GetBE32(Bytes().data() + 4); }
    uint8_t BitDepth() const { return Bytes()[8]; }
    uint8_t ColorType() const { return Bytes()[9]; }
    uint8_t InterlaceMethod() const { return Bytes()[12]; }
    // Fills the header: no compression, filter or interlace variants.
    void Set(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType);
};

class ChunkPLTE : public Chunk {
  public:
    static constexpr const char* kType = "PLTE";
    explicit ChunkPLTE(ChunkList& owner) : Chunk(owner, kType) {}

    // The entries as colours; raises when the data is not whole entries or more than 256 of them.
    std::vector<QRgb> Entries() const;
    void SetEntries(const std::vector<QRgb>& entries);
};

// The image data. A loaded file's data stays where it lies in the file, possibly spread over several
// chunks, and is inflated from there: gathering it first would hold the picture twice over. Each piece's
// CRC is taken as it is inflated, so that the file is read once.
class ChunkIDAT : public Chunk {
  public:
    static constexpr const char* kType = "IDAT";
    explicit ChunkIDAT(ChunkList& owner) : Chunk(owner, kType) {}

    // Notes the next piece of the data: length bytes at offset in the file being loaded, and the CRC the
    // chunk stores after them.
    void AddPiece(Stream& file, int64_t offset, uint32_t length, uint32_t storedCRC);
    // Inflates the pieces into the image's bitmap, then checks them and forgets them; the file must still
    // be open.
    void Decode() override;
    // Reads what inflating left unread of the pieces and raises the codec's error for a piece whose CRC
    // does not match; then forgets them. Does nothing once they are forgotten.
    void CheckPieces();

    struct Piece {
        int64_t offset;
        uint32_t length;
        uint32_t storedCRC;
        uint32_t crc;     // over the type and the bytes checked so far
        uint32_t checked; // bytes from the start of the piece
    };

  private:
    Stream* file_ = nullptr;
    std::vector<Piece> pieces_;
};

// The file's gamma with the table that brings samples to a 2.2 display and its inverse for saving.
class ChunkGAMA : public Chunk {
  public:
    static constexpr const char* kType = "gAMA";
    static constexpr uint32_t kUnitGamma = 100000;
    explicit ChunkGAMA(ChunkList& owner);

    void Decode() override { BuildTables(); }
    void Assign(const Chunk& source) override;

    // A short chunk or a gamma of 0 carries no gamma and leaves the samples alone.
    bool Valid() const;
    uint32_t Gamma() const;
    void BuildTables();
    const std::array<uint8_t, 256>& Table() const { return table_; }
    const std::array<uint8_t, 256>& Inverse() const { return inverse_; }

  private:
    std::array<uint8_t, 256> table_{};
    std::array<uint8_t, 256> inverse_{};
};

class ChunkTRNS : public Chunk {
  public:
    static constexpr const char* kType = "tRNS";
    explicit ChunkTRNS(ChunkList& owner) : Chunk(owner, kType) {}

    // True when the data holds the three samples of an RGB image's transparent colour.
    bool HasColor() const { return Size() >= 6; }
    // The transparent colour as the pixels of this image show it; raises unless the image is RGB.
    QRgb TransparentColor() const;
};

class ChunkTEXT : public Chunk {
  public:
    static constexpr const char* kType = "tEXt";
    explicit ChunkTEXT(ChunkList& owner) : Chunk(owner, kType) {}
};

class ChunkIEND : public Chunk {
  public:
    static constexpr const char* kType = "IEND";
    explicit ChunkIEND(ChunkList& owner) : Chunk(owner, kType) {}
};

// The chunk types with a class of their own.
class ChunkClasses {
  public:
    static bool Registered(std::string_view type);
    // A chunk of the class registered for the type, or a plain chunk of that type.
    static std::unique_ptr<Chunk> Create(ChunkList& owner, std::string_view type);
};

// The chunks of one image in file order.
class ChunkList {
  public:
    explicit ChunkList(PngPicture& image) : image_(image) {}

    PngPicture& Image() const { return image_; }
    int Count() const { return static_cast<int>(items_.size()); }
    Chunk& Item(int index) const;
    Chunk& Add(std::unique_ptr<Chunk> chunk);
    template <class T> T& Add() { return Insert<T>(Count()); }
    template <class T> T& Insert(int index) {
        CheckIndex(index, Count());
        auto chunk = std::make_unique<T>(*this);
        T& result = *chunk;
        items_.insert(items_.begin() + index, std::move(chunk));
        return result;
    }
    void Move(int from, int to);
    void Remove(int index);
    void Clear() { items_.clear(); }

    // Index of the first chunk of the class, -1 when there is none.
    template <class T> int IndexOfClass() const {
        for (int i = 0; i < Count(); ++i)
            if (dynamic_cast<const T*>(items_[static_cast<size_t>(i)].get())) return i;
        return -1;
    }
    template <class T> T* Find() const {
        int index = IndexOfClass<T>();
        return index < 0 ? nullptr : static_cast<T*>(items_[static_cast<size_t>(index)].get());
    }

  private:
    static void CheckIndex(int index, int limit);

    PngPicture& image_;
    std::vector<std::unique_ptr<Chunk>> items_;
};
