#pragma once

#include <QStringList>
#include <cstdint>

#include "print/preview/pv_units.h"

enum PvPaperSize : uint8_t {
    A3,
    A4,
    A5,
    A6,
    B5,
    C5,
    Legal,
    Letter,
    Custom,
    B4,
    Envelope_09,
    Envelope_10,
    Envelope_11,
    Envelope_12,
    Envelope_14,
    Tabloid,
    Ledger,
    Executive
};
constexpr int kPaperSizeCount = Executive + 1;

enum PvOrientation : uint8_t { pvPortrait, pvLandscape };

// Portrait width (X) and height (Y) in inches; Custom has no size of its own and gives A4's.
PvPoint GetPaperSize(PvPaperSize paper);
// The page size of a paper in an orientation: landscape swaps the sides.
PvPoint PageSize(PvPaperSize paper, PvOrientation orientation);
// "A3", "A4", ... "Executive", in enumeration order.
QStringList PaperSizeNames();
// The printer's paper code of a size; 0 for Custom.
int PaperCode(PvPaperSize paper);
