#include <gtest/gtest.h>

#include "formats/xls/cfb.h"
#include "platform/bytes.h"

namespace {

std::string Pattern(size_t n, int seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 31 + static_cast<size_t>(seed)) % 251);
    return s;
}

} // namespace

TEST(Cfb, SmallAndLargeStreamsRoundTripWithAnyCaseNames) {
    // Below 4096 bytes a stream lives in the mini stream; at 4096 and above in plain sectors.
    std::vector<std::pair<std::string, std::string>> streams = {{"Workbook", Pattern(4095, 1)},
                                                                {"Book", Pattern(4096, 2)},
                                                                {"Tiny", "x"},
                                                                {"Empty", ""},
                                                                {"Large", Pattern(300000, 3)}};
    CompoundFileReader reader(WriteCompoundFile(streams));
    EXPECT_EQ(reader.StreamNames().size(), streams.size());
    for (const auto& [name, data] : streams) {
        EXPECT_EQ(reader.StreamSize(name), data.size()) << name;
        EXPECT_EQ(reader.ReadStream(name), data) << name;
    }
    EXPECT_EQ(reader.ReadStream("WORKBOOK"), streams[0].second);
    EXPECT_TRUE(reader.HasStream("book"));
    EXPECT_FALSE(reader.HasStream("Sheet"));
    EXPECT_THROW(reader.ReadStream("Sheet"), CfbError);
}

TEST(Cfb, MoreThan109FatSectorsUseDifatSectors) {
    // 109 FAT sectors map about 7 MB; a larger stream needs the DIFAT chain.
    std::string big = Pattern(8 * 1024 * 1024, 4);
    std::string file = WriteCompoundFile({{"Workbook", big}});
    EXPECT_GT(Get32(file, 44), 109u);
    EXPECT_EQ(Get32(file, 72), 1u);
    EXPECT_EQ(CompoundFileReader(file).ReadStream("Workbook"), big);
}

TEST(Cfb, ReadsVersion4Files) {
    // Hand-made: 4096-byte sectors; sector 0 FAT, 1 directory, 2-3 a 5000-byte stream.
    const size_t s = 4096;
    std::string file(5 * s, '\0');
    std::string head = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    file.replace(0, 8, head);
    file[24] = 0x3E, file[26] = 4, file[28] = '\xFE', file[29] = '\xFF', file[30] = 12, file[32] = 6;
    Set32(file, 44, 1);
    Set32(file, 48, 1);
    Set32(file, 56, 4096);
    Set32(file, 60, 0xFFFFFFFE);
    Set32(file, 68, 0xFFFFFFFE);
    Set32(file, 76, 0);
    for (size_t i = 80; i < 512; i += 4)
        Set32(file, i, 0xFFFFFFFF);
    size_t fat = s;
    for (size_t i = 0; i < s / 4; ++i)
        Set32(file, fat + 4 * i, 0xFFFFFFFF);
    Set32(file, fat, 0xFFFFFFFD);
    Set32(file, fat + 4, 0xFFFFFFFE);
    Set32(file, fat + 8, 3);
    Set32(file, fat + 12, 0xFFFFFFFE);
    auto entry = [&](size_t index, const std::u16string& name, uint8_t type, uint32_t child, uint32_t start,
                     uint32_t size) {
        size_t e = 2 * s + 128 * index;
        for (size_t i = 0; i < name.size(); ++i)
            file[e + 2 * i] = static_cast<char>(name[i]);
        file[e + 64] = static_cast<char>(2 * (name.size() + 1));
        file[e + 66] = static_cast<char>(type);
        Set32(file, e + 68, 0xFFFFFFFF);
        Set32(file, e + 72, 0xFFFFFFFF);
        Set32(file, e + 76, child);
        Set32(file, e + 116, start);
        Set32(file, e + 120, size);
    };
    entry(0, u"Root Entry", 5, 1, 0xFFFFFFFE, 0);
    entry(1, u"Workbook", 2, 0xFFFFFFFF, 2, 5000);
    std::string data = Pattern(5000, 5);
    file.replace(3 * s, data.size(), data);
    EXPECT_EQ(CompoundFileReader(file).ReadStream("workbook"), data);
}

TEST(Cfb, CorruptFilesFailWithAnErrorNeverACrash) {
    std::string good = WriteCompoundFile({{"Workbook", Pattern(10000, 6)}, {"Small", Pattern(100, 7)}});
    EXPECT_THROW(CompoundFileReader("not a compound file at all, just text that is long enough"), CfbError);
    EXPECT_THROW(CompoundFileReader(good.substr(0, 600)), CfbError);

    // A FAT whose chain points back on itself.
    std::string cyclic = good;
    uint32_t fatSector = Get32(good, 76);
    Set32(cyclic, 512 + 512 * fatSector + 4 * 1, 0);
    EXPECT_THROW(CompoundFileReader(cyclic).ReadStream("Workbook"), CfbError);

    // A directory entry that is its own sibling.
    std::string looped = good;
    uint32_t dir = Get32(good, 48);
    Set32(looped, 512 + 512 * dir + 128 + 68, 1);
    EXPECT_THROW(CompoundFileReader{looped}, CfbError);

    // A chain longer than its stream is read as far as the stream needs.
    std::string shorter = good;
    for (size_t e = 0; e < 4; ++e)
        if (shorter[512 + 512 * dir + 128 * e] == 'W') Set32(shorter, 512 + 512 * dir + 128 * e + 120, 5000);
    EXPECT_EQ(CompoundFileReader(shorter).ReadStream("Workbook"), Pattern(10000, 6).substr(0, 5000));

    // An unused directory entry with a name length beyond the entry.
    std::string unused = good;
    Set32(unused, 512 + 512 * dir + 128 * 3 + 64, 0xFFFF);
    EXPECT_EQ(CompoundFileReader(unused).ReadStream("Small"), Pattern(100, 7));

    // A stream size far beyond the file.
    std::string huge = good;
    for (size_t e = 0; e < 4; ++e) {
        size_t at = 512 + 512 * dir + 128 * e;
        if (huge[at] == 'W') Set32(huge, at + 120, 0x7FFFFFFF);
    }
    EXPECT_THROW(CompoundFileReader(huge).ReadStream("Workbook"), CfbError);

    // Every truncation fails cleanly or still reads.
    for (size_t n = 0; n < good.size(); n += 97) {
        try {
            CompoundFileReader r(good.substr(0, n));
            for (const std::string& name : r.StreamNames())
                r.ReadStream(name);
        } catch (const CfbError&) {
        }
    }
}
