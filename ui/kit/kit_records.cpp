#include "ui/kit/kit_records.h"

#include "formats/kit_compress.h"
#include "platform/gfx/bitmap.h"
#include "platform/text.h"
#include "ui/bitmap/kit_graphics.h"

namespace {

constexpr size_t kMaxShortString = 255;

} // namespace

void WriteInteger(Stream& stream, int32_t value) {
    stream.WriteUInt32(static_cast<uint32_t>(value));
}

int32_t ReadInteger(Stream& stream) {
    return static_cast<int32_t>(stream.ReadUInt32());
}

void WriteByte(Stream& stream, uint8_t value) {
    stream.WriteBuffer(&value, 1);
}

uint8_t ReadByte(Stream& stream) {
    uint8_t value = 0;
    stream.ReadBuffer(&value, 1);
    return value;
}

void WriteBoolean(Stream& stream, bool value) {
    WriteByte(stream, value ? 1 : 0);
}

bool ReadBoolean(Stream& stream) {
    return ReadByte(stream) != 0;
}

void WriteShortString(Stream& stream, const QString& text) {
    const std::string bytes = EncodeText(text);
    if (bytes.size() > kMaxShortString) throw EStreamError("String too long for a short string record");
    WriteByte(stream, static_cast<uint8_t>(bytes.size()));
    stream.WriteBuffer(bytes.data(), bytes.size());
}

QString ReadShortString(Stream& stream) {
    std::string bytes(ReadByte(stream), '\0');
    stream.ReadBuffer(bytes.data(), bytes.size());
    return DecodeText(bytes);
}

void WriteRecord(Stream& stream, bool compressed, const std::function<void(Stream&)>& writeObject) {
    if (compressed) {
        MemoryStream plain;
        writeObject(plain);
        plain.SetPosition(0);
        CompressStream(plain, stream, plain.Size());
        return;
    }
    const int64_t sizeAt = stream.Position();
    WriteInteger(stream, 0);
    writeObject(stream);
    const int64_t end = stream.Position();
    stream.SetPosition(sizeAt);
    WriteInteger(stream, static_cast<int32_t>(end - sizeAt - 4));
    stream.SetPosition(end);
}

MemoryStream ReadRecord(Stream& stream, bool compressed) {
    MemoryStream bytes;
    if (compressed) {
        DecompressStream(stream, bytes);
    } else {
        const uint32_t size = stream.ReadUInt32();
        if (int64_t(size) > stream.Size() - stream.Position())
            throw EStreamError("Record is longer than its stream");
        bytes.SetSize(size);
        stream.ReadBuffer(bytes.Memory(), size);
    }
    bytes.SetPosition(0);
    return bytes;
}

void WriteStringList(Stream& stream, const QStringList& lines, bool compressed) {
    const std::string text = EncodeText(JoinLinesCrlf(lines));
    WriteRecord(stream, compressed, [&](Stream& out) { out.WriteBuffer(text.data(), text.size()); });
}

QStringList ReadStringList(Stream& stream, bool compressed) {
    MemoryStream bytes = ReadRecord(stream, compressed);
    return SplitLines(DecodeText(
        std::string_view(reinterpret_cast<const char*>(bytes.Bytes().data()), bytes.Bytes().size())));
}

void WriteBitmap(Stream& stream, const Bitmap& bitmap, bool compressed, int colorCount) {
    WriteRecord(stream, compressed, [&](Stream& out) {
        if (colorCount == -1)
            bitmap.WriteBmpFile(out);
        else
            WriteBMP(out, bitmap, bitmap.Format() == PixelFormat::pf1bit ? 2 : colorCount, false);
    });
}

void ReadBitmap(Stream& stream, Bitmap& bitmap, bool compressed) {
    MemoryStream bytes = ReadRecord(stream, compressed);
    bitmap.LoadFromStream(bytes);
}
