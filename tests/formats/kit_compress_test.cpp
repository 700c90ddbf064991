#include <gtest/gtest.h>

#include <random>

#include "formats/kit_compress.h"
#include "platform/gfx/bitmap.h"
#include "platform/stream.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int v : values)
        bytes.push_back(static_cast<uint8_t>(v));
    return bytes;
}

std::vector<uint8_t> Text(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Text-like bytes with repeats, runs and noise, so every item kind occurs.
std::vector<uint8_t> Mixed(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes;
    const std::string words[] = {"brick ", "plate ", "2x4 ", "red ", "tile "};
    while (bytes.size() < size) {
        switch (random() % 4) {
        case 0:
            bytes.insert(bytes.end(), size_t(16 + random() % 5000), uint8_t(random()));
            break;
        case 1:
            bytes.push_back(uint8_t(random()));
            break;
        default:
            for (char c : words[random() % 5])
                bytes.push_back(uint8_t(c));
        }
    }
    bytes.resize(size);
    return bytes;
}

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& plain) {
    MemoryStream source(plain), packed, unpacked;
    CompressStream(source, packed, source.Size());
    packed.SetPosition(0);
    DecompressStream(packed, unpacked);
    EXPECT_EQ(packed.Position(), packed.Size());
    return unpacked.Bytes();
}

} // namespace

TEST(BlockCoder, KnownBlocksCodeToTheirVectors) {
    EXPECT_EQ(CompressBlock(Text("abcabcabc")), Bytes({0x40, 0x10, 0x00, 0x61, 0x62, 0x63, 0x00, 0x33}));
    EXPECT_EQ(CompressBlock(std::vector<uint8_t>(100, 7)), Bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x54, 0x07}));
    EXPECT_EQ(CompressBlock(Text("xyz")), Bytes({0x80, 0x78, 0x79, 0x7a}));
    EXPECT_EQ(CompressBlock({}), Bytes({0x80}));
    EXPECT_EQ(DecompressBlock(Bytes({0x40, 0x10, 0x00, 0x61, 0x62, 0x63, 0x00, 0x33})), Text("abcabcabc"));
    EXPECT_EQ(DecompressBlock(Bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x54, 0x07})),
              std::vector<uint8_t>(100, 7));
    EXPECT_EQ(DecompressBlock(Bytes({0x80, 0x78, 0x79, 0x7a})), Text("xyz"));
    EXPECT_TRUE(DecompressBlock(Bytes({0x40, 0x00, 0x00})).empty());
    EXPECT_TRUE(DecompressBlock(Bytes({0x80})).empty());
}

// The coder's own buffer is one byte short for a stored block of the largest input; a full block of noise
// must come back whole.
TEST(BlockCoder, AFullIncompressibleBlockIsStoredWhole) {
    std::vector<uint8_t> noise(kMaxBlockSize);
    std::mt19937 random(7);
    for (uint8_t& b : noise)
        b = uint8_t(random());
    const std::vector<uint8_t> block = CompressBlock(noise);
    ASSERT_EQ(block.size(), kMaxBlockSize + 1);
    EXPECT_EQ(block[0], 0x80);
    EXPECT_EQ(DecompressBlock(block), noise);
    // Noise ending in a short repeat: the last bytes hash no further than the input goes.
    std::vector<uint8_t> tail = noise;
    tail.resize(100);
    tail.insert(tail.end(), {1, 2, 1, 2});
    EXPECT_EQ(DecompressBlock(CompressBlock(tail)), tail);
}

TEST(BlockCoder, StreamsRoundTripAcrossBlockEdges) {
    for (size_t size : {size_t(0), size_t(1), kMaxBlockSize - 1, kMaxBlockSize, kMaxBlockSize + 1,
                        3 * kMaxBlockSize + 17, size_t(200000)})
        EXPECT_EQ(RoundTrip(Mixed(size, unsigned(size))), Mixed(size, unsigned(size))) << size;

    MemoryStream empty, packed;
    CompressStream(empty, packed, 0);
    EXPECT_EQ(packed.Bytes(), Bytes({0, 0, 0, 0}));

    // The total counts every block record: 4 bytes of length and the block.
    MemoryStream source(Mixed(2 * kMaxBlockSize, 3)), out;
    out.WriteBuffer("xx", 2);
    CompressStream(source, out, source.Size());
    EXPECT_EQ(out.Position(), out.Size());
    out.SetPosition(2);
    EXPECT_EQ(int64_t(out.ReadUInt32()), out.Size() - 6);
}

TEST(BlockCoder, CorruptBlocksAndStreamsAreRefused) {
    // A back reference before the start of the output.
    EXPECT_THROW(DecompressBlock(Bytes({0x40, 0x40, 0x00, 0x61, 0x00, 0x53})), EStreamError);
    // An item cut short.
    EXPECT_THROW(DecompressBlock(Bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x54})), EStreamError);
    // Runs past the largest block.
    std::vector<uint8_t> runs = {0x40, 0xFF, 0xFF};
    for (int i = 0; i < 16; ++i)
        runs.insert(runs.end(), {0x00, 0x0F, 0xFF, 0x01});
    EXPECT_THROW(DecompressBlock(runs), EStreamError);
    // A stream whose total or block length lies about the bytes present.
    for (const std::vector<uint8_t>& bad :
         {Bytes({0xFF, 0xFF, 0xFF, 0x7F}), Bytes({9, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0x80}),
          Bytes({3, 0, 0, 0, 1, 0, 0})}) {
        MemoryStream source(bad), dest;
        EXPECT_THROW(DecompressStream(source, dest), EStreamError);
    }
}
