#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "formats/kit_compress.h"
#include "platform/stream.h"

// Corrupt blocks and compressed streams: every read and write of the decoder stays in bounds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const std::vector<uint8_t> decoded = DecompressBlock(std::span(data, size));
        // What decodes must survive its own round trip.
        if (decoded.size() <= kMaxBlockSize && DecompressBlock(CompressBlock(decoded)) != decoded)
            __builtin_trap();
    } catch (const EStreamError&) {
    }
    MemoryStream source(std::vector<uint8_t>(data, data + size)), dest;
    try {
        DecompressStream(source, dest);
    } catch (const EStreamError&) {
    }
    return 0;
}
