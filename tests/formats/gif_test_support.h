#pragma once

// Builds GIF pictures in memory for the codec's tests and reads them back.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/gif/gif_image.h"
#include "platform/stream.h"

namespace gif_test {

inline MemoryStream StreamOf(const std::string& bytes) {
    return MemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// Loads the bytes; returns the error text, or "" when they loaded.
inline std::string Load(GIFImage& image, const std::string& bytes) {
    MemoryStream stream = StreamOf(bytes);
    try {
        image.LoadFromStream(stream);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

inline std::string Save(GIFImage& image) {
    MemoryStream out;
    image.SaveToStream(out);
    return {out.Bytes().begin(), out.Bytes().end()};
}

inline std::string Word(int v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF)};
}

// Signature, screen descriptor and a global table of the given colours (none when empty).
inline std::string Header(int width, int height, const std::vector<uint32_t>& colors = {0x000000, 0xFFFFFF},
                          const std::string& version = "89a") {
    std::string out = "GIF" + version + Word(width) + Word(height);
    int bits = 0;
    while ((2 << bits) < int(colors.size()))
        ++bits;
    out += char(colors.empty() ? 0 : 0x80 | bits);
    out += std::string(2, '\0');
    for (size_t i = 0; !colors.empty() && i < size_t(2 << bits); ++i) {
        const uint32_t c = i < colors.size() ? colors[i] : 0;
        out += {char(c >> 16), char(c >> 8), char(c)};
    }
    return out;
}

inline std::string Descriptor(int left, int top, int width, int height, int packed = 0) {
    std::string out = ",";
    for (int value : {left, top, width, height})
        out += Word(value);
    return out + char(packed);
}

// Codes of the given sizes packed least significant bit first.
inline std::string PackCodes(const std::vector<std::pair<int, int>>& codes) {
    std::string out;
    uint32_t buffer = 0;
    int bits = 0;
    for (auto [code, size] : codes) {
        buffer |= uint32_t(code) << bits;
        bits += size;
        while (bits >= 8) {
            out += char(buffer & 0xFF);
            buffer >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) out += char(buffer & 0xFF);
    return out;
}

// The data as sub-blocks of at most blockSize bytes and the terminator.
inline std::string SubBlocksOf(const std::string& data, size_t blockSize = 255) {
    std::string out;
    for (size_t at = 0; at < data.size(); at += blockSize) {
        const std::string piece = data.substr(at, blockSize);
        out += char(piece.size()) + piece;
    }
    return out + '\0';
}

// Image data (minimum code size, sub-blocks) giving each pixel as a root code after an opening clear code,
// with the code size growing as a decoder's table fills. Without end, the end code is left out.
inline std::string RootCodes(const std::vector<int>& pixels, int minCodeSize = 2, bool end = true) {
    const int clear = 1 << minCodeSize;
    int size = minCodeSize + 1, next = clear + 2;
    std::vector<std::pair<int, int>> codes{{clear, size}};
    for (size_t i = 0; i < pixels.size(); ++i) {
        codes.push_back({pixels[i], size});
        if (i > 0 && ++next == (1 << size) && size < 12) ++size;
    }
    if (end) codes.push_back({clear + 1, size});
    return char(minCodeSize) + SubBlocksOf(PackCodes(codes));
}

// A graphic control extension; a negative index for none.
inline std::string Control(int disposal, int delay, int transparentIndex = -1) {
    return std::string("!\xF9\x04", 3) + char(disposal << 2 | (transparentIndex >= 0 ? 1 : 0)) + Word(delay) +
           char(std::max(transparentIndex, 0)) + '\0';
}

inline std::string LoopExtension(int loops) {
    return std::string("!\xFF\x0BNETSCAPE2.0\x03\x01", 16) + Word(loops) + '\0';
}

// A frame's pixel indexes through its own colour table, with 0 for the transparent ones.
inline std::vector<QRgb> FrameColors(const GIFSubImage& frame) {
    const auto table = frame.ColorTable32(true);
    std::vector<QRgb> colors;
    for (uint8_t index : frame.Data())
        colors.push_back(table[index]);
    return colors;
}

} // namespace gif_test
