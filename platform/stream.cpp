#include "platform/stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int64_t Stream::Size() {
    int64_t here = Position();
    int64_t size = Seek(0, soFromEnd);
    Seek(here, soFromBeginning);
    return size;
}

void Stream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EStreamError("Stream read error");
}

void Stream::WriteBuffer(const void* buffer, size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EStreamError("Stream write error");
}

uint32_t Stream::ReadUInt32() {
    uint8_t b[4];
    ReadBuffer(b, 4);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void Stream::WriteUInt32(uint32_t value) {
    const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    WriteBuffer(b, 4);
}

size_t MemoryStream::Read(void* buffer, size_t count) {
    if (position_ >= data_.size()) return 0;
    size_t n = std::min(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

size_t MemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return 0;
    if (position_ + count > data_.size()) data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

int64_t MemoryStream::Seek(int64_t offset, Origin origin) {
    int64_t base = origin == soFromBeginning ? 0
                   : origin == soFromCurrent ? static_cast<int64_t>(position_)
                                             : static_cast<int64_t>(data_.size());
    int64_t target = base + offset;
    if (target < 0) throw EStreamError("Stream seek error");
    position_ = static_cast<size_t>(target);
    return target;
}

void MemoryStream::SetSize(size_t size) {
    data_.resize(size);
    position_ = std::min(position_, size);
}

void MemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

FileStream::FileStream(const std::filesystem::path& path, Mode mode) {
    int flags = mode == fmOpenRead ? O_RDONLY : mode == fmCreate ? O_RDWR | O_CREAT | O_TRUNC : O_RDWR;
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0666); // a new file: what the umask allows
    if (fd_ < 0)
        throw EStreamError((mode == fmCreate ? "Cannot create file " : "Cannot open file ") + path.string() +
                           ". " + std::strerror(errno));
}

FileStream::~FileStream() {
    if (fd_ >= 0) ::close(fd_);
}

size_t FileStream::Read(void* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t FileStream::Write(const void* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

int64_t FileStream::Seek(int64_t offset, Origin origin) {
    int whence = origin == soFromBeginning ? SEEK_SET : origin == soFromCurrent ? SEEK_CUR : SEEK_END;
    off_t result = ::lseek(fd_, offset, whence);
    if (result < 0) throw EStreamError("Stream seek error");
    return result;
}
