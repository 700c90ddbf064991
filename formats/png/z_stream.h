#pragma once

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "platform/stream.h"

class EZLibError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
class EZCompressionError : public EZLibError {
  public:
    using EZLibError::EZLibError;
};
class EZDecompressionError : public EZLibError {
  public:
    using EZLibError::EZLibError;
};

// Shared state of the two compression streams: the stream on the other side (not owned), where this
// object last left its position, the deflate or inflate state and a 64 KB buffer.
class CustomZStream : public Stream {
  public:
    static constexpr size_t kBufferSize = 65536;

    CustomZStream(const CustomZStream&) = delete;
    CustomZStream& operator=(const CustomZStream&) = delete;

    // Called whenever a full buffer has been moved.
    std::function<void()> OnProgress;

  protected:
    explicit CustomZStream(Stream& stream);
    virtual void Progress();
    // Puts the other stream back where this object left it, in case somebody moved it.
    void RestorePosition();

    Stream& strm_;
    int64_t strmPos_;
    z_stream zstream_{};
    std::vector<uint8_t> buffer_;
};

enum class CompressionLevel { clNone = 0, clFastest = 1, clDefault = -1, clMax = 9 };

// Deflates what is written to it into the destination stream.
class ZCompressionStream : public CustomZStream {
  public:
    ZCompressionStream(CompressionLevel level, Stream& destination);
    // Finishes quietly; call Finish first to see write errors.
    ~ZCompressionStream() override;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    // Only (0, soFromCurrent): the number of bytes taken in.
    int64_t Seek(int64_t offset, Origin origin) override;

    // Ends the zlib stream and writes out everything still buffered; later calls do nothing.
    void Finish();

  private:
    void FlushBuffer(size_t count);
    bool finished_ = false;
};

// Inflates the source stream as it is read.
class ZDecompressionStream : public CustomZStream {
  public:
    explicit ZDecompressionStream(Stream& source);
    ~ZDecompressionStream() override;

    // Returns fewer bytes than asked once the compressed data or the source ends.
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    // (0, soFromBeginning) starts over, forward moves skip output, (0, soFromCurrent) tells the output
    // position; anything else raises.
    int64_t Seek(int64_t offset, Origin origin) override;

  private:
    int64_t startPos_;
    bool ended_ = false;
};
