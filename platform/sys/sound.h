#pragma once

#include <cstdint>
#include <vector>

// The sound layer: no sound device is assumed, so nothing is heard. It keeps which sound would be
// playing, so that owners of sound data can stop it when they replace or free the data.
class SoundPlayer {
  public:
    static SoundPlayer& Instance();

    // Starts a RIFF/WAVE image (a copy is kept); an empty image stops what plays.
    void Play(const std::vector<uint8_t>& wave);
    // Stops whatever plays.
    void Stop();
    bool Playing() const { return !playing_.empty(); }
    const std::vector<uint8_t>& Current() const { return playing_; }

  private:
    std::vector<uint8_t> playing_;
};
