#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <cstddef>
#include <cstdint>

#include "ui/controls/picture_container.h"

// Cell pictures come from files and markup: any bytes either show as a picture or are refused, and a
// later frame of an animation shows or is refused too.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HTMLPicture picture;
    try {
        picture.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    } catch (const EPictureError&) {
        if (!picture.Empty()) __builtin_trap();
        return 0;
    }
    if (picture.Empty() || picture.FrameCount() < 0) __builtin_trap();
    QImage canvas(32, 32, QImage::Format_ARGB32);
    QPainter painter(&canvas);
    picture.Draw(painter, QRect(0, 0, 32, 32));
    picture.Stretch = true;
    picture.Draw(painter, QRect(0, 0, 32, 32));
    try {
        picture.SetFrame(qMin(picture.FrameCount(), 3));
    } catch (const EPictureError&) {
    }
    return 0;
}
