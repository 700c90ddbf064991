#pragma once

// Builds and takes apart PNG files byte by byte for the codec's tests, with zlib as the independent
// reference for checksums and compression.

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace png_test {

inline const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

inline std::string BE32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

inline uint32_t GetBE32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
           uint32_t(uint8_t(s[at + 2])) << 8 | uint32_t(uint8_t(s[at + 3]));
}

inline std::string MakeChunk(const std::string& type, const std::string& data) {
    std::string body = type + data;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return BE32(static_cast<uint32_t>(data.size())) + body + BE32(static_cast<uint32_t>(crc));
}

inline std::string Header(uint32_t width, uint32_t height, int depth, int colorType, int interlace = 0) {
    return MakeChunk("IHDR", BE32(width) + BE32(height) + char(depth) + char(colorType) + '\0' + '\0' +
                                 char(interlace));
}

inline std::string Deflate(const std::string& raw) {
    uLongf size = compressBound(raw.size());
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             raw.size());
    out.resize(size);
    return out;
}

inline std::string Inflate(const std::string& data, size_t expected) {
    std::string out(expected, '\0');
    uLongf size = expected;
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                   data.size()) != Z_OK)
        return "<not a zlib stream>";
    out.resize(size);
    return out;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct FileChunk {
    std::string type, data;
};

// The chunks of a well-formed file, in order.
inline std::vector<FileChunk> Chunks(const std::string& file) {
    std::vector<FileChunk> chunks;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = GetBE32(file, at);
        chunks.push_back({file.substr(at + 4, 4), file.substr(at + 8, length)});
        at += 12 + length;
    }
    return chunks;
}

} // namespace png_test
