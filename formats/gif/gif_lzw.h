#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class GIFOutput;
class GIFReader;

// Reads a frame's image data (the minimum code size and the data sub-blocks up to their terminator) and
// decodes width x height pixel indexes into pixels, rows top to bottom. Data that ends before the last
// pixel, or a code the table does not hold yet, fails the load; codes after the last pixel are ignored.
void DecodeImageData(GIFReader& reader, int width, int height, bool interlaced, std::vector<uint8_t>& pixels);

// The order in which the rows of an image are stored: top to bottom, or in the four interlace passes.
std::vector<int> StoredRowOrder(int height, bool interlaced);

// What an encoder writes: one byte per pixel, each below colorCount.
struct GIFPixels {
    const uint8_t* Data = nullptr;
    int Width = 0;
    int Height = 0;
    bool Interlaced = false;
    int ColorCount = 0;
    // Bits of the colour table; the minimum code size is at least 2.
    int Bits = 0;
};

// Writes a frame's image data: the minimum code size, the codes in data sub-blocks and the terminator.
class GIFEncoder {
  public:
    virtual ~GIFEncoder() = default;
    void Encode(GIFOutput& out, const GIFPixels& pixels);

  protected:
    // Packs a code of the current size, least significant bit first.
    void Output(int code);
    virtual void Compress() = 0;
    // The next pixel in stored order, or -1 after the last; "Color not in color table" past the table.
    int NextPixel() {
        if (column_ == width_) {
            if (++rowIndex_ >= rows_.size()) return -1;
            row_ = data_ + static_cast<size_t>(rows_[rowIndex_]) * static_cast<size_t>(width_);
            column_ = 0;
        }
        const int pixel = row_[column_++];
        if (pixel >= colorCount_) BadPixel();
        return pixel;
    }

    int initBits_ = 0; // minimum code size + 1
    int codeSize_ = 0;
    int clearCode_ = 0;
    int endCode_ = 0;
    int firstFree_ = 0;

  private:
    [[noreturn]] static void BadPixel();
    void PutByte(uint8_t byte);
    void FlushBlock();

    GIFOutput* out_ = nullptr;
    const uint8_t* data_ = nullptr;
    int width_ = 0;
    int colorCount_ = 0;
    std::vector<int> rows_;
    size_t rowIndex_ = 0;
    const uint8_t* row_ = nullptr;
    int column_ = 0;
    uint32_t bitBuffer_ = 0;
    int bitCount_ = 0;
    std::array<uint8_t, 256> block_{};
    int blockFill_ = 0;
};

// Open-addressing table from (prefix code, pixel) to a string code.
class HashTable {
  public:
    static constexpr int kSize = 8009;
    HashTable() { Clear(); }
    void Clear() { table_.fill(kEmpty); }
    void Insert(uint32_t key, int code);
    // The code stored for key, or -1.
    int Lookup(uint32_t key) const;

  private:
    static constexpr uint32_t kEmpty = 0xFFFFFFFF;
    static int Slot(uint32_t key) { return static_cast<int>(((key >> 4) ^ key) % kSize); }
    static int Probe(int slot) {
        const int step = slot == 0 ? 1 : kSize - slot;
        const int next = slot - step;
        return next < 0 ? next + kSize : next;
    }
    std::array<uint32_t, kSize> table_{};
};

// Classic string-table coding.
class LZWEncoder : public GIFEncoder {
  protected:
    void Compress() override;

  private:
    void Clear();
    // Outputs and then widens the code size as the decoder's table will.
    void OutputCode(int code);

    HashTable hash_;
    int nextFree_ = 0;
    int maxCode_ = 0;
    bool clearSent_ = false;
};

// Run-length coding that builds no string table of its own; every code it writes refers only to strings
// of one repeated pixel that a standard decoder's table holds at that moment.
class RLEEncoder : public GIFEncoder {
  protected:
    void Compress() override;

  private:
    void Clear();
    void OutputPlain(int value);
    void Flush(int count);
    void FlushFromClear(int count);
    void FlushClearOrRepeat(int count);
    void FlushWithTable(int count);
    void ResetClearLimit();
    int TriangleCount(int count) const;

    int maxCodes_ = 0;  // codes the decoder can add before its table is full
    int bumpStart_ = 0; // output count at which the code size first grows
    int clearStart_ = 0;
    int outCount_ = 0;
    int bumpLimit_ = 0;
    int clearLimit_ = 0;
    bool clearSent_ = false;
    int runPixel_ = -1;
    int runCount_ = 0;
    int tablePixel_ = -1;
    int tableLength_ = 0; // the longest run of tablePixel_ the decoder's table can reproduce
};

// Integer square root by Newton iteration.
int IntegerSqrt(int value);
