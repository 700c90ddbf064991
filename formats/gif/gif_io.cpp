#include "formats/gif/gif_io.h"

#include <algorithm>
#include <cstring>

#include "formats/gif/gif_error.h"

namespace {
constexpr size_t kBufferSize = 65536;
}

GIFReader::GIFReader(Stream& stream) : stream_(stream), buffer_(kBufferSize), base_(stream.Position()) {}

bool GIFReader::Fill(size_t count) {
    if (end_ - at_ >= count) return true;
    // Keep what is left at the front and read behind it.
    std::memmove(buffer_.data(), buffer_.data() + at_, end_ - at_);
    base_ += static_cast<int64_t>(at_);
    end_ -= at_;
    at_ = 0;
    if (buffer_.size() < count) buffer_.resize(count);
    while (end_ < count) {
        const size_t got = stream_.Read(buffer_.data() + end_, buffer_.size() - end_);
        if (got == 0) return false;
        end_ += got;
    }
    return true;
}

int GIFReader::ReadByte() {
    if (!Fill(1)) return -1;
    return buffer_[at_++];
}

int GIFReader::PeekByte() {
    return Fill(1) ? buffer_[at_] : -1;
}

size_t GIFReader::Peek(uint8_t* out, size_t count) {
    Fill(count);
    const size_t n = std::min(count, end_ - at_);
    std::memcpy(out, buffer_.data() + at_, n);
    return n;
}

void GIFReader::ReadExact(void* out, size_t count) {
    auto* p = static_cast<uint8_t*>(out);
    while (count > 0) {
        if (!Fill(1)) RaiseGIF(gif_messages::kPrematureEnd);
        const size_t n = std::min(count, end_ - at_);
        std::memcpy(p, buffer_.data() + at_, n);
        at_ += n;
        p += n;
        count -= n;
    }
}

void GIFReader::Skip(size_t count) {
    while (count > 0) {
        if (!Fill(1)) RaiseGIF(gif_messages::kPrematureEnd);
        const size_t n = std::min(count, end_ - at_);
        at_ += n;
        count -= n;
    }
}

size_t GIFReader::NextBlockSize() {
    const int size = ReadByte();
    if (size < 0) RaiseGIF(gif_messages::kPrematureEnd);
    return static_cast<size_t>(size);
}

std::span<const uint8_t> GIFReader::NextSubBlock() {
    const size_t size = NextBlockSize();
    if (!Fill(size)) RaiseGIF(gif_messages::kPrematureEnd);
    const std::span<const uint8_t> block(buffer_.data() + at_, size);
    at_ += size;
    return block;
}

void GIFReader::ReadSubBlocks(std::vector<std::string>& blocks) {
    blocks.clear();
    for (size_t size; (size = NextBlockSize()) != 0;) {
        std::string block(size, '\0');
        ReadExact(block.data(), size);
        blocks.push_back(std::move(block));
    }
}

void GIFReader::SkipSubBlocks() {
    for (size_t size; (size = NextBlockSize()) != 0;)
        Skip(size);
}

void GIFOutput::SubBlocks(const std::vector<std::string>& blocks) {
    for (const std::string& block : blocks)
        for (size_t at = 0; at < block.size(); at += 255) {
            const size_t n = std::min<size_t>(255, block.size() - at);
            Byte(static_cast<int>(n));
            Bytes(block.data() + at, n);
        }
    Byte(0);
}
