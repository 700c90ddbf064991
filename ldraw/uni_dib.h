#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <memory>

// A bottom-up device-independent bitmap (memory row 0 is the bottom row of the picture) with direct access
// to its pixel memory and per-depth accessors bound once at creation. Pixel values at 24 and 32 bits are
// 0x00RRGGBB, stored blue, green, red.
class UniDIB {
  public:
    // bitsPerPixel is rounded up to 1, 4, 8, 16, 24 or 32; packing16 (0..3) picks the 16-bit layout.
    // Width and height below 1 are raised to 1. Throws std::bad_alloc when the memory cannot be had.
    UniDIB(int width, int height, int bitsPerPixel, int packing16 = 0);
    UniDIB(const UniDIB&) = delete;
    UniDIB& operator=(const UniDIB&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitCount() const { return bitCount_; }
    int RowLength() const { return rowLength_; }
    size_t ImageSize() const { return static_cast<size_t>(rowLength_) * static_cast<size_t>(height_); }
    bool Palettised() const { return bitCount_ <= 8; }
    int ColourCount() const { return Palettised() ? 1 << bitCount_ : 0; }
    uint8_t* Bits() { return bits_.get(); }
    const uint8_t* Bits() const { return bits_.get(); }
    uint8_t* Row(int memoryRow) {
        return bits_.get() + static_cast<size_t>(memoryRow) * static_cast<size_t>(rowLength_);
    }
    const uint8_t* Row(int memoryRow) const {
        return bits_.get() + static_cast<size_t>(memoryRow) * static_cast<size_t>(rowLength_);
    }
    // Colours of palette indices as 0x00RRGGBB; all zero until someone fills them.
    std::array<uint32_t, 256>& ColourTable() { return colourTable_; }

    // Random access by memory row; pixels outside the bitmap are ignored (read as 0).
    void PutPixel(int x, int y, uint32_t value);
    uint32_t GetPixel(int x, int y) const;
    // Sequential access along one memory row from the cursor set by MoveTo.
    void MoveTo(int x, int y);
    void PutNext(uint32_t value);
    uint32_t GetNext();

    // Copies the whole bitmap, top row first, onto canvas at (0, 0).
    void Draw(QImage& canvas) const;

  private:
    using Put = void (*)(uint8_t* row, int x, uint32_t value);
    using Get = uint32_t (*)(const uint8_t* row, int x);

    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    uint32_t Rgb(uint32_t value) const;
    QImage ToImage() const;

    int width_;
    int height_;
    int bitCount_;
    int packing16_;
    int rowLength_;
    std::unique_ptr<uint8_t[]> bits_;
    std::array<uint32_t, 256> colourTable_{};
    Put put_;
    Get get_;
    int cursorX_ = 0;
    int cursorY_ = -1;
};
