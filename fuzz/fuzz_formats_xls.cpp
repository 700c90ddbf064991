// Workbook reader over arbitrary bytes: open, then read a band of cells.
#include <QVariant>
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/xls/xls_error.h"
#include "formats/xls/xls_read.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XLSRead reader;
    try {
        reader.OpenBytes(std::string(reinterpret_cast<const char*>(data), size));
        QVariant value;
        for (int sheet = 0; sheet < reader.SheetCount(); ++sheet) {
            for (int row = 0; row < 8; ++row) {
                for (int col = 0; col < 8; ++col)
                    reader.ReadCell(sheet, col, row, value);
            }
        }
    } catch (const XLSError&) {
    }
    return 0;
}
