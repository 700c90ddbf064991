#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

// Raised when a stream cannot deliver or take the bytes asked for.
class EStreamError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A byte stream with a position, read and written in blocks.
class Stream {
  public:
    enum Origin { soFromBeginning, soFromCurrent, soFromEnd };

    virtual ~Stream() = default;
    // Reads up to count bytes; returns how many arrived (0 at the end).
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Writes count bytes; returns how many were taken.
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, Origin origin) = 0;

    int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(int64_t position) { Seek(position, soFromBeginning); }
    virtual int64_t Size();

    // Exactly count bytes or EStreamError.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // A 32-bit little-endian integer.
    uint32_t ReadUInt32();
    void WriteUInt32(uint32_t value);
};

// A stream over a growable block of memory.
class MemoryStream : public Stream {
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, Origin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }

    void SetSize(size_t size);
    void Clear();
    const std::vector<uint8_t>& Bytes() const { return data_; }
    uint8_t* Memory() { return data_.data(); }

  private:
    std::vector<uint8_t> data_;
    size_t position_ = 0;
};

// A stream over a file; the constructor raises EStreamError when the file cannot be opened.
class FileStream : public Stream {
  public:
    enum Mode { fmOpenRead, fmCreate, fmOpenReadWrite };
    FileStream(const std::filesystem::path& path, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, Origin origin) override;

  private:
    int fd_ = -1;
};
