#pragma once

#include <stdexcept>

// Every failure of the workbook writer, formula encoder and reader; the text is what the user sees.
class XLSError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
