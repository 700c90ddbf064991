#pragma once

#include <stdexcept>

// Every failure of the workbook writer, formula encoder and reader; the text is what the user sees.
class XLSError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A workbook encrypted with a password: it is refused rather than read as garbage.
class XLSPasswordError : public XLSError {
  public:
    using XLSError::XLSError;
};
