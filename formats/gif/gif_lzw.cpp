#include "formats/gif/gif_lzw.h"

#include <algorithm>
#include <cstring>

#include "formats/gif/gif_error.h"
#include "formats/gif/gif_io.h"

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeSize = 12;

// Decodes codes into out. Every table string is a run of bytes already in the output: the string a new
// entry names is the previous string plus the byte after it, so entries keep only a start and a length.
class Decoder {
  public:
    Decoder(const std::vector<uint8_t>& data, int minCodeSize, size_t total)
        : data_(data), minCodeSize_(minCodeSize), clear_(1 << minCodeSize), total_(total) {}

    // Decodes every pixel into out, or raises what went wrong.
    void Run(std::vector<uint8_t>& out);

  private:
    // The next code, or -1 when the data has ended.
    int ReadCode() {
        if (bitCount_ < codeSize_) {
            while (bitCount_ <= 56 && at_ < data_.size()) {
                bits_ |= static_cast<uint64_t>(data_[at_++]) << bitCount_;
                bitCount_ += 8;
            }
            if (bitCount_ < codeSize_) return -1;
        }
        const int code = static_cast<int>(bits_ & ((1u << codeSize_) - 1));
        bits_ >>= codeSize_;
        bitCount_ -= codeSize_;
        return code;
    }
    void Reset() {
        codeSize_ = minCodeSize_ + 1;
        limit_ = 1 << codeSize_;
        next_ = clear_ + 2;
        prevLength_ = 0;
    }
    // Room for count more pixels, growing the output as data arrives rather than all at once.
    uint8_t* Reserve(std::vector<uint8_t>& out, size_t count) {
        if (pos_ + count > out.size()) out.resize(std::min(total_, std::max(pos_ + count, out.size() * 2)));
        return out.data();
    }

    const std::vector<uint8_t>& data_;
    const int minCodeSize_;
    const int clear_;
    const size_t total_;
    size_t at_ = 0;
    uint64_t bits_ = 0;
    int bitCount_ = 0;
    int codeSize_ = 0;
    int limit_ = 0;
    int next_ = 0;
    size_t pos_ = 0;
    size_t prevStart_ = 0;
    int prevLength_ = 0; // 0 right after a clear
    std::array<uint32_t, kMaxCodes> start_{};
    std::array<uint16_t, kMaxCodes> length_{};
};

void Decoder::Run(std::vector<uint8_t>& out) {
    const int end = clear_ + 1;
    out.resize(std::min(total_, std::max<size_t>(65536, data_.size() * 4)));
    Reset();
    while (pos_ < total_) {
        const int code = ReadCode();
        if (code < 0 || code == end) RaiseGIF(gif_messages::kPrematureEnd);
        if (code == clear_) {
            Reset();
            continue;
        }
        // A string longer than the pixels left is cut at the last pixel.
        size_t length;
        if (code < clear_) {
            length = 1;
            Reserve(out, 1)[pos_] = static_cast<uint8_t>(code);
        } else if (prevLength_ == 0 || code > next_) {
            RaiseGIF(gif_messages::kImageDefect);
        } else if (code < next_) {
            length = std::min<size_t>(length_[static_cast<size_t>(code)], total_ - pos_);
            uint8_t* p = Reserve(out, length);
            std::memcpy(p + pos_, p + start_[static_cast<size_t>(code)], length);
        } else {
            // The entry being defined: the previous string and its own first byte.
            length = std::min<size_t>(static_cast<size_t>(prevLength_) + 1, total_ - pos_);
            uint8_t* p = Reserve(out, length);
            for (size_t i = 0; i < length; ++i)
                p[pos_ + i] = p[prevStart_ + i];
        }
        if (prevLength_ > 0 && next_ < kMaxCodes) {
            start_[static_cast<size_t>(next_)] = static_cast<uint32_t>(prevStart_);
            length_[static_cast<size_t>(next_)] = static_cast<uint16_t>(prevLength_ + 1);
            if (++next_ == limit_ && codeSize_ < kMaxCodeSize) {
                limit_ <<= 1;
                ++codeSize_;
            }
        }
        prevStart_ = pos_;
        prevLength_ = static_cast<int>(length);
        pos_ += length;
    }
}

} // namespace

std::vector<int> StoredRowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(std::max(height, 0)));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    constexpr int kStart[4] = {0, 4, 2, 1};
    constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < height; y += kStep[pass])
            rows.push_back(y);
    return rows;
}

void DecodeImageData(GIFReader& reader, int width, int height, bool interlaced, std::vector<uint8_t>& pixels) {
    const int minCodeSize = reader.ReadByte();
    if (minCodeSize < 0) RaiseGIF(gif_messages::kPrematureEnd);
    // The code table holds 4096 entries: the roots, clear and end codes must leave room in it.
    if (minCodeSize < 1 || minCodeSize > 11) RaiseGIF(gif_messages::kInvalidData);
    std::vector<uint8_t> data;
    reader.ReadSubBlocks(data);
    const size_t total = static_cast<size_t>(width) * static_cast<size_t>(height);
    pixels.clear();
    if (total == 0) return;
    Decoder decoder(data, minCodeSize, total);
    if (!interlaced) {
        decoder.Run(pixels);
        return;
    }
    std::vector<uint8_t> stored;
    decoder.Run(stored);
    pixels.resize(total);
    const std::vector<int> rows = StoredRowOrder(height, true);
    const size_t w = static_cast<size_t>(width);
    for (size_t i = 0; i < rows.size(); ++i)
        std::memcpy(pixels.data() + static_cast<size_t>(rows[i]) * w, stored.data() + i * w, w);
}

void GIFEncoder::Encode(GIFOutput& out, const GIFPixels& pixels) {
    out_ = &out;
    const int minCodeSize = std::max(pixels.Bits, 2);
    out.Byte(minCodeSize);
    initBits_ = minCodeSize + 1;
    codeSize_ = initBits_;
    clearCode_ = 1 << minCodeSize;
    endCode_ = clearCode_ + 1;
    firstFree_ = clearCode_ + 2;
    bitBuffer_ = 0;
    bitCount_ = 0;
    blockFill_ = 0;
    if (pixels.Data && pixels.Width > 0 && pixels.Height > 0) {
        data_ = pixels.Data;
        width_ = pixels.Width;
        colorCount_ = pixels.ColorCount;
        rows_ = StoredRowOrder(pixels.Height, pixels.Interlaced);
        rowIndex_ = 0;
        row_ = data_;
        column_ = 0;
        Compress();
    }
    Output(endCode_);
    if (bitCount_ > 0) PutByte(static_cast<uint8_t>(bitBuffer_));
    FlushBlock();
    out.Byte(0);
}

void GIFEncoder::BadPixel() {
    RaiseGIF(gif_messages::kColorNotInTable);
}

void GIFEncoder::Output(int code) {
    bitBuffer_ |= static_cast<uint32_t>(code) << bitCount_;
    bitCount_ += codeSize_;
    while (bitCount_ >= 8) {
        PutByte(static_cast<uint8_t>(bitBuffer_));
        bitBuffer_ >>= 8;
        bitCount_ -= 8;
    }
}

void GIFEncoder::PutByte(uint8_t byte) {
    block_[static_cast<size_t>(++blockFill_)] = byte;
    if (blockFill_ == 255) FlushBlock();
}

void GIFEncoder::FlushBlock() {
    if (blockFill_ == 0) return;
    block_[0] = static_cast<uint8_t>(blockFill_);
    out_->Bytes(block_.data(), static_cast<size_t>(blockFill_) + 1);
    blockFill_ = 0;
}

void HashTable::Insert(uint32_t key, int code) {
    int slot = Slot(key);
    while (table_[static_cast<size_t>(slot)] != kEmpty)
        slot = Probe(slot);
    table_[static_cast<size_t>(slot)] = key << 12 | static_cast<uint32_t>(code);
}

int HashTable::Lookup(uint32_t key) const {
    for (int slot = Slot(key);; slot = Probe(slot)) {
        const uint32_t entry = table_[static_cast<size_t>(slot)];
        if (entry == kEmpty) return -1;
        if (entry >> 12 == key) return static_cast<int>(entry & 0xFFF);
    }
}

void LZWEncoder::Clear() {
    clearSent_ = true;
    OutputCode(clearCode_);
    hash_.Clear();
    nextFree_ = firstFree_;
}

void LZWEncoder::OutputCode(int code) {
    Output(code);
    if (clearSent_) {
        codeSize_ = initBits_;
        maxCode_ = (1 << codeSize_) - 1;
        clearSent_ = false;
    } else if (nextFree_ > maxCode_) {
        ++codeSize_;
        maxCode_ = codeSize_ == kMaxCodeSize ? kMaxCodes : (1 << codeSize_) - 1;
    }
}

void LZWEncoder::Compress() {
    maxCode_ = (1 << codeSize_) - 1;
    Clear();
    int prefix = NextPixel();
    for (int pixel; (pixel = NextPixel()) >= 0;) {
        const uint32_t key = static_cast<uint32_t>(prefix) << 8 | static_cast<uint32_t>(pixel);
        const int code = hash_.Lookup(key);
        if (code >= 0) {
            prefix = code;
            continue;
        }
        OutputCode(prefix);
        prefix = pixel;
        if (nextFree_ >= kMaxCodes - 1) {
            Clear();
        } else {
            hash_.Insert(key, nextFree_++);
        }
    }
    OutputCode(prefix);
}

int IntegerSqrt(int value) {
    if (value <= 1) return value;
    // Start at a power of 2 above the root.
    int estimate = 1;
    while (estimate * estimate <= value && estimate < 46341)
        estimate <<= 1;
    for (;;) {
        const int next = (estimate + value / estimate) / 2;
        if (next == estimate || next == estimate + 1 || next + 1 == estimate) return std::min(next, estimate);
        estimate = next;
    }
}

void RLEEncoder::Clear() {
    bumpLimit_ = bumpStart_;
    clearLimit_ = clearStart_;
    outCount_ = 0;
    tableLength_ = 0;
    Output(clearCode_);
    clearSent_ = true;
    codeSize_ = initBits_;
}

void RLEEncoder::OutputPlain(int value) {
    clearSent_ = false;
    Output(value);
    if (++outCount_ >= bumpLimit_) {
        ++codeSize_;
        bumpLimit_ += 1 << (codeSize_ - 1);
    }
    if (outCount_ >= clearLimit_) Clear();
}

int RLEEncoder::TriangleCount(int count) const {
    const int perTriangle = maxCodes_ * (maxCodes_ + 1) / 2;
    int cost = 0;
    while (count >= perTriangle) {
        cost += maxCodes_;
        count -= perTriangle;
    }
    if (count > 0) {
        int n = IntegerSqrt(count);
        while (n * (n + 1) >= 2 * count)
            --n;
        while (n * (n + 1) < 2 * count)
            ++n;
        cost += n;
    }
    return cost;
}

void RLEEncoder::ResetClearLimit() {
    clearLimit_ = clearStart_;
    if (outCount_ >= clearLimit_) Clear();
}

void RLEEncoder::FlushFromClear(int count) {
    clearLimit_ = maxCodes_;
    tablePixel_ = runPixel_;
    for (int n = 1; count > 0;) {
        if (n == 1) {
            tableLength_ = 1;
            OutputPlain(runPixel_);
            --count;
        } else if (count >= n) {
            tableLength_ = n;
            OutputPlain(firstFree_ + n - 2);
            count -= n;
        } else if (count == 1) {
            ++tableLength_;
            OutputPlain(runPixel_);
            count = 0;
        } else {
            ++tableLength_;
            OutputPlain(firstFree_ + count - 2);
            count = 0;
        }
        n = outCount_ == 0 ? 1 : n + 1;
    }
    ResetClearLimit();
}

void RLEEncoder::FlushClearOrRepeat(int count) {
    if (1 + TriangleCount(count) < count) {
        Clear();
        FlushFromClear(count);
        return;
    }
    for (; count > 0; --count)
        OutputPlain(runPixel_);
}

void RLEEncoder::FlushWithTable(int count) {
    int repeats = count / tableLength_;
    int leftover = count % tableLength_;
    int extra = leftover ? 1 : 0;
    if (outCount_ + repeats + extra > maxCodes_) {
        repeats = maxCodes_ - outCount_;
        leftover = count - repeats * tableLength_;
        extra = 1 + TriangleCount(leftover);
    }
    if (1 + TriangleCount(count) < repeats + extra) {
        Clear();
        FlushFromClear(count);
        return;
    }
    clearLimit_ = maxCodes_;
    for (; repeats > 0; --repeats)
        OutputPlain(firstFree_ + tableLength_ - 2);
    if (leftover) {
        if (clearSent_)
            FlushFromClear(leftover);
        else if (leftover == 1)
            OutputPlain(runPixel_);
        else
            OutputPlain(firstFree_ + leftover - 2);
    }
    ResetClearLimit();
}

void RLEEncoder::Flush(int count) {
    if (count == 1) {
        OutputPlain(runPixel_);
    } else if (clearSent_) {
        FlushFromClear(count);
    } else if (tableLength_ < 2 || tablePixel_ != runPixel_) {
        FlushClearOrRepeat(count);
    } else {
        FlushWithTable(count);
    }
}

void RLEEncoder::Compress() {
    maxCodes_ = kMaxCodes - 1 - firstFree_;
    bumpStart_ = clearCode_ - 1;
    clearStart_ = initBits_ - 1 > 3 ? clearCode_ - 2 : 9;
    runPixel_ = -1;
    runCount_ = 0;
    tablePixel_ = -1;
    Clear();
    for (int pixel; (pixel = NextPixel()) >= 0;) {
        if (runCount_ > 0 && pixel != runPixel_) {
            Flush(runCount_);
            runCount_ = 0;
        }
        if (pixel == runPixel_) {
            ++runCount_;
        } else {
            runPixel_ = pixel;
            runCount_ = 1;
        }
    }
    if (runCount_ > 0) Flush(runCount_);
}
