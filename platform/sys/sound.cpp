#include "platform/sys/sound.h"

SoundPlayer& SoundPlayer::Instance() {
    static SoundPlayer player;
    return player;
}

void SoundPlayer::Play(const std::vector<uint8_t>& wave) {
    playing_ = wave;
}

void SoundPlayer::Stop() {
    playing_.clear();
}
