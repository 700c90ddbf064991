#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

#include "ui/list/mini_html.h"

// Cell texts come from imported files: any markup must lay out, draw and hit-test in bounded time and
// space. The first byte chooses word wrap and the hit point.
// Font lookups by the names in FONT FACE fill the font library's own caches, which it keeps for the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const QString markup =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    // As in a list, shaped runs are kept from one text to the next.
    static HtmlTextCache cache;
    HtmlContext context;
    context.TextCache = &cache;
    context.WordWrap = data[0] & 1;
    context.FocusAnchor = data[0] >> 4;
    QImage image(120, 40, QImage::Format_RGB32);
    QPainter painter(&image);
    const QRect rect(2, 2, 100, 30);
    const HtmlResult drawn = RenderHtml(&painter, markup, rect, context, QPoint(data[0] & 0x7F, 10));
    const HtmlResult measured = RenderHtml(nullptr, markup, rect, context);
    // Measuring and drawing lay out alike; every anchor comes from a tag of the text.
    if (drawn.Width != measured.Width || drawn.Height != measured.Height) __builtin_trap();
    if (measured.AnchorCount > markup.size()) __builtin_trap();
    if (HtmlPlainText(markup).size() > 4 * markup.size() + 4) __builtin_trap();
    return 0;
}
