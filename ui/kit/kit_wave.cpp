#include "ui/kit/kit_wave.h"

#include <cstring>

#include "platform/stream.h"
#include "platform/sys/sound.h"
#include "ui/kit/kit_records.h"

namespace {

const char* const kCannotOpen = "Cannot open file %s";
constexpr uint32_t kFormatFields = 14; // tag, channels, rate, bytes per second, block alignment

bool ReadTag(Stream& stream, const char* expected) {
    char tag[4];
    stream.ReadBuffer(tag, 4);
    return std::memcmp(tag, expected, 4) == 0;
}

uint16_t ReadU16(Stream& stream) {
    uint8_t b[2];
    stream.ReadBuffer(b, 2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

bool CheckHeader(Stream& stream, WaveInfo& info) {
    if (!ReadTag(stream, "RIFF")) return false;
    info.RiffSize = stream.ReadUInt32();
    if (!ReadTag(stream, "WAVE")) return false;
    // Chunks before "fmt " are stepped over; each must lie inside the stream, so the walk ends.
    for (;;) {
        char tag[4];
        stream.ReadBuffer(tag, 4);
        const uint32_t size = stream.ReadUInt32();
        if (std::memcmp(tag, "fmt ", 4) == 0) {
            if (size < kFormatFields) return false;
            break;
        }
        const int64_t next = stream.Position() + size + (size & 1);
        if (next >= stream.Size()) return false;
        stream.SetPosition(next);
    }
    const uint16_t tag = ReadU16(stream);
    const uint16_t channels = ReadU16(stream);
    info.SamplesPerSec = stream.ReadUInt32();
    stream.ReadUInt32(); // average bytes per second
    info.BlockAlign = ReadU16(stream);
    info.Channels = channels == 1 || channels == 2 ? static_cast<uint8_t>(channels) : 0;
    info.PCM = tag == 1 ? 1 : 0;
    return true;
}

} // namespace

bool GetWaveData(Stream& stream, WaveInfo& info) {
    if (stream.Size() == 0) return false;
    stream.SetPosition(0);
    bool valid = false;
    try {
        valid = CheckHeader(stream, info);
    } catch (const EStreamError&) {
        stream.SetPosition(0);
        throw EErrorCheckingWave(std::string("GetWaveData: ") + kCannotOpen);
    }
    stream.SetPosition(0);
    return valid;
}

KitWave::KitWave(const std::filesystem::path& fileName) {
    LoadFromFile(fileName);
}

KitWave::~KitWave() {
    if (!data_.empty()) StopSound();
}

void KitWave::LoadFromFile(const std::filesystem::path& fileName) {
    FileStream file(fileName, FileStream::fmOpenRead);
    Load(file, file.Size());
}

void KitWave::LoadFromStream(Stream& stream) {
    Load(stream, stream.Size() - stream.Position());
}

void KitWave::Load(Stream& stream, int64_t count) {
    if (count < 0 || count > stream.Size() - stream.Position()) throw EStreamError("Stream read error");
    // No bytes is no sound, not a broken one.
    if (count == 0) {
        Clear();
        return;
    }
    MemoryStream loaded;
    loaded.SetSize(static_cast<size_t>(count));
    stream.ReadBuffer(loaded.Memory(), static_cast<size_t>(count));
    WaveInfo info;
    if (!GetWaveData(loaded, info)) throw EInvalidWave(std::string("KitWave: ") + kCannotOpen);
    Replace(loaded.Bytes());
}

void KitWave::Replace(std::vector<uint8_t> data) {
    if (!data_.empty()) StopSound();
    data_ = std::move(data);
    Changed();
}

void KitWave::SaveToFile(const std::filesystem::path& fileName) const {
    FileStream file(fileName, FileStream::fmCreate);
    SaveToStream(file);
}

void KitWave::SaveToStream(Stream& stream) const {
    stream.WriteBuffer(data_.data(), data_.size());
}

void KitWave::Clear() {
    Replace({});
}

void KitWave::Assign(const KitObject& source) {
    const auto* wave = dynamic_cast<const KitWave*>(&source);
    if (!wave) return KitObject::Assign(source);
    if (wave == this) return;
    Replace(wave->Bytes());
}

void KitWave::WriteData(Stream& stream) const {
    stream.WriteUInt32(static_cast<uint32_t>(Size()));
    SaveToStream(stream);
}

void KitWave::ReadData(Stream& stream) {
    const uint32_t size = stream.ReadUInt32();
    Load(stream, size);
}

void KitWave::StopSound() {
    SoundPlayer::Instance().Stop();
}

void WriteWave(Stream& stream, const KitWave& wave, bool compressed) {
    WriteRecord(stream, compressed, [&](Stream& out) { wave.SaveToStream(out); });
}

void ReadWave(Stream& stream, KitWave& wave, bool compressed) {
    MemoryStream bytes = ReadRecord(stream, compressed);
    wave.LoadFromStream(bytes);
}
