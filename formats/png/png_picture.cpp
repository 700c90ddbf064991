#include "formats/png/png_picture.h"

#include <algorithm>
#include <cstring>

#include "formats/png/png_pixels.h"
#include "platform/bytes.h"

namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// Length, type and CRC around the data of every chunk.
constexpr int64_t kChunkFrame = 12;
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;

// Letter case bits of the chunk type: bit 5 of the first letter marks an ancillary chunk, of the fourth
// one a chunk that stays valid when the image itself changes.
bool Critical(std::string_view type) {
    return !(type[0] & 0x20);
}
bool SafeToCopy(std::string_view type) {
    return type[3] & 0x20;
}

template <class T> void RemoveAll(ChunkList& chunks) {
    for (int i; (i = chunks.IndexOfClass<T>()) >= 0;)
        chunks.Remove(i);
}

} // namespace

PngPicture::PngPicture() : chunks_(*this) {
    Clear();
}

void PngPicture::Clear() {
    chunks_.Clear();
    chunks_.Add<ChunkIHDR>().Set(0, 0, 2, 3);
    chunks_.Add<ChunkIDAT>();
    chunks_.Add<ChunkIEND>();
    SetSize(0, 0);
    Palette().clear();
    SetTransparent(false);
}

void PngPicture::LoadFromStream(Stream& stream) {
    Clear();
    chunks_.Clear();
    uint8_t signature[8];
    if (stream.Read(signature, sizeof signature) != sizeof signature ||
        std::memcmp(signature, kSignature, sizeof signature) != 0)
        RaisePNG(png_messages::kInvalidHeader);
    // The image data's CRCs are checked as it is inflated. A bad one would have stopped the load at its
    // chunk, before anything after it could fail: whatever fails, a bad image data CRC is the error.
    try {
        ReadChunks(stream);
        if (chunks_.Count() == 0 || chunks_.IndexOfClass<ChunkIHDR>() != 0) RaisePNG(png_messages::kNoIHDR);
        if (!chunks_.Find<ChunkIDAT>()) RaisePNG(png_messages::kNoImageData);
        for (int i = 0; i < chunks_.Count(); ++i)
            chunks_.Item(i).Decode();
    } catch (const std::exception&) {
        if (ChunkIDAT* data = chunks_.Find<ChunkIDAT>()) data->CheckPieces();
        throw;
    }

    // The pixels carry their alpha; an 8-bit RGB key is also the picture's transparent colour, which a
    // 16-bit key, matched on all its bits, cannot be.
    const auto& header = static_cast<const ChunkIHDR&>(chunks_.Item(0));
    if (const ChunkTRNS* trns = chunks_.Find<ChunkTRNS>();
        trns && header.ColorType() == 2 && header.BitDepth() == 8 && trns->HasColor())
        SetTransparentColor(trns->TransparentColor());
}

void PngPicture::ReadChunks(Stream& stream) {
    const int64_t size = stream.Size();
    int64_t position = stream.Position();
    ChunkIDAT* imageData = nullptr;
    while (position < size) {
        // Every length is checked against what the stream still holds before anything is allocated.
        if (size - position < kChunkFrame) RaisePNG(png_messages::kCorruptedData);
        uint8_t head[8];
        stream.ReadBuffer(head, sizeof head);
        const uint32_t length = GetBE32(head);
        if (length > kMaxChunkLength || length > size - position - kChunkFrame)
            RaisePNG(png_messages::kCorruptedData);
        const std::string type(head + 4, head + 8);
        if (!ChunkClasses::Registered(type) && Critical(type)) RaisePNG(png_messages::kUnknownCriticalChunk);

        std::unique_ptr<Chunk> chunk;
        uint8_t stored[4];
        if (type == ChunkIDAT::kType) {
            // Later image data chunks continue the first one. The data is inflated from the file, and its
            // CRC checked, when the chunks are decoded.
            if (!imageData) chunk = ChunkClasses::Create(chunks_, type);
            auto& target = imageData ? *imageData : static_cast<ChunkIDAT&>(*chunk);
            stream.SetPosition(position + 8 + length);
            stream.ReadBuffer(stored, sizeof stored);
            target.AddPiece(stream, position + 8, length, GetBE32(stored));
        } else {
            chunk = ChunkClasses::Create(chunks_, type);
            chunk->Data().SetSize(length);
            stream.ReadBuffer(chunk->Data().Memory(), length);
            stream.ReadBuffer(stored, sizeof stored);
            if (GetBE32(stored) != ChunkCRC(head + 4, chunk->Data().Memory(), length))
                RaisePNG(png_messages::kCorruptedData);
        }
        position += kChunkFrame + length;

        if (!chunk) continue;
        Chunk& added = chunks_.Add(std::move(chunk));
        if (type == ChunkIDAT::kType) imageData = static_cast<ChunkIDAT*>(&added);
        if (type == ChunkIEND::kType) break;
    }
}

void PngPicture::SaveToStream(Stream& stream) {
    PrepareChunksForSave();
    stream.WriteBuffer(kSignature, sizeof kSignature);
    for (int i = 0; i < chunks_.Count(); ++i)
        chunks_.Item(i).SaveToStream(stream);
}

namespace {

bool Indexed(PixelFormat format) {
    return BitsPerPixel(format) <= 8;
}

// The palette as written: at least one entry and no more than the pixels can index.
std::vector<QRgb> WrittenPalette(const Bitmap& bitmap) {
    std::vector<QRgb> entries = bitmap.Palette();
    const size_t limit = size_t(1) << BitsPerPixel(bitmap.Format());
    entries.resize(std::clamp<size_t>(entries.size(), 1, limit), qRgb(0, 0, 0));
    return entries;
}

const uint8_t* InverseGamma(ChunkList& chunks) {
    ChunkGAMA* gamma = chunks.Find<ChunkGAMA>();
    if (!gamma || !gamma->Valid()) return nullptr;
    gamma->BuildTables();
    return gamma->Inverse().data();
}

} // namespace

void PngPicture::PrepareChunksForSave() {
    int index = chunks_.IndexOfClass<ChunkIHDR>();
    if (index < 0)
        chunks_.Insert<ChunkIHDR>(0);
    else
        chunks_.Move(index, 0);
    auto& header = static_cast<ChunkIHDR&>(chunks_.Item(0));
    const std::vector<uint8_t> oldHeader = header.Bytes();
    const ChunkPLTE* oldPlte = chunks_.Find<ChunkPLTE>();
    const std::vector<uint8_t> oldPalette = oldPlte ? oldPlte->Bytes() : std::vector<uint8_t>();

    // Grey samples never went through the gamma table, so an inverse table would distort them: the
    // pixels are written as they show instead.
    const uint8_t oldColorType = oldHeader.size() >= 13 ? oldHeader[9] : 3;
    if (oldColorType == 0 || oldColorType == 4) RemoveAll<ChunkGAMA>(chunks_);

    const bool indexed = Indexed(Format());
    header.Set(static_cast<uint32_t>(Width()), static_cast<uint32_t>(Height()),
               static_cast<uint8_t>(indexed ? BitsPerPixel(Format()) : 8), indexed ? 3 : 2);
    // The gamma must come before the palette and the image data.
    if (int gamma = chunks_.IndexOfClass<ChunkGAMA>(); gamma > 1) chunks_.Move(gamma, 1);
    RemoveAll<ChunkTRNS>(chunks_);
    RemoveAll<ChunkIEND>(chunks_);
    ChunkIDAT* data = chunks_.Find<ChunkIDAT>();
    if (!data) data = &chunks_.Add<ChunkIDAT>();
    if (indexed) PlacePalette();

    // Chunks we do not know and that may depend on the pixels go when the header or palette changed.
    const ChunkPLTE* plte = chunks_.Find<ChunkPLTE>();
    if (header.Bytes() != oldHeader || (indexed && plte->Bytes() != oldPalette))
        for (int i = chunks_.Count() - 1; i > 0; --i) {
            const std::string_view type = chunks_.Item(i).Type();
            if (!ChunkClasses::Registered(type) && !SafeToCopy(type)) chunks_.Remove(i);
        }
    if (Transparent()) PlaceTransparency();

    data->Data().Clear();
    EncodeImageData(*this, InverseGamma(chunks_), filters_, data->Data());
    chunks_.Add<ChunkIEND>();
}

void PngPicture::PlacePalette() {
    RemoveAll<ChunkPLTE>(chunks_);
    // Before the chunks that must follow the palette; the image data is the latest place.
    int at = chunks_.IndexOfClass<ChunkIDAT>();
    for (int i = 1; i < at; ++i)
        if (chunks_.Item(i).Type() == "bKGD" || chunks_.Item(i).Type() == "hIST") at = i;
    std::vector<QRgb> entries = WrittenPalette(*this);
    if (const uint8_t* inverse = InverseGamma(chunks_))
        for (QRgb& e : entries)
            e = qRgb(inverse[qRed(e)], inverse[qGreen(e)], inverse[qBlue(e)]);
    chunks_.Insert<ChunkPLTE>(at).SetEntries(entries);
}

void PngPicture::PlaceTransparency() {
    const QRgb key = TransparentColor() & 0x00FFFFFF;
    std::vector<uint8_t> bytes;
    if (Indexed(Format())) {
        // One alpha per palette entry up to the last transparent one.
        const std::vector<QRgb> entries = WrittenPalette(*this);
        for (size_t i = 0; i < entries.size(); ++i)
            if ((entries[i] & 0x00FFFFFF) == key) {
                bytes.resize(i + 1, 255);
                bytes[i] = 0;
            }
        if (bytes.empty()) return;
    } else {
        int rgb[3] = {qRed(key), qGreen(key), qBlue(key)};
        if (const uint8_t* inverse = InverseGamma(chunks_))
            for (int& sample : rgb)
                sample = inverse[sample];
        bytes = {0, static_cast<uint8_t>(rgb[0]), 0, static_cast<uint8_t>(rgb[1]),
                 0, static_cast<uint8_t>(rgb[2])};
    }
    chunks_.Insert<ChunkTRNS>(chunks_.IndexOfClass<ChunkIDAT>()).Data() = MemoryStream(std::move(bytes));
}

void PngPicture::Assign(const Graphic& source) {
    if (&source == this) return;
    if (const auto* png = dynamic_cast<const PngPicture*>(&source)) {
        chunks_.Clear();
        for (int i = 0; i < png->chunks_.Count(); ++i) {
            const Chunk& original = png->chunks_.Item(i);
            std::unique_ptr<Chunk> copy = ChunkClasses::Create(chunks_, original.Type());
            copy->Assign(original);
            chunks_.Add(std::move(copy));
        }
        filters_ = png->filters_;
    }
    if (const auto* bitmap = dynamic_cast<const Bitmap*>(&source)) {
        Bitmap::operator=(*bitmap);
        return;
    }
    Bitmap::Assign(source.ToImage(), PixelFormat::pf24bit);
    if (source.Transparent()) SetTransparentColor(source.TransparentColor());
}
