#include "formats/gif/gif_blocks.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

#include "formats/gif/gif_error.h"
#include "formats/gif/gif_image.h"
#include "formats/gif/gif_io.h"

namespace {

constexpr uint8_t kExtensionIntroducer = '!';

// Application identifiers (with authentication code) whose data is a loop count.
constexpr const char* kLoopIdentifiers[] = {"NETSCAPE2.0", "ANIMEXTS1.0"};

bool SignatureMatches(const uint8_t* bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes), 3).toUpper() == "GIF";
}

int Word(const uint8_t* p) {
    return p[0] | p[1] << 8;
}

} // namespace

void GIFItem::Warning(int severity, const char* message) const {
    image_->Warning(this, severity, message);
}

GIFHeader::GIFHeader(GIFImage& image) : GIFItem(image), colorMap_(image) {}

void GIFHeader::Clear() {
    colorMap_.Clear();
    width_ = 0;
    height_ = 0;
    UpdatePacked();
}

void GIFHeader::Assign(const GIFHeader& source) {
    width_ = source.width_;
    height_ = source.height_;
    packed_ = source.packed_;
    backgroundIndex_ = source.backgroundIndex_;
    aspectRatio_ = source.aspectRatio_;
    colorMap_.Assign(source.colorMap_);
}

void GIFHeader::LoadFromStream(GIFReader& reader) {
    uint8_t signature[6];
    reader.ReadExact(signature, sizeof signature);
    if (!SignatureMatches(signature)) {
        // The signature may also stand 4 bytes further on.
        uint8_t shifted[6] = {signature[4], signature[5]};
        reader.ReadExact(shifted + 2, 4);
        if (!SignatureMatches(shifted)) RaiseGIF(gif_messages::kInvalidSignature);
    }
    uint8_t screen[7];
    reader.ReadExact(screen, sizeof screen);
    const int width = Word(screen), height = Word(screen + 2);
    if ((width || height) && !PictureSizeAllowed(std::max(width, 1), std::max(height, 1)))
        RaiseGIF(gif_messages::kTooLarge);
    width_ = width;
    height_ = height;
    packed_ = screen[4];
    backgroundIndex_ = screen[5];
    aspectRatio_ = screen[6];
    if (packed_ & 0x80)
        colorMap_.LoadFromStream(reader, 2 << (packed_ & 7));
    else
        colorMap_.Clear();
}

uint8_t GIFHeader::PackedField() const {
    int packed = (Image().ColorResolution() & 7) << 4;
    if (colorMap_.Count() > 0) {
        packed |= 0x80 | ((colorMap_.BitsPerPixel() - 1) & 7);
        if (colorMap_.Sorted()) packed |= 0x08;
    } else {
        packed |= (Image().BitsPerPixel() - 1) & 7;
    }
    return static_cast<uint8_t>(packed);
}

void GIFHeader::SaveToStream(GIFOutput& out) const {
    const GIFVersion version = Image().Version();
    if (version == GIFVersion::gvUnknown) RaiseGIF(gif_messages::kUnsupportedVersion);
    out.Bytes(version == GIFVersion::gv89a ? "GIF89a" : "GIF87a", 6);
    out.Word(width_);
    out.Word(height_);
    const uint8_t packed = PackedField();
    out.Byte(packed);
    out.Byte(backgroundIndex_);
    out.Byte(aspectRatio_);
    if (packed & 0x80) colorMap_.SaveToStream(out);
}

GIFExtension::GIFExtension(GIFSubImage& frame) : GIFItem(frame.Image()), frame_(&frame) {}

void GIFExtension::Attach(GIFSubImage& frame) {
    frame_ = &frame;
    SetImage(frame.Image());
}

void GIFExtension::LoadFromStream(GIFReader& reader) {
    uint8_t head[2];
    reader.ReadExact(head, sizeof head);
    if (head[0] != kExtensionIntroducer) RaiseGIF(gif_messages::kInvalidIntroducer);
    if (head[1] != ExtensionType()) RaiseGIF(gif_messages::kExtensionMismatch);
    LoadData(reader);
}

void GIFExtension::SaveToStream(GIFOutput& out) const {
    out.Byte(kExtensionIntroducer);
    out.Byte(ExtensionType());
    SaveData(out);
}

std::unique_ptr<GIFExtension> CreateExtension(GIFReader& reader, GIFSubImage& frame) {
    // Introducer, label, block size and the 11 identifier bytes of an application extension.
    uint8_t head[14] = {};
    const size_t got = reader.Peek(head, sizeof head);
    switch (head[1]) {
    case GIFTextExtension::kLabel:
        return std::make_unique<GIFTextExtension>(frame);
    case GIFGraphicControlExtension::kLabel:
        return std::make_unique<GIFGraphicControlExtension>(frame);
    case GIFCommentExtension::kLabel:
        return std::make_unique<GIFCommentExtension>(frame);
    case GIFApplicationExtension::kLabel:
        if (got == sizeof head && head[2] == 11)
            for (const char* id : kLoopIdentifiers)
                if (std::memcmp(head + 3, id, 11) == 0) return std::make_unique<GIFAppExtNSLoop>(frame);
        return std::make_unique<GIFUnknownAppExtension>(frame);
    default:
        return std::make_unique<GIFUnknownExtension>(frame, head[1]);
    }
}

void GIFTextExtension::LoadData(GIFReader& reader) {
    uint8_t data[13];
    reader.ReadExact(data, sizeof data);
    blockSize_ = data[0];
    for (size_t i = 0; i < 4; ++i)
        Grid[i] = Word(data + 1 + 2 * i);
    for (size_t i = 4; i < 8; ++i)
        Grid[i] = data[i + 5];
    reader.ReadSubBlocks(Text);
}

void GIFTextExtension::SaveData(GIFOutput& out) const {
    out.Byte(blockSize_);
    for (size_t i = 0; i < 4; ++i)
        out.Word(Grid[i]);
    for (size_t i = 4; i < 8; ++i)
        out.Byte(Grid[i]);
    out.SubBlocks(Text);
}

void GIFGraphicControlExtension::SetTransparentColorIndex(int index) {
    const GIFColorMap& table = SubImage().CurrentTable();
    if (table.Count() > 0 && index >= table.Count()) {
        Warning(gsWarning, gif_messages::kInvalidColorIndex);
        index = 0;
    }
    transparentIndex_ = static_cast<uint8_t>(index);
}

void GIFGraphicControlExtension::LoadData(GIFReader& reader) {
    // Six bytes whatever the block size says.
    uint8_t data[6];
    reader.ReadExact(data, sizeof data);
    blockSize_ = data[0];
    packed_ = data[1];
    delay_ = static_cast<uint16_t>(Word(data + 2));
    transparentIndex_ = data[4];
    terminator_ = data[5];
}

void GIFGraphicControlExtension::SaveData(GIFOutput& out) const {
    out.Byte(blockSize_);
    out.Byte(packed_);
    out.Word(delay_);
    out.Byte(transparentIndex_);
    out.Byte(terminator_);
}

void GIFCommentExtension::LoadData(GIFReader& reader) {
    reader.ReadSubBlocks(Text);
}

void GIFCommentExtension::SaveData(GIFOutput& out) const {
    out.SubBlocks(Text);
}

void GIFApplicationExtension::LoadData(GIFReader& reader) {
    const int blockSize = reader.ReadByte();
    if (blockSize < 0) RaiseGIF(gif_messages::kPrematureEnd);
    if (blockSize < 10) RaiseGIF(gif_messages::kAppBlockSize);
    // A 10-byte block leaves the last authentication byte 0; bytes past 11 are not kept.
    Identifier.fill('\0');
    reader.ReadExact(Identifier.data(), std::min<size_t>(static_cast<size_t>(blockSize), Identifier.size()));
    if (blockSize > 11) reader.Skip(static_cast<size_t>(blockSize) - 11);
    LoadAppData(reader);
}

void GIFApplicationExtension::SaveData(GIFOutput& out) const {
    out.Byte(static_cast<int>(Identifier.size()));
    out.Bytes(Identifier.data(), Identifier.size());
    SaveAppData(out);
}

GIFAppExtNSLoop::GIFAppExtNSLoop(GIFSubImage& frame) : GIFApplicationExtension(frame) {
    std::memcpy(Identifier.data(), kLoopIdentifiers[0], Identifier.size());
}

void GIFAppExtNSLoop::LoadAppData(GIFReader& reader) {
    std::vector<std::string> blocks;
    reader.ReadSubBlocks(blocks);
    for (const std::string& block : blocks) {
        const auto* p = reinterpret_cast<const uint8_t*>(block.data());
        switch (p[0] & 7) {
        case 1:
            if (block.size() < 3) RaiseGIF(gif_messages::kInvalidData);
            Loops = Word(p + 1);
            break;
        case 2:
            if (block.size() < 5) RaiseGIF(gif_messages::kInvalidData);
            BufferSize = static_cast<uint32_t>(Word(p + 1)) | static_cast<uint32_t>(Word(p + 3)) << 16;
            break;
        default:
            break;
        }
    }
}

void GIFAppExtNSLoop::SaveAppData(GIFOutput& out) const {
    out.Byte(3);
    out.Byte(1);
    out.Word(Loops);
    if (BufferSize != 0) {
        out.Byte(5);
        out.Byte(2);
        out.Word(static_cast<int>(BufferSize & 0xFFFF));
        out.Word(static_cast<int>(BufferSize >> 16));
    }
    out.Byte(0);
}

void GIFUnknownAppExtension::LoadAppData(GIFReader& reader) {
    reader.ReadSubBlocks(Blocks);
}

void GIFUnknownAppExtension::SaveAppData(GIFOutput& out) const {
    out.SubBlocks(Blocks);
}

void GIFUnknownExtension::LoadData(GIFReader& reader) {
    reader.ReadSubBlocks(Blocks);
}

void GIFUnknownExtension::SaveData(GIFOutput& out) const {
    out.SubBlocks(Blocks);
}
