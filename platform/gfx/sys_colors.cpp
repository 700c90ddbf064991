#include "platform/gfx/sys_colors.h"

#include <iterator>

namespace {

// Indexes 0 .. 24 of the window system's colour table, in its classic scheme. Fixed rather than taken from
// the desktop theme, so that controls draw the same pixels everywhere.
constexpr QRgb kSystemColours[] = {
    0xC8C8C8, // scroll bar
    0x3A6EA5, // desktop
    0x0A246A, // active caption
    0x808080, // inactive caption
    0xD4D0C8, // menu
    0xFFFFFF, // window
    0x000000, // window frame
    0x000000, // menu text
    0x000000, // window text
    0xFFFFFF, // caption text
    0xD4D0C8, // active border
    0xD4D0C8, // inactive border
    0x808080, // application work space
    0x0A246A, // highlight
    0xFFFFFF, // highlight text
    0xD4D0C8, // button face
    0x808080, // button shadow
    0x808080, // grey text
    0x000000, // button text
    0xD4D0C8, // inactive caption text
    0xFFFFFF, // button highlight
    0x404040, // dark shadow
    0xD4D0C8, // light
    0x000000, // tooltip text
    0xFFFFE1, // tooltip background
};

} // namespace

int32_t SysColor(int index) {
    index &= 0xFF;
    if (index >= static_cast<int>(std::size(kSystemColours))) return clBlack;
    return RgbToWinColor(kSystemColours[index]);
}

QRgb WinColorToRgb(int32_t color) {
    if (color < 0) color = SysColor(color & 0xFF);
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

int32_t RgbToWinColor(QRgb rgb) {
    return static_cast<int32_t>(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16));
}
