#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "ui/kit/kit_object.h"

class Stream;

class EInvalidWave : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
class EErrorCheckingWave : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What the header of a RIFF/WAVE file says.
struct WaveInfo {
    uint32_t RiffSize = 0;
    uint32_t SamplesPerSec = 0;
    uint8_t Channels = 0; // 1 mono, 2 stereo, 0 any other count
    uint8_t PCM = 0;      // 1 when the format tag is plain PCM
    uint16_t BlockAlign = 0;
};

// Checks a RIFF/WAVE header: "RIFF", its size, "WAVE", then the chunks up to "fmt " (each within the
// stream). False for anything else; a stream ending inside the header raises EErrorCheckingWave. The stream
// is left at position 0.
bool GetWaveData(Stream& stream, WaveInfo& info);

// One wave sound file held in memory, so that components can keep sounds in containers. Playing is done
// elsewhere; replacing or freeing the data stops any sound that plays.
class KitWave : public KitObject {
  public:
    KitWave() = default;
    explicit KitWave(const std::filesystem::path& fileName);
    ~KitWave() override;

    bool Empty() const { return data_.empty(); }
    int64_t Size() const { return static_cast<int64_t>(data_.size()); }
    const std::vector<uint8_t>& Bytes() const { return data_; }

    void LoadFromFile(const std::filesystem::path& fileName);
    // Loads the bytes from the stream's position to its end; none empties the wave. A header that does not
    // check raises EInvalidWave and the wave keeps what it held.
    void LoadFromStream(Stream& stream);
    void SaveToFile(const std::filesystem::path& fileName) const;
    // The bytes as they are; nothing for no data.
    void SaveToStream(Stream& stream) const;
    void Clear();
    void Assign(const KitObject& source) override;

    // The "Data" property, stored only when the wave is not empty: a 32-bit size, then the bytes.
    void WriteData(Stream& stream) const;
    // The size is checked against the bytes present before anything is allocated.
    void ReadData(Stream& stream);

    static void StopSound();

  private:
    void Load(Stream& stream, int64_t count);
    void Replace(std::vector<uint8_t> data);

    std::vector<uint8_t> data_;
};

// The wave as a stream record: sized ("Data" layout) or compressed.
void WriteWave(Stream& stream, const KitWave& wave, bool compressed);
void ReadWave(Stream& stream, KitWave& wave, bool compressed);
