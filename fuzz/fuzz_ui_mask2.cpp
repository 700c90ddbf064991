#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "ui/controls/shaped_form.h"

// Region data comes from stored files: malformed data must be refused, valid data must survive a round trip.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (auto region = RegionFromData(bytes)) {
        if (RegionFromData(RegionToData(*region)) != region) __builtin_trap();
    }
    return 0;
}
