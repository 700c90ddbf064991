#pragma once

#include <QRgb>
#include <cstdint>

// Window-system colours: $00BBGGRR, or $80000000 or'ed with a system colour index. Stored settings hold
// these values, so the indexes keep their numbers.
constexpr int32_t clBlack = 0x000000;
constexpr int32_t clWhite = 0xFFFFFF;
constexpr int32_t clSystemColor = static_cast<int32_t>(0x80000000u);
constexpr int32_t clScrollBar = clSystemColor | 0;
constexpr int32_t clWindow = clSystemColor | 5;
constexpr int32_t clWindowFrame = clSystemColor | 6;
constexpr int32_t clBtnFace = clSystemColor | 15;
constexpr int32_t clBtnShadow = clSystemColor | 16;
constexpr int32_t clGrayText = clSystemColor | 17;
constexpr int32_t clBtnHighlight = clSystemColor | 20;
constexpr int32_t cl3DDkShadow = clSystemColor | 21;
constexpr int32_t cl3DLight = clSystemColor | 22;
constexpr int32_t clPurple = 0x800080;
// The class library's "no colour": a brush of it paints nothing.
constexpr int32_t clNone = 0x1FFFFFFF;

// The current colour of a system colour index (its low 8 bits) as $00BBGGRR.
int32_t SysColor(int index);
// A window-system colour, system colours resolved, as an opaque QRgb.
QRgb WinColorToRgb(int32_t color);
// The same with system colours taken from the fixed classic table, whatever the desktop's theme: for output
// that must look alike everywhere (printed labels).
QRgb ClassicColorToRgb(int32_t color);
// The window-system colour ($00BBGGRR) of a QRgb; alpha is dropped.
int32_t RgbToWinColor(QRgb rgb);
