#include "formats/kit_compress.h"

#include <algorithm>
#include <array>

#include "platform/stream.h"

namespace {

constexpr uint8_t kStored = 0x80;
constexpr uint8_t kCoded = 0x40;
constexpr size_t kItemsPerGroup = 16;
constexpr size_t kMaxDistance = 4095;
constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 18;
constexpr size_t kMinRun = 16;
constexpr size_t kMaxRun = 4095;
constexpr uint16_t kEmpty = 0xFFFF;
// The largest item (a run) and a fresh control word: how far one step can carry the output past the input
// size before the coder notices and stores the block instead.
constexpr size_t kOverrun = 2 + 4;

[[noreturn]] void Corrupt() {
    throw EStreamError("Compressed data is corrupt");
}

size_t HashAt(std::span<const uint8_t> in, size_t i) {
    const uint32_t key = ((((uint32_t(in[i]) << 4) ^ in[i + 1]) << 4) ^ in[i + 2]);
    return ((key * 40543u) >> 4) & 0xFFF;
}

// Output with the control word of the current group of up to 16 items.
class GroupWriter {
  public:
    explicit GroupWriter(size_t capacity) : out_(capacity) {
        out_[0] = kCoded;
        controlAt_ = 1;
        size_ = 3;
    }
    size_t Size() const { return size_; }
    void Item(bool code, std::initializer_list<uint8_t> bytes) {
        if (items_ == kItemsPerGroup) {
            Store();
            controlAt_ = size_;
            size_ += 2;
            items_ = 0;
            control_ = 0;
        }
        control_ = static_cast<uint16_t>((control_ << 1) | (code ? 1 : 0));
        ++items_;
        for (uint8_t b : bytes)
            out_[size_++] = b;
    }
    std::vector<uint8_t> Finish() {
        control_ = static_cast<uint16_t>(control_ << (kItemsPerGroup - items_));
        Store();
        out_.resize(size_);
        return std::move(out_);
    }

  private:
    void Store() {
        out_[controlAt_] = static_cast<uint8_t>(control_ >> 8);
        out_[controlAt_ + 1] = static_cast<uint8_t>(control_ & 0xFF);
    }
    std::vector<uint8_t> out_;
    size_t controlAt_ = 0;
    size_t size_ = 0;
    size_t items_ = 0;
    uint16_t control_ = 0;
};

} // namespace

std::vector<uint8_t> CompressBlock(std::span<const uint8_t> input) {
    const size_t n = std::min(input.size(), kMaxBlockSize);
    input = input.first(n);
    std::array<uint16_t, 4096> table;
    table.fill(kEmpty);
    // Room for an overrunning last step; the block is stored once the output passes n.
    GroupWriter out(n + kOverrun + 1);
    size_t i = 0;
    while (i < n && out.Size() <= n) {
        size_t run = 1;
        while (run < kMaxRun && i + run < n && input[i + run] == input[i])
            ++run;
        if (run >= kMinRun) {
            const size_t count = run - kMinRun;
            out.Item(true, {0, uint8_t(count >> 8), uint8_t(count & 0xFF), input[i]});
            i += run;
            continue;
        }
        // A match needs three bytes to hash; fewer left can only be literals.
        size_t length = 0, distance = 0;
        if (i + kMinMatch <= n) {
            const size_t h = HashAt(input, i);
            const size_t p = table[h];
            table[h] = static_cast<uint16_t>(i);
            if (p != kEmpty && i - p <= kMaxDistance) {
                while (length < kMaxMatch && i + length < n && input[p + length] == input[i + length])
                    ++length;
                distance = i - p;
            }
        }
        if (length >= kMinMatch) {
            const size_t code = (distance << 4) + (length - kMinMatch);
            out.Item(true, {uint8_t(code >> 8), uint8_t(code & 0xFF)});
            i += length;
        } else {
            out.Item(false, {input[i]});
            ++i;
        }
    }
    std::vector<uint8_t> coded = out.Finish();
    if (coded.size() <= n) return coded;
    std::vector<uint8_t> stored(n + 1);
    stored[0] = kStored;
    std::copy(input.begin(), input.end(), stored.begin() + 1);
    return stored;
}

std::vector<uint8_t> DecompressBlock(std::span<const uint8_t> block) {
    if (block.empty()) return {};
    if (block[0] == kStored) {
        if (block.size() - 1 > kMaxBlockSize) Corrupt();
        return std::vector<uint8_t>(block.begin() + 1, block.end());
    }
    std::vector<uint8_t> out;
    if (block.size() <= 3) return out;
    out.reserve(kMaxBlockSize);
    size_t pos = 1, items = kItemsPerGroup;
    uint16_t control = 0;
    auto need = [&](size_t count) {
        if (block.size() - pos < count) Corrupt();
    };
    auto emit = [&](size_t count) {
        if (kMaxBlockSize - out.size() < count) Corrupt();
    };
    while (pos < block.size()) {
        if (items == kItemsPerGroup) {
            need(2);
            control = static_cast<uint16_t>(block[pos] << 8 | block[pos + 1]);
            pos += 2;
            items = 0;
            if (pos == block.size()) break;
        }
        const bool code = control & 0x8000;
        control = static_cast<uint16_t>(control << 1);
        ++items;
        if (!code) {
            emit(1);
            out.push_back(block[pos++]);
            continue;
        }
        need(2);
        const size_t distance = size_t(block[pos]) * 16 + (block[pos + 1] >> 4);
        if (distance == 0) {
            need(4);
            const size_t count = size_t(block[pos + 1] & 15) * 256 + block[pos + 2] + kMinRun;
            emit(count);
            out.insert(out.end(), count, block[pos + 3]);
            pos += 4;
            continue;
        }
        const size_t length = (block[pos + 1] & 15) + kMinMatch;
        pos += 2;
        if (distance > out.size()) Corrupt();
        emit(length);
        // One byte at a time: an overlapping copy repeats the pattern.
        for (size_t k = 0, from = out.size() - distance; k < length; ++k)
            out.push_back(out[from + k]);
    }
    return out;
}

void CompressStream(Stream& source, Stream& dest, int64_t count) {
    const int64_t totalAt = dest.Position();
    dest.WriteUInt32(0);
    uint32_t total = 0;
    std::vector<uint8_t> buffer(kMaxBlockSize);
    while (count > 0) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(count, kMaxBlockSize));
        const size_t got = source.Read(buffer.data(), want);
        if (got == 0) break;
        const std::vector<uint8_t> block = CompressBlock(std::span(buffer.data(), got));
        dest.WriteUInt32(static_cast<uint32_t>(block.size()));
        dest.WriteBuffer(block.data(), block.size());
        total += static_cast<uint32_t>(4 + block.size());
        count -= static_cast<int64_t>(got);
    }
    const int64_t end = dest.Position();
    dest.SetPosition(totalAt);
    dest.WriteUInt32(total);
    dest.SetPosition(end);
}

void DecompressStream(Stream& source, Stream& dest) {
    int64_t total = source.ReadUInt32();
    if (total > source.Size() - source.Position()) Corrupt();
    int64_t written = 0;
    std::vector<uint8_t> block;
    while (total > 0) {
        if (total < 4) Corrupt();
        const uint32_t length = source.ReadUInt32();
        // A stored block of the largest input is the longest block the coder writes.
        if (length > kMaxBlockSize + 1 || int64_t(length) > total - 4) Corrupt();
        block.resize(length);
        source.ReadBuffer(block.data(), length);
        const std::vector<uint8_t> decoded = DecompressBlock(block);
        written += static_cast<int64_t>(decoded.size());
        if (written > kMaxDecompressedSize) Corrupt();
        dest.WriteBuffer(decoded.data(), decoded.size());
        total -= 4 + int64_t(length);
    }
}
