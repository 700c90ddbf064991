#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class Stream;

// The control suite's small block coder: literals, back references (distance 1 .. 4095, length 3 .. 18) and
// runs (16 .. 4095 equal bytes) under big-endian 16-bit control words. Its blocks are a file format: item
// data written by one run of the program is read by another.

// The most input one block takes; a block never decodes to more.
constexpr size_t kMaxBlockSize = 32781;
// A compressed stream never decodes to more than this, so a small file cannot ask for gigabytes.
constexpr int64_t kMaxDecompressedSize = int64_t(1) << 28;

// Codes up to kMaxBlockSize bytes. An input that would not shrink is stored: $80 then the bytes (n + 1).
std::vector<uint8_t> CompressBlock(std::span<const uint8_t> input);
// Decodes one block. Every read and write is bounded: a block that reaches before its output, runs past
// its end or decodes to more than kMaxBlockSize raises EStreamError.
std::vector<uint8_t> DecompressBlock(std::span<const uint8_t> block);

// Reads count bytes from source's position and appends a compressed stream to dest: a 32-bit total, then
// per block its 32-bit coded length and the block. dest ends after it.
void CompressStream(Stream& source, Stream& dest, int64_t count);
// Reads one compressed stream from source's position and appends the decoded bytes to dest. Lengths are
// checked against the bytes present before anything is allocated; corruption raises EStreamError.
void DecompressStream(Stream& source, Stream& dest);
