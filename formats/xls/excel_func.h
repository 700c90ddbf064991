#pragma once

#include <QString>
#include <cstdint>
#include <span>

// The built-in worksheet functions by their number in workbook formulas.
struct ExcelFunction {
    uint8_t minArgs;
    uint8_t maxArgs;
    const char* name; // upper case; unnamed numbers carry their number as name
};

std::span<const ExcelFunction> ExcelFunctions();
// Number of the first function of that (upper-cased) name, or -1.
int FindExcelFunction(const QString& upperName);
