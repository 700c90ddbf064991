#include <gtest/gtest.h>

#include "platform/bytes.h"
#include "platform/stream.h"
#include "platform/sys/sound.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "ui/kit/kit_wave.h"

namespace {

// A wave file made by the peer.
std::string SoxWave(const TempDir& dir, const std::string& name, const QStringList& format) {
    const auto path = dir / name;
    int status = 0;
    RunProgram("sox",
               QStringList{"-n"} + format +
                   QStringList{QString::fromStdString(path.string()), "synth", "0.01", "sine", "440"},
               &status);
    EXPECT_EQ(status, 0) << name;
    return ReadFileBytes(path).value_or("");
}

MemoryStream StreamOf(const std::string& bytes) {
    return MemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

WaveInfo InfoOf(const std::string& bytes) {
    MemoryStream stream = StreamOf(bytes);
    WaveInfo info;
    EXPECT_TRUE(GetWaveData(stream, info));
    EXPECT_EQ(stream.Position(), 0);
    return info;
}

} // namespace

TEST(KitWave, HeadersOfThePeersFilesReadAsWritten) {
    if (!PeerAvailable("sox")) GTEST_SKIP() << "sox is not installed";
    TempDir dir;
    const std::string mono8 = SoxWave(dir, "a.wav", {"-r", "8000", "-b", "8", "-c", "1"});
    WaveInfo info = InfoOf(mono8);
    EXPECT_EQ(info.RiffSize, mono8.size() - 8);
    EXPECT_EQ(info.SamplesPerSec, 8000u);
    EXPECT_EQ(info.Channels, 1);
    EXPECT_EQ(info.PCM, 1);
    EXPECT_EQ(info.BlockAlign, 1);

    info = InfoOf(SoxWave(dir, "b.wav", {"-r", "8000", "-b", "16", "-c", "4"}));
    EXPECT_EQ(info.Channels, 0) << "four channels are neither mono nor stereo";
    EXPECT_EQ(info.PCM, 0) << "the extensible format is not the plain PCM tag";
    EXPECT_EQ(info.BlockAlign, 8);

    info = InfoOf(SoxWave(dir, "c.wav", {"-r", "11025", "-b", "24", "-c", "2"}));
    EXPECT_EQ(info.SamplesPerSec, 11025u);
    EXPECT_EQ(info.Channels, 2);
    EXPECT_EQ(info.BlockAlign, 6);

    info = InfoOf(SoxWave(dir, "d.wav", {"-r", "8000", "-e", "floating-point", "-b", "32", "-c", "1"}));
    EXPECT_EQ(info.PCM, 0);
    EXPECT_EQ(info.BlockAlign, 4);

    KitWave wave;
    wave.LoadFromFile(dir / "a.wav");
    EXPECT_EQ(wave.Size(), int64_t(mono8.size()));
    wave.SaveToFile(dir / "copy.wav");
    EXPECT_EQ(ReadFileBytes(dir / "copy.wav"), mono8);
}

TEST(KitWave, BadHeadersAreRefusedAndTheOldSoundStays) {
    const std::string good = "RIFF" + std::string("\x24\0\0\0", 4) + "WAVE" + "LIST" +
                             std::string("\x03\0\0\0", 4) + "abc" + std::string(1, '\0') + "fmt " +
                             std::string("\x10\0\0\0", 4) +
                             std::string("\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0", 16);
    KitWave wave;
    int changes = 0;
    wave.OnChange = [&](KitObject*) { ++changes; };
    MemoryStream stream = StreamOf(good);
    wave.LoadFromStream(stream);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(InfoOf(good).Channels, 2) << "the LIST chunk before fmt is stepped over";

    std::string rifx = good;
    rifx[3] = 'X';
    MemoryStream rifxStream = StreamOf(rifx);
    EXPECT_EQ(ErrorText([&] { wave.LoadFromStream(rifxStream); }), "KitWave: Cannot open file %s");
    MemoryStream cut = StreamOf(good.substr(0, 40));
    EXPECT_EQ(ErrorText([&] { wave.LoadFromStream(cut); }), "GetWaveData: Cannot open file %s");
    std::string lying = good;
    Set32(lying, 16, 0x7FFFFFF0); // the LIST chunk claims to run far past the end
    MemoryStream lyingStream = StreamOf(lying);
    EXPECT_THROW(wave.LoadFromStream(lyingStream), EInvalidWave);
    EXPECT_EQ(wave.Bytes(), std::vector<uint8_t>(good.begin(), good.end()));
    EXPECT_EQ(changes, 1);
}

TEST(KitWave, DataRecordsAssignmentAndClearing) {
    const std::string bytes = "RIFF" + std::string("\x24\0\0\0", 4) + "WAVEfmt " +
                              std::string("\x10\0\0\0", 4) +
                              std::string("\x01\0\x01\0\x40\x1F\0\0\x40\x1F\0\0\x01\0\x08\0", 16);
    KitWave wave;
    MemoryStream source = StreamOf(bytes);
    wave.LoadFromStream(source);
    for (bool compressed : {false, true}) {
        MemoryStream record;
        WriteWave(record, wave, compressed);
        record.SetPosition(0);
        KitWave back;
        ReadWave(record, back, compressed);
        EXPECT_EQ(back.Bytes(), wave.Bytes());
    }
    MemoryStream data;
    wave.WriteData(data);
    EXPECT_EQ(data.Size(), int64_t(bytes.size()) + 4);
    data.SetPosition(0);
    KitWave read;
    read.ReadData(data);
    EXPECT_EQ(read.Bytes(), wave.Bytes());
    MemoryStream lying(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 'R'});
    EXPECT_THROW(read.ReadData(lying), EStreamError);

    KitWave copy;
    int changes = 0;
    copy.OnChange = [&](KitObject*) { ++changes; };
    copy.Assign(wave);
    EXPECT_EQ(copy.Bytes(), wave.Bytes());
    EXPECT_EQ(changes, 1);

    // Replacing or dropping the data stops the sound that plays.
    SoundPlayer::Instance().Play(copy.Bytes());
    copy.Assign(KitWave());
    EXPECT_TRUE(copy.Empty());
    EXPECT_FALSE(SoundPlayer::Instance().Playing());

    TempDir dir;
    copy.SaveToFile(dir / "empty.wav");
    EXPECT_EQ(ReadFileBytes(dir / "empty.wav"), std::string());
}
