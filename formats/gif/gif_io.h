#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/stream.h"

// Reads a GIF stream through a buffer, so that the many one-byte reads of the block structure cost no
// call into the stream each. Finish() puts the stream just behind the bytes taken.
class GIFReader {
  public:
    explicit GIFReader(Stream& stream);

    // The next byte, or -1 at the end of the stream.
    int ReadByte();
    int PeekByte();
    // Up to count of the next bytes without taking them; returns how many there are.
    size_t Peek(uint8_t* out, size_t count);
    // Exactly count bytes, else "Premature end of data".
    void ReadExact(void* out, size_t count);
    void Skip(size_t count);
    // Data sub-blocks up to their terminator, or skipped; the stream ending first is "Premature end of data".
    void ReadSubBlocks(std::vector<std::string>& blocks);
    void SkipSubBlocks();
    // The data of the next sub-block where it stands in the buffer, valid until the next read; empty for the
    // terminator.
    std::span<const uint8_t> NextSubBlock();

    int64_t Position() const { return base_ + static_cast<int64_t>(at_); }
    int64_t StreamSize() { return stream_.Size(); }
    void Finish() { stream_.SetPosition(Position()); }

  private:
    // At least count bytes buffered, unless the stream ends first; returns whether they are.
    bool Fill(size_t count);
    // The size byte of the next sub-block; the end of the stream is "Premature end of data".
    size_t NextBlockSize();

    Stream& stream_;
    std::vector<uint8_t> buffer_;
    size_t at_ = 0;
    size_t end_ = 0;
    int64_t base_; // stream position of buffer_[0]
};

// The bytes of a GIF stream being written; handed to the stream in one piece.
class GIFOutput {
  public:
    void Byte(int value) { bytes_.push_back(static_cast<uint8_t>(value)); }
    void Word(int value) {
        Byte(value & 0xFF);
        Byte((value >> 8) & 0xFF);
    }
    void Bytes(const void* data, size_t count) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + count);
    }
    // Each block as a data sub-block (cut at 255 bytes; empty ones write nothing), then the terminator.
    void SubBlocks(const std::vector<std::string>& blocks);
    const std::vector<uint8_t>& Data() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};
