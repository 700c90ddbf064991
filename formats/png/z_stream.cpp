#include "formats/png/z_stream.h"

#include <algorithm>

namespace {

const char* const kInvalidOperation = "Invalid ZStream operation!";

const char* ZLibMessage(int code) {
    switch (code) {
    case Z_NEED_DICT:
        return "need dictionary";
    case Z_ERRNO:
        return "file error";
    case Z_STREAM_ERROR:
        return "stream error";
    case Z_DATA_ERROR:
        return "data error";
    case Z_MEM_ERROR:
        return "insufficient memory";
    case Z_BUF_ERROR:
        return "buffer error";
    case Z_VERSION_ERROR:
        return "incompatible version";
    default:
        return "unknown error";
    }
}

int CCheck(int code) {
    if (code < 0) throw EZCompressionError(ZLibMessage(code));
    return code;
}

int DCheck(int code) {
    if (code < 0) throw EZDecompressionError(ZLibMessage(code));
    return code;
}

// zlib counts in 32-bit units; larger requests are served in pieces of this size.
constexpr size_t kMaxPiece = size_t(1) << 30;

} // namespace

CustomZStream::CustomZStream(Stream& stream)
    : strm_(stream), strmPos_(stream.Position()), buffer_(kBufferSize) {}

void CustomZStream::Progress() {
    if (OnProgress) OnProgress();
}

void CustomZStream::RestorePosition() {
    if (strm_.Position() != strmPos_) strm_.SetPosition(strmPos_);
}

ZCompressionStream::ZCompressionStream(CompressionLevel level, Stream& destination)
    : CustomZStream(destination) {
    CCheck(deflateInit(&zstream_, static_cast<int>(level)));
    zstream_.next_out = buffer_.data();
    zstream_.avail_out = kBufferSize;
}

ZCompressionStream::~ZCompressionStream() {
    try {
        Finish();
    } catch (const std::exception&) {
        // A destructor cannot report; callers that care call Finish themselves.
    }
    deflateEnd(&zstream_);
}

void ZCompressionStream::FlushBuffer(size_t count) {
    strm_.WriteBuffer(buffer_.data(), count);
    strmPos_ = strm_.Position();
    zstream_.next_out = buffer_.data();
    zstream_.avail_out = kBufferSize;
}

size_t ZCompressionStream::Read(void*, size_t) {
    throw EZCompressionError(kInvalidOperation);
}

size_t ZCompressionStream::Write(const void* buffer, size_t count) {
    if (finished_) throw EZCompressionError(kInvalidOperation);
    RestorePosition();
    const auto* in = static_cast<const Bytef*>(buffer);
    for (size_t done = 0; done < count;) {
        size_t piece = std::min(count - done, kMaxPiece);
        zstream_.next_in = const_cast<Bytef*>(in + done);
        zstream_.avail_in = static_cast<uInt>(piece);
        while (zstream_.avail_in > 0) {
            CCheck(deflate(&zstream_, Z_NO_FLUSH));
            if (zstream_.avail_out == 0) {
                FlushBuffer(kBufferSize);
                Progress();
            }
        }
        done += piece;
    }
    return count;
}

int64_t ZCompressionStream::Seek(int64_t offset, Origin origin) {
    if (offset != 0 || origin != soFromCurrent) throw EZCompressionError(kInvalidOperation);
    return static_cast<int64_t>(zstream_.total_in);
}

void ZCompressionStream::Finish() {
    if (finished_) return;
    finished_ = true;
    RestorePosition();
    zstream_.next_in = nullptr;
    zstream_.avail_in = 0;
    while (CCheck(deflate(&zstream_, Z_FINISH)) != Z_STREAM_END) {
        FlushBuffer(kBufferSize);
        Progress();
    }
    FlushBuffer(kBufferSize - zstream_.avail_out);
}

ZDecompressionStream::ZDecompressionStream(Stream& source) : CustomZStream(source), startPos_(strmPos_) {
    DCheck(inflateInit(&zstream_));
}

ZDecompressionStream::~ZDecompressionStream() {
    inflateEnd(&zstream_);
}

size_t ZDecompressionStream::Read(void* buffer, size_t count) {
    RestorePosition();
    auto* out = static_cast<Bytef*>(buffer);
    size_t done = 0;
    while (done < count && !ended_) {
        size_t piece = std::min(count - done, kMaxPiece);
        zstream_.next_out = out + done;
        zstream_.avail_out = static_cast<uInt>(piece);
        while (zstream_.avail_out > 0 && !ended_) {
            if (zstream_.avail_in == 0) {
                size_t n = strm_.Read(buffer_.data(), kBufferSize);
                if (n == 0) break;
                zstream_.next_in = buffer_.data();
                zstream_.avail_in = static_cast<uInt>(n);
                strmPos_ = strm_.Position();
                Progress();
            }
            int result = DCheck(inflate(&zstream_, Z_NO_FLUSH));
            // Bytes after the end of the compressed data are left alone rather than fed in again.
            if (result == Z_STREAM_END) ended_ = true;
            // A preset dictionary would never arrive: inflate would make no progress.
            if (result == Z_NEED_DICT) throw EZDecompressionError(ZLibMessage(result));
        }
        size_t got = piece - zstream_.avail_out;
        done += got;
        if (got < piece) break;
    }
    return done;
}

size_t ZDecompressionStream::Write(const void*, size_t) {
    throw EZDecompressionError(kInvalidOperation);
}

int64_t ZDecompressionStream::Seek(int64_t offset, Origin origin) {
    const auto position = static_cast<int64_t>(zstream_.total_out);
    if (offset == 0 && origin == soFromBeginning) {
        DCheck(inflateReset(&zstream_));
        zstream_.avail_in = 0;
        ended_ = false;
        // Back to where the compressed data began, which need not be the start of the source.
        strm_.SetPosition(startPos_);
        strmPos_ = startPos_;
        return 0;
    }
    int64_t skip = -1;
    if (origin == soFromCurrent && offset >= 0) skip = offset;
    if (origin == soFromBeginning && offset >= position) skip = offset - position;
    if (skip < 0) throw EZDecompressionError(kInvalidOperation);
    uint8_t discard[4096];
    while (skip > 0) {
        size_t want = static_cast<size_t>(std::min<int64_t>(skip, sizeof discard));
        size_t got = Read(discard, want);
        skip -= static_cast<int64_t>(got);
        if (got < want) break;
    }
    return static_cast<int64_t>(zstream_.total_out);
}
