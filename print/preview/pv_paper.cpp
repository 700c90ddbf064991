#include "print/preview/pv_paper.h"

#include <utility>

namespace {

struct Paper {
    const char* name;
    PvMeasurement unit;
    long double width, height;
    int code;
};

// The two large envelopes take their real sizes (4 3/4 x 11 in and 5 x 11 1/2 in).
constexpr Paper kPapers[kPaperSizeCount] = {
    {"A3", pvMillimeters, 297, 420, 8},
    {"A4", pvMillimeters, 210, 297, 9},
    {"A5", pvMillimeters, 148.5L, 210, 11},
    {"A6", pvMillimeters, 105, 148, 70},
    {"B5", pvInches, 6.92L, 9.84L, 13},
    {"C5", pvInches, 6.38L, 9.02L, 28},
    {"Legal", pvInches, 8.5L, 14, 5},
    {"Letter", pvInches, 8.5L, 11, 1},
    {"Custom", pvMillimeters, 210, 297, 0},
    {"B4", pvMillimeters, 250, 354, 12},
    {"Envelope_09", pvInches, 3.78L, 8.78L, 19},
    {"Envelope_10", pvInches, 4.18L, 9.12L, 20},
    {"Envelope_11", pvInches, 4.12L, 10.38L, 21},
    {"Envelope_12", pvInches, 4.75L, 11, 22},
    {"Envelope_14", pvInches, 5, 11.5L, 23},
    {"Tabloid", pvInches, 11, 17, 3},
    {"Ledger", pvInches, 17, 11, 4},
    {"Executive", pvInches, 7.14L, 10.12L, 7},
};

} // namespace

PvPoint GetPaperSize(PvPaperSize paper) {
    const Paper& p = kPapers[paper < kPaperSizeCount ? paper : A4];
    return {ConvertValue(p.unit, pvInches, p.width), ConvertValue(p.unit, pvInches, p.height)};
}

PvPoint PageSize(PvPaperSize paper, PvOrientation orientation) {
    PvPoint size = GetPaperSize(paper);
    if (orientation == pvLandscape) std::swap(size.X, size.Y);
    return size;
}

QStringList PaperSizeNames() {
    QStringList names;
    for (const Paper& paper : kPapers)
        names << QString::fromLatin1(paper.name);
    return names;
}

int PaperCode(PvPaperSize paper) {
    return paper < kPaperSizeCount ? kPapers[paper].code : 0;
}
