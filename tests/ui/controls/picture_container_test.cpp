#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "ui/controls/picture_container.h"
#include "ui/list/mini_html.h"

namespace {

// A 1 x 1 GIF of three frames: red, green, blue. Each frame's code stream is clear, the colour, end.
QByteArray ThreeFrameGif(uint8_t widthLow = 1, uint8_t widthHigh = 0) {
    QByteArray gif("GIF89a");
    gif += QByteArray::fromHex("0100 0100 81 00 00").replace(0, 1, QByteArray(1, char(widthLow)));
    gif[7] = char(widthHigh);
    gif += QByteArray::fromHex("FF0000 00FF00 0000FF 000000");
    for (int colour = 0; colour < 3; ++colour) {
        const int codes = 4 | colour << 3 | 5 << 6;
        gif += QByteArray::fromHex("21F904 00000000 00");
        gif += QByteArray::fromHex("2C 0000 0000 0100 0100 00 02 02");
        gif += char(codes & 0xFF);
        gif += char(codes >> 8);
        gif += '\0';
    }
    return gif + ';';
}

QByteArray PngBytes(QColor colour) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(colour);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

QString LoadError(const QByteArray& bytes) {
    try {
        HTMLPicture().LoadFromBytes(bytes);
    } catch (const EPictureError& error) {
        return error.what();
    }
    return {};
}

} // namespace

TEST(PictureContainer, GifFramesAreChosenByNumber) {
    HTMLPicture picture;
    int frameChanges = 0;
    picture.OnFrameChange = [&] { ++frameChanges; };
    picture.LoadFromBytes(ThreeFrameGif());
    EXPECT_EQ(picture.FrameCount(), 3);
    EXPECT_EQ(picture.Image().pixelColor(0, 0), QColor(255, 0, 0));
    picture.SetFrame(2);
    EXPECT_EQ(picture.Image().pixelColor(0, 0), QColor(0, 255, 0));
    picture.SetFrame(3);
    EXPECT_EQ(picture.Image().pixelColor(0, 0), QColor(0, 0, 255));
    picture.SetFrame(1);
    EXPECT_EQ(picture.Image().pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(frameChanges, 3);
    // Other pictures have no frames to choose.
    HTMLPicture png;
    png.LoadFromBytes(PngBytes(Qt::yellow));
    png.SetFrame(2);
    EXPECT_EQ(png.FrameCount(), 0);
    EXPECT_EQ(png.Width(), 3);
    EXPECT_EQ(png.Image().pixelColor(0, 0), QColor(Qt::yellow));
}

TEST(PictureContainer, BadBytesRaiseTheirTexts) {
    EXPECT_EQ(LoadError({}), "Empty image stream created");
    EXPECT_EQ(LoadError("not a picture"), "Could not load image. Invalid format");
    EXPECT_EQ(LoadError(PngBytes(Qt::red).left(40)), "Could not load image. Invalid format");
    // A GIF whose header claims a huge picture is refused before anything is decoded.
    EXPECT_EQ(LoadError(ThreeFrameGif(0xFF, 0xFF)), "Could not load image. Invalid format");
}

TEST(PictureContainer, IdentifiersNamesAndCache) {
    TempDir dir;
    WriteFileBytes(dir.path() / "p.png", PngBytes(Qt::cyan).toStdString());
    HTMLPicture picture;
    picture.SetIdentifier("file://" + QString::fromStdString((dir.path() / "p.png").string()));
    EXPECT_EQ(picture.Image().pixelColor(0, 0), QColor(Qt::cyan));
    HTMLPicture remote;
    remote.SetIdentifier("http://pictures.example/a.png");
    EXPECT_TRUE(remote.Empty());
    EXPECT_EQ(remote.Location(), "http://pictures.example/a.png");

    PictureContainer container;
    container.Items.push_back({});
    container.Items.back().Name = "Logo";
    container.Items.back().Picture.LoadFromBytes(PngBytes(Qt::magenta));
    EXPECT_EQ(container.FindPicture("LOGO"), &container.Items.back().Picture);
    EXPECT_EQ(container.FindPicture("other"), nullptr);

    PictureList cache;
    const QString missing = "FILE://" + QString::fromStdString((dir.path() / "none.png").string());
    const HTMLPicture& first = cache.Picture(missing);
    EXPECT_TRUE(first.Empty());
    EXPECT_EQ(&cache.Picture(missing), &first);

    // Markup cells show container pictures by name and cached ones by address.
    HtmlContext context;
    context.Pictures = &container;
    context.PictureCache = &cache;
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QString file = "file://" + QString::fromStdString((dir.path() / "p.png").string());
    const HtmlResult shown =
        RenderHtml(&painter, "<IMG SRC=\"logo\"><IMG SRC=\"" + file + "\" WIDTH=\"5\" HEIGHT=\"2\">",
                   image.rect(), context);
    painter.end();
    EXPECT_EQ(shown.Width, 3 + 5);
    EXPECT_EQ(image.pixelColor(1, shown.Height - 1), QColor(Qt::magenta));
    EXPECT_EQ(image.pixelColor(4, shown.Height - 1), QColor(Qt::cyan));
    EXPECT_NE(cache.FindPicture(file), nullptr);
}
