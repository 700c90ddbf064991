#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Compound files: a small file system of named streams inside one file, as workbooks use.

class CfbError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads the streams of the root storage of a compound file held in memory. Version 3 (512-byte sectors)
// and version 4 (4096-byte sectors) are accepted; every chain and directory walk is bounded by the file
// size and checked for cycles, and every failure is a CfbError.
class CompoundFileReader {
  public:
    explicit CompoundFileReader(std::string bytes);

    static bool HasSignature(std::string_view bytes);

    // Names of the streams directly below the root storage, in directory order (UTF-8).
    std::vector<std::string> StreamNames() const;
    // Stream names are compared without regard to case, as the format asks.
    bool HasStream(std::string_view name) const;
    uint64_t StreamSize(std::string_view name) const;
    std::string ReadStream(std::string_view name) const;

  private:
    struct Entry {
        std::string name;
        uint8_t type = 0;
        uint32_t left = 0, right = 0, child = 0, start = 0;
        uint64_t size = 0;
    };

    uint32_t SectorCount() const;
    std::string_view Sector(uint32_t id) const;
    std::vector<uint32_t> Chain(uint32_t start, const std::vector<uint32_t>& table, uint64_t limit) const;
    std::string ReadChain(uint32_t start, uint64_t size) const;
    void ReadFat(uint32_t fatSectors, uint32_t difatStart, uint32_t difatSectors);
    void ReadDirectory(uint32_t start);
    void ReadMiniStream(uint32_t miniFatStart, uint32_t miniFatSectors);
    const Entry& Find(std::string_view name) const;

    std::string bytes_;
    uint32_t sectorSize_ = 512;
    uint32_t miniCutoff_ = 4096;
    std::vector<uint32_t> fat_;
    std::vector<uint32_t> miniFat_;
    std::string miniStream_;
    std::vector<Entry> entries_;
    std::vector<size_t> rootStreams_;
};

// Builds a version 3 compound file holding the given streams (name, bytes) in its root storage. Streams
// under 4096 bytes go to the mini stream.
std::string WriteCompoundFile(const std::vector<std::pair<std::string, std::string>>& streams);
