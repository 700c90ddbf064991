#include "print/report/paper_sizes.h"

#include <array>

namespace {

struct PaperRow {
    int code;
    double width;
    double height;
};

// Indexed by PaperSizes.
constexpr std::array<PaperRow, static_cast<size_t>(PaperSizes::PAPER_ENV_PERSONAL) + 1> kPapers{{
    {1, 8.5, 11.0},   {2, 8.5, 11.0},  {3, 11.0, 17.0}, {4, 17.0, 11.0},  {5, 8.5, 14.0},   {6, 5.5, 8.5},
    {7, 7.5, 10.5},   {8, 11.7, 16.5}, {9, 8.3, 11.7},  {10, 0, 0},       {11, 5.9, 8.3},   {12, 9.9, 14.0},
    {13, 7.2, 10.1},  {14, 8.5, 13.0}, {15, 8.5, 10.8}, {16, 10.0, 14.0}, {17, 11.0, 17.0}, {18, 8.5, 11.0},
    {19, 3.875, 8.9}, {20, 4.1, 9.5},  {21, 4.5, 10.4}, {22, 4.1, 9.5},   {23, 5.0, 11.5},  {24, 0, 0},
    {25, 0, 0},       {26, 0, 0},      {27, 4.3, 8.7},  {29, 12.8, 18.0}, {30, 9.0, 12.0},  {28, 6.4, 9.0},
    {31, 4.5, 6.4},   {32, 4.5, 9.0},  {33, 9.8, 14.0}, {34, 7.0, 9.8},   {35, 7.0, 5.0},   {36, 4.3, 9.1},
    {37, 3.9, 7.5},   {38, 3.6, 6.5},
}};

} // namespace

Paper PaperOf(PaperSizes size) {
    const PaperRow& row = kPapers[static_cast<size_t>(size)];
    return {row.code, QSizeF(row.width, row.height)};
}
