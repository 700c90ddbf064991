#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ini.h"
#include "platform/text.h"

// Settings files are edited by hand: parsing must survive anything, and what we write must read back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniFile ini;
    ini.Parse(DecodeText(std::string_view(reinterpret_cast<const char*>(data), size)));
    IniFile again;
    again.Parse(ini.Text());
    if (again.Text() != ini.Text()) __builtin_trap();
    return 0;
}
