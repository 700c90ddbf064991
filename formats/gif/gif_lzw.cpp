#include "formats/gif/gif_lzw.h"

#include <algorithm>
#include <cstring>

#include "formats/gif/gif_error.h"
#include "formats/gif/gif_io.h"

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeSize = 12;

// Copies count (at least 1) bytes eight at a time; from + count must not pass to, and up to 7 bytes past
// to + count may be overwritten.
inline void CopyString(uint8_t* to, const uint8_t* from, size_t count) {
    size_t i = 0;
    do {
        uint64_t chunk;
        std::memcpy(&chunk, from + i, 8);
        std::memcpy(to + i, &chunk, 8);
        i += 8;
    } while (i < count);
}

// One data sub-block where it stands in the reader's buffer, and how much of it is read.
struct Block {
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    size_t At = 0;
    bool Ended = false; // the terminator was read
};

Block NextBlock(GIFReader& reader) {
    const std::span<const uint8_t> data = reader.NextSubBlock();
    return {data.data(), data.size(), 0, data.empty()};
}

// Where a table string stands in the output.
struct Entry {
    uint32_t Start;
    uint32_t Length;
};

// Makes room for pixels with the roots behind them, and points the root entries there. Between the two, a
// tail holds what the longest string can write past the room (it is no longer than the pixels decoded
// so far and the table) and a copy of eight bytes beyond that.
uint8_t* Grow(std::vector<uint8_t>& out, std::array<Entry, kMaxCodes>& table, size_t pixels, int clear) {
    const size_t roots = pixels + std::min<size_t>(pixels, kMaxCodes) + 8;
    out.resize(roots + static_cast<size_t>(clear) + 8);
    for (int i = 0; i < clear; ++i) {
        out[roots + static_cast<size_t>(i)] = static_cast<uint8_t>(i);
        table[static_cast<size_t>(i)] = {static_cast<uint32_t>(roots) + static_cast<uint32_t>(i), 1};
    }
    return out.data();
}

// Decodes total pixels into out. Every table string is a run of bytes already in the output: the string a
// new entry names is the previous string plus the byte after it, so an entry keeps only a start and a
// length. The roots stand as one byte each behind the pixels while the output is filled, and a string may
// run past the room it started in (never past the tail), so that the room is checked once a code. The
// state lives in locals whose address is never taken: the byte stores into the output could otherwise
// alias it.
void Decode(GIFReader& gif, size_t expected, int minCodeSize, size_t total, std::vector<uint8_t>& out) {
    const int clear = 1 << minCodeSize, end = clear + 1;
    std::array<Entry, kMaxCodes> table;
    // The room grows as data arrives rather than at once: damaged files claim sizes their data never fills.
    size_t room = std::min(total, std::max<size_t>(65536, expected));
    uint8_t* p = Grow(out, table, room, clear);

    // Codes least significant bit first, eight bytes at a time where a sub-block has eight left.
    Block block = NextBlock(gif);
    uint64_t bits = 0;
    int count = 0;
    const auto read = [&](int size) {
        if (block.At + 8 <= block.Size) {
            // Topping up every time costs less than deciding when to; bits past the count are the right
            // ones already, so loading them again changes nothing.
            uint64_t word;
            std::memcpy(&word, block.Data + block.At, 8);
            bits |= word << count;
            block.At += static_cast<size_t>(63 - count) >> 3;
            count |= 56;
        } else if (count < size) {
            while (count <= 56 && !block.Ended) {
                if (block.At == block.Size) {
                    block = NextBlock(gif);
                    continue;
                }
                bits |= static_cast<uint64_t>(block.Data[block.At++]) << count;
                count += 8;
            }
            if (count < size) return -1;
        }
        const int code = static_cast<int>(bits & ((1u << size) - 1));
        bits >>= size;
        count -= size;
        return code;
    };

    // The decoder starts as after a clear code.
    int codeSize = minCodeSize + 1, next = clear + 2;
    size_t pos = 0, prevStart = 0, prevLength = 0; // prevLength 0: the table is empty
    for (;;) {
        if (pos >= room) {
            if (pos >= total) break;
            room = std::min(total, 2 * room);
            p = Grow(out, table, room, clear);
        }
        const int code = read(codeSize);
        size_t length;
        // Roots and table entries alike (the end of the data reads as -1).
        if (static_cast<unsigned>(code) < static_cast<unsigned>(next) &&
            static_cast<unsigned>(code - clear) > 1) {
            length = table[static_cast<size_t>(code)].Length;
            CopyString(p + pos, p + table[static_cast<size_t>(code)].Start, length);
        } else if (code == next && prevLength > 0) {
            // The entry being defined: the previous string and its own first byte.
            length = prevLength + 1;
            CopyString(p + pos, p + prevStart, prevLength);
            p[pos + prevLength] = p[prevStart];
        } else if (code == clear) {
            codeSize = minCodeSize + 1;
            next = clear + 2;
            prevLength = 0;
            continue;
        } else if (code < 0 || code == end) {
            RaiseGIF(gif_messages::kPrematureEnd);
        } else {
            RaiseGIF(gif_messages::kImageDefect);
        }
        if (prevLength > 0 && next < kMaxCodes) {
            table[static_cast<size_t>(next)] = {static_cast<uint32_t>(prevStart),
                                                static_cast<uint32_t>(prevLength + 1)};
            // The code size grows when the next code no longer fits it.
            if (++next >> codeSize && codeSize < kMaxCodeSize) ++codeSize;
        }
        prevStart = pos;
        prevLength = length;
        pos += length;
    }
    // The last string may have run past the last pixel.
    out.resize(total);
    if (!block.Ended) gif.SkipSubBlocks();
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

void DecodeImageData(GIFReader& reader, int width, int height, bool interlaced,
                     std::vector<uint8_t>& pixels) {
    const int minCodeSize = reader.ReadByte();
    if (minCodeSize < 0) RaiseGIF(gif_messages::kPrematureEnd);
    // The code table holds 4096 entries: the roots, clear and end codes must leave room in it.
    if (minCodeSize < 1 || minCodeSize > 11) RaiseGIF(gif_messages::kInvalidData);
    const size_t total = static_cast<size_t>(width) * static_cast<size_t>(height);
    // What the rest of the stream could hold at a few pixels a byte, to start the output at.
    const size_t expected =
        static_cast<size_t>(std::max<int64_t>(0, reader.StreamSize() - reader.Position())) * 4;
    if (!interlaced) {
        Decode(reader, expected, minCodeSize, total, pixels);
        return;
    }
    std::vector<uint8_t> stored;
    Decode(reader, expected, minCodeSize, total, stored);
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
