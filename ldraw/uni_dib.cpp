#include "ldraw/uni_dib.h"

#include <QPainter>
#include <algorithm>

namespace {

int RoundedBitCount(int bitsPerPixel) {
    for (int count : {1, 4, 8, 16}) {
        if (bitsPerPixel <= count) return count;
    }
    return bitsPerPixel <= 24 ? 24 : 32;
}

void Put1(uint8_t* row, int x, uint32_t value) {
    uint8_t mask = static_cast<uint8_t>(0x80 >> (x % 8));
    row[x / 8] = value ? row[x / 8] | mask : row[x / 8] & ~mask;
}
uint32_t Get1(const uint8_t* row, int x) {
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

void Put4(uint8_t* row, int x, uint32_t value) {
    uint8_t& byte = row[x / 2];
    byte = x % 2 == 0 ? static_cast<uint8_t>((byte & 0x0F) | (value & 15) << 4)
                      : static_cast<uint8_t>((byte & 0xF0) | (value & 15));
}
uint32_t Get4(const uint8_t* row, int x) {
    return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15;
}

void Put8(uint8_t* row, int x, uint32_t value) {
    row[x] = static_cast<uint8_t>(value);
}
uint32_t Get8(const uint8_t* row, int x) {
    return row[x];
}

void PutWord(uint8_t* row, int x, uint32_t word) {
    row[2 * x] = static_cast<uint8_t>(word);
    row[2 * x + 1] = static_cast<uint8_t>(word >> 8);
}
uint32_t GetWord(const uint8_t* row, int x) {
    return row[2 * x] | static_cast<uint32_t>(row[2 * x + 1]) << 8;
}

// 5 bits per channel from the low bits of each value byte; packings 1-3 keep a sixth, lowest bit of red,
// green or blue in bit 15.
constexpr uint32_t Pack555(uint32_t v) {
    return (v >> 16 & 31) << 10 | (v >> 8 & 31) << 5 | (v & 31);
}
constexpr uint32_t Unpack555(uint32_t w) {
    return (w >> 10 & 31) << 16 | (w >> 5 & 31) << 8 | (w & 31);
}

void Put16p0(uint8_t* row, int x, uint32_t v) {
    PutWord(row, x, Pack555(v));
}
uint32_t Get16p0(const uint8_t* row, int x) {
    return Unpack555(GetWord(row, x));
}

void Put16p1(uint8_t* row, int x, uint32_t v) {
    PutWord(row, x, Pack555((v & 0x00FFFF) | (v >> 17 & 31) << 16) | (v >> 16 & 1) << 15);
}
uint32_t Get16p1(const uint8_t* row, int x) {
    uint32_t w = GetWord(row, x);
    return (Unpack555(w) & 0x00FFFF) | (w >> 10 & 31) << 17 | (w >> 15 & 1) << 16;
}

void Put16p2(uint8_t* row, int x, uint32_t v) {
    PutWord(row, x, Pack555((v & 0xFF00FF) | (v >> 9 & 31) << 8) | (v >> 8 & 1) << 15);
}
uint32_t Get16p2(const uint8_t* row, int x) {
    uint32_t w = GetWord(row, x);
    return (Unpack555(w) & 0xFF00FF) | (w >> 5 & 31) << 9 | (w >> 15 & 1) << 8;
}

void Put16p3(uint8_t* row, int x, uint32_t v) {
    PutWord(row, x, Pack555((v & 0xFFFF00) | (v >> 1 & 31)) | (v & 1) << 15);
}
uint32_t Get16p3(const uint8_t* row, int x) {
    uint32_t w = GetWord(row, x);
    return (Unpack555(w) & 0xFFFF00) | (w & 31) << 1 | (w >> 15 & 1);
}

void Put24(uint8_t* row, int x, uint32_t v) {
    row[3 * x] = static_cast<uint8_t>(v);
    row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
    row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
}
uint32_t Get24(const uint8_t* row, int x) {
    return row[3 * x] | static_cast<uint32_t>(row[3 * x + 1]) << 8 |
           static_cast<uint32_t>(row[3 * x + 2]) << 16;
}

void Put32(uint8_t* row, int x, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        row[4 * x + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t Get32(const uint8_t* row, int x) {
    return row[4 * x] | static_cast<uint32_t>(row[4 * x + 1]) << 8 |
           static_cast<uint32_t>(row[4 * x + 2]) << 16 | static_cast<uint32_t>(row[4 * x + 3]) << 24;
}

// A channel of `bits` bits widened to 8 bits.
uint32_t Widen(uint32_t channel, int bits) {
    return channel * 255 / ((1u << bits) - 1);
}

} // namespace

UniDIB::UniDIB(int width, int height, int bitsPerPixel, int packing16)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), bitCount_(RoundedBitCount(bitsPerPixel)),
      packing16_(std::clamp(packing16, 0, 3)),
      rowLength_(static_cast<int>((static_cast<int64_t>(bitCount_) * width_ + 31) / 32 * 4)) {
    bits_ = std::make_unique<uint8_t[]>(ImageSize());
    static constexpr Put puts16[] = {Put16p0, Put16p1, Put16p2, Put16p3};
    static constexpr Get gets16[] = {Get16p0, Get16p1, Get16p2, Get16p3};
    switch (bitCount_) {
    case 1:
        put_ = Put1, get_ = Get1;
        break;
    case 4:
        put_ = Put4, get_ = Get4;
        break;
    case 8:
        put_ = Put8, get_ = Get8;
        break;
    case 16:
        put_ = puts16[packing16_], get_ = gets16[packing16_];
        break;
    case 24:
        put_ = Put24, get_ = Get24;
        break;
    default:
        put_ = Put32, get_ = Get32;
        break;
    }
}

void UniDIB::PutPixel(int x, int y, uint32_t value) {
    if (Inside(x, y)) put_(Row(y), x, value);
}

uint32_t UniDIB::GetPixel(int x, int y) const {
    return Inside(x, y) ? get_(Row(y), x) : 0;
}

void UniDIB::MoveTo(int x, int y) {
    cursorX_ = x;
    cursorY_ = y;
}

void UniDIB::PutNext(uint32_t value) {
    PutPixel(cursorX_++, cursorY_, value);
}

uint32_t UniDIB::GetNext() {
    return GetPixel(cursorX_++, cursorY_);
}

uint32_t UniDIB::Rgb(uint32_t value) const {
    if (Palettised()) return colourTable_[value & 255];
    if (bitCount_ != 16) return value & 0xFFFFFF;
    int redBits = packing16_ == 1 ? 6 : 5, greenBits = packing16_ == 2 ? 6 : 5,
        blueBits = packing16_ == 3 ? 6 : 5;
    return Widen(value >> 16 & 63, redBits) << 16 | Widen(value >> 8 & 63, greenBits) << 8 |
           Widen(value & 63, blueBits);
}

QImage UniDIB::ToImage() const {
    if (bitCount_ == 24) {
        // Memory rows are already blue, green, red: only the row order turns over.
        QImage view(Bits(), width_, height_, rowLength_, QImage::Format_BGR888);
        return view.mirrored(false, true);
    }
    QImage image(width_, height_, QImage::Format_RGB32);
    for (int y = 0; y < height_; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(height_ - 1 - y));
        for (int x = 0; x < width_; ++x)
            out[x] = 0xFF000000 | Rgb(get_(Row(y), x));
    }
    return image;
}

void UniDIB::Draw(QImage& canvas) const {
    if (bitCount_ == 24 && canvas.format() == QImage::Format_RGB32) {
        // The case of every render, converted straight into the canvas without an intermediate picture.
        const int rows = std::min(height_, canvas.height()), columns = std::min(width_, canvas.width());
        for (int y = 0; y < rows; ++y) {
            auto* out = reinterpret_cast<QRgb*>(canvas.scanLine(y));
            const uint8_t* in = Row(height_ - 1 - y);
            for (int x = 0; x < columns; ++x, in += 3)
                out[x] = qRgb(in[2], in[1], in[0]);
        }
        return;
    }
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, ToImage());
}
