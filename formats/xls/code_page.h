#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>

// Decodes the 8-bit text of workbooks before BIFF8 by the code page their CODEPAGE record names. Without
// one (or with one the system cannot convert) text is read as the program reads any 8-bit text.
class CodePageDecoder {
  public:
    CodePageDecoder();
    ~CodePageDecoder();
    CodePageDecoder(CodePageDecoder&&) noexcept;
    CodePageDecoder& operator=(CodePageDecoder&&) noexcept;

    void SetCodePage(uint16_t codePage);
    QString Decode(std::string_view bytes) const;

  private:
    struct Converter;
    std::unique_ptr<Converter> converter_;
};
