// Compound-file reader over arbitrary bytes: every stream it lists must read or fail cleanly.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/xls/cfb.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        CompoundFileReader reader(std::string(reinterpret_cast<const char*>(data), size));
        for (const std::string& name : reader.StreamNames()) {
            try {
                reader.ReadStream(name);
            } catch (const CfbError&) {
            }
        }
    } catch (const CfbError&) {
    }
    return 0;
}
