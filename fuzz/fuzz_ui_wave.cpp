#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/stream.h"
#include "ui/kit/kit_wave.h"

// Wave headers: a refused file leaves the wave as it was.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    KitWave wave;
    try {
        wave.LoadFromStream(stream);
    } catch (const EInvalidWave&) {
        if (!wave.Empty()) __builtin_trap();
    } catch (const EErrorCheckingWave&) {
        if (!wave.Empty()) __builtin_trap();
    } catch (const EStreamError&) {
    }
    return 0;
}
