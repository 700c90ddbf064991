#include <gtest/gtest.h>

#include <random>

#include "formats/png/z_stream.h"
#include "png_test_files.h"

using png_test::Deflate;
using png_test::Inflate;

namespace {

std::string Sample(size_t size) {
    std::mt19937 random(7);
    std::string text;
    while (text.size() < size)
        text += "row " + std::to_string(random() % 1000) + (random() % 3 ? ' ' : '\n');
    text.resize(size);
    return text;
}

std::string Compress(const std::string& raw, CompressionLevel level = CompressionLevel::clDefault) {
    MemoryStream out;
    ZCompressionStream stream(level, out);
    stream.WriteBuffer(raw.data(), raw.size());
    stream.Finish();
    return {out.Bytes().begin(), out.Bytes().end()};
}

MemoryStream StreamOf(const std::string& bytes) {
    return MemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::string ReadAll(Stream& stream, size_t ask) {
    std::string out(ask, '\0');
    out.resize(stream.Read(out.data(), ask));
    return out;
}

} // namespace

namespace {

// Compresses `raw` in odd-sized writes, so that the input never lines up with the output buffer, and checks
// that zlib reads it back; gives the number of buffers written.
int CompressInOddWrites(const std::string& raw, CompressionLevel level) {
    MemoryStream out;
    int buffers = 0;
    {
        ZCompressionStream stream(level, out);
        stream.OnProgress = [&] { ++buffers; };
        for (size_t at = 0; at < raw.size(); at += 77777)
            stream.WriteBuffer(raw.data() + at, std::min<size_t>(77777, raw.size() - at));
        EXPECT_EQ(stream.Position(), static_cast<int64_t>(raw.size()));
    }
    const std::string compressed(out.Bytes().begin(), out.Bytes().end());
    EXPECT_EQ(Inflate(compressed, raw.size()), raw) << "level " << static_cast<int>(level);
    return buffers;
}

} // namespace

TEST(ZStream, CompressesAcrossManyBuffersIntoAStreamZlibReads) {
    const std::string raw = Sample(3'000'000);
    EXPECT_GT(CompressInOddWrites(raw, CompressionLevel::clNone), 40);
    CompressInOddWrites(raw, CompressionLevel::clFastest);
}

// The levels that search harder take most of the time over the same input.
TEST(ZStream, SlowCompressesAcrossManyBuffersAtTheStrongerLevels) {
    const std::string raw = Sample(3'000'000);
    for (CompressionLevel level : {CompressionLevel::clDefault, CompressionLevel::clMax})
        CompressInOddWrites(raw, level);
}

TEST(ZStream, AnUntouchedCompressionStreamStillWritesAnEmptyZlibStream) {
    MemoryStream out;
    { ZCompressionStream stream(CompressionLevel::clDefault, out); }
    ASSERT_FALSE(out.Bytes().empty());
    const std::string compressed(out.Bytes().begin(), out.Bytes().end());
    EXPECT_EQ(Inflate(compressed, 16), "");
    MemoryStream source = StreamOf(compressed);
    ZDecompressionStream reader(source);
    EXPECT_EQ(ReadAll(reader, 10), "");
}

TEST(ZStream, CompressionRefusesReadingAndSeekingAndKeepsItsPlaceInTheDestination) {
    MemoryStream out;
    ZCompressionStream stream(CompressionLevel::clNone, out);
    const std::string raw = Sample(200'000);
    stream.WriteBuffer(raw.data(), raw.size());
    char byte;
    EXPECT_THROW(stream.Read(&byte, 1), EZCompressionError);
    EXPECT_THROW(stream.Seek(0, Stream::soFromBeginning), EZCompressionError);
    EXPECT_THROW(stream.Seek(5, Stream::soFromCurrent), EZCompressionError);
    try {
        stream.Seek(0, Stream::soFromEnd);
    } catch (const EZCompressionError& e) {
        EXPECT_STREQ(e.what(), "Invalid ZStream operation!");
    }
    // Somebody else moves the destination; the rest still lands after what was written.
    out.SetPosition(0);
    stream.WriteBuffer(raw.data(), raw.size());
    stream.Finish();
    const std::string compressed(out.Bytes().begin(), out.Bytes().end());
    EXPECT_EQ(Inflate(compressed, 2 * raw.size()), raw + raw);
}

TEST(ZStream, DecompressionStopsAtTheEndOfTheDataAndIgnoresTrailingBytes) {
    const std::string raw = Sample(100'000);
    MemoryStream source = StreamOf(Deflate(raw) + std::string(70'000, 'x'));
    ZDecompressionStream stream(source);
    EXPECT_EQ(ReadAll(stream, raw.size() + 500), raw);
    EXPECT_EQ(ReadAll(stream, 10), "");
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(raw.size()));
}

TEST(ZStream, ShortSourceGivesFewerBytesAndCorruptDataRaisesDataError) {
    const std::string raw = Sample(100'000);
    const std::string compressed = Deflate(raw);
    MemoryStream shortSource = StreamOf(compressed.substr(0, compressed.size() / 2));
    ZDecompressionStream shortStream(shortSource);
    const std::string got = ReadAll(shortStream, raw.size());
    EXPECT_LT(got.size(), raw.size());
    EXPECT_EQ(got, raw.substr(0, got.size()));

    std::string broken = compressed;
    broken[0] = 0x7F; // not a deflate header
    MemoryStream badSource = StreamOf(broken);
    ZDecompressionStream bad(badSource);
    char buffer[16];
    try {
        bad.Read(buffer, sizeof buffer);
        ADD_FAILURE() << "corrupt data was read";
    } catch (const EZDecompressionError& e) {
        EXPECT_STREQ(e.what(), "data error");
    }
    EXPECT_THROW(bad.Write(buffer, 1), EZDecompressionError);
}

TEST(ZStream, DecompressionSeeksForwardRestartsAtZeroAndRefusesGoingBack) {
    const std::string raw = Sample(50'000);
    // The compressed data starts part-way into its source.
    MemoryStream source = StreamOf("prefix" + Deflate(raw));
    source.SetPosition(6);
    ZDecompressionStream stream(source);
    EXPECT_EQ(stream.Seek(10'000, Stream::soFromCurrent), 10'000);
    EXPECT_EQ(ReadAll(stream, 5), raw.substr(10'000, 5));
    EXPECT_EQ(stream.Seek(20'000, Stream::soFromBeginning), 20'000);
    EXPECT_EQ(ReadAll(stream, 5), raw.substr(20'000, 5));
    EXPECT_THROW(stream.Seek(100, Stream::soFromBeginning), EZDecompressionError);
    EXPECT_THROW(stream.Seek(-1, Stream::soFromCurrent), EZDecompressionError);
    EXPECT_THROW(stream.Seek(0, Stream::soFromEnd), EZDecompressionError);
    EXPECT_EQ(stream.Seek(0, Stream::soFromBeginning), 0);
    EXPECT_EQ(ReadAll(stream, raw.size()), raw);
    // Skipping past the end stops at the end.
    stream.SetPosition(0);
    EXPECT_EQ(stream.Seek(1'000'000, Stream::soFromCurrent), static_cast<int64_t>(raw.size()));
}

TEST(ZStream, OurCompressionAndDecompressionRoundTripLargeData) {
    const std::string raw = Sample(1'500'000);
    MemoryStream source = StreamOf(Compress(raw, CompressionLevel::clFastest));
    ZDecompressionStream stream(source);
    int refills = 0;
    stream.OnProgress = [&] { ++refills; };
    EXPECT_EQ(ReadAll(stream, raw.size()), raw);
    EXPECT_GE(refills, 1);
}
