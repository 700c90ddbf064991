#include "platform/gfx/sys_colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <iterator>

namespace {

struct SystemColour {
    QPalette::ColorRole role;
    QRgb classic; // used without a running application
};

// Indexes 0 .. 24 of the window system's colour table.
const SystemColour kSystemColours[] = {
    {QPalette::Midlight, 0xC8C8C8},        // scroll bar
    {QPalette::Window, 0x3A6EA5},          // desktop
    {QPalette::Highlight, 0x0A246A},       // active caption
    {QPalette::Mid, 0x808080},             // inactive caption
    {QPalette::Window, 0xD4D0C8},          // menu
    {QPalette::Base, 0xFFFFFF},            // window
    {QPalette::Shadow, 0x000000},          // window frame
    {QPalette::WindowText, 0x000000},      // menu text
    {QPalette::Text, 0x000000},            // window text
    {QPalette::HighlightedText, 0xFFFFFF}, // caption text
    {QPalette::Window, 0xD4D0C8},          // active border
    {QPalette::Window, 0xD4D0C8},          // inactive border
    {QPalette::Mid, 0x808080},             // application work space
    {QPalette::Highlight, 0x0A246A},       // highlight
    {QPalette::HighlightedText, 0xFFFFFF}, // highlight text
    {QPalette::Button, 0xD4D0C8},          // button face
    {QPalette::Dark, 0x808080},            // button shadow
    {QPalette::PlaceholderText, 0x808080}, // grey text
    {QPalette::ButtonText, 0x000000},      // button text
    {QPalette::Light, 0xD4D0C8},           // inactive caption text
    {QPalette::Light, 0xFFFFFF},           // button highlight
    {QPalette::Shadow, 0x404040},          // dark shadow
    {QPalette::Midlight, 0xD4D0C8},        // light
    {QPalette::ToolTipText, 0x000000},     // tooltip text
    {QPalette::ToolTipBase, 0xFFFFE1},     // tooltip background
};

} // namespace

int32_t SysColor(int index) {
    index &= 0xFF;
    if (index >= static_cast<int>(std::size(kSystemColours))) return clBlack;
    const SystemColour& colour = kSystemColours[index];
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return RgbToWinColor(colour.classic);
    return RgbToWinColor(QGuiApplication::palette().color(colour.role).rgb());
}

QRgb WinColorToRgb(int32_t color) {
    if (color < 0) color = SysColor(color & 0xFF);
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QRgb ClassicColorToRgb(int32_t color) {
    if (color >= 0) return WinColorToRgb(color);
    const size_t index = static_cast<size_t>(color & 0xFF);
    return index < std::size(kSystemColours) ? kSystemColours[index].classic | 0xFF000000u : qRgb(0, 0, 0);
}

int32_t RgbToWinColor(QRgb rgb) {
    return static_cast<int32_t>(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16));
}
