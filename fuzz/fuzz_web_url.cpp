// Addresses come from the server (Location) and from users: parsing, header building and decoding must
// neither crash nor grow without bound on any bytes.
#include "web/http_client.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    HTTPClient client;
    client.URL = text;
    client.HeaderInfo.Cookie = text;
    try {
        client.ParseURL();
        client.BuildHeader();
        // No header line may be split by the bytes it carries.
        const std::string header = client.RequestHeader.Text();
        size_t lines = 0;
        for (size_t at = header.find('\n'); at != std::string::npos; at = header.find('\n', at + 1))
            ++lines;
        if (lines != client.RequestHeader.Lines.size()) __builtin_trap();
    } catch (const ESockError&) {
    }
    try {
        if (URLCoder::Decode(text).size() > text.size()) __builtin_trap();
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
