#include "formats/xls/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/text.h"

namespace {

// The system's name of a workbook code page; empty when the workbook's own text reading applies.
std::string CharsetOf(uint16_t codePage) {
    switch (codePage) {
    case 367:
        return "ASCII";
    case 1200: // UTF-16 only appears in BIFF8, whose text carries its own width
    case 0:
        return {};
    case 10000:
    case 32768:
        return "MACINTOSH";
    case 32769:
        return "CP1252";
    default:
        return "CP" + std::to_string(codePage);
    }
}

} // namespace

struct CodePageDecoder::Converter {
    iconv_t handle;
    ~Converter() { iconv_close(handle); }
};

CodePageDecoder::CodePageDecoder() = default;
CodePageDecoder::~CodePageDecoder() = default;
CodePageDecoder::CodePageDecoder(CodePageDecoder&&) noexcept = default;
CodePageDecoder& CodePageDecoder::operator=(CodePageDecoder&&) noexcept = default;

void CodePageDecoder::SetCodePage(uint16_t codePage) {
    converter_.reset();
    const std::string charset = CharsetOf(codePage);
    if (charset.empty()) return;
    iconv_t handle = iconv_open("UTF-16LE", charset.c_str());
    if (handle != reinterpret_cast<iconv_t>(-1)) converter_.reset(new Converter{handle});
}

QString CodePageDecoder::Decode(std::string_view bytes) const {
    if (!converter_) return DecodeText(bytes);
    iconv(converter_->handle, nullptr, nullptr, nullptr, nullptr);
    // Every byte gives at most two UTF-16 units in the code pages workbooks use.
    std::u16string out(2 * bytes.size() + 2, u'\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* to = reinterpret_cast<char*>(out.data());
    size_t toLeft = out.size() * sizeof(char16_t);
    // Some code pages hold a letter back until they see whether a combining mark follows: it comes out
    // before a kept byte and at the end.
    auto flush = [&] { iconv(converter_->handle, nullptr, nullptr, &to, &toLeft); };
    while (inLeft > 0) {
        if (iconv(converter_->handle, &in, &inLeft, &to, &toLeft) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) break;
        flush();
        if (toLeft < sizeof(char16_t)) break;
        // A byte the code page leaves undefined, or a cut-off sequence: kept as the character of its value.
        const char16_t kept = static_cast<unsigned char>(*in);
        std::memcpy(to, &kept, sizeof kept);
        to += sizeof(char16_t);
        toLeft -= sizeof(char16_t);
        ++in;
        --inLeft;
    }
    flush();
    const size_t units = out.size() - toLeft / sizeof(char16_t);
    return QString::fromUtf16(out.data(), static_cast<qsizetype>(units));
}
