#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include "ui/controls/shaped_form.h"

namespace {

QByteArray Stream(const QByteArray& data) {
    uchar size[4];
    qToLittleEndian(static_cast<quint32>(data.size()), size);
    return QByteArray(reinterpret_cast<const char*>(size), 4) + data;
}

} // namespace

TEST(ShapedForm, Mask2RoundTripsByteForByteAndShapesTheWindow) {
    QWidget about;
    about.resize(300, 200);
    ShapedForm picture(&about);
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(picture.geometry(), about.rect());

    const QRegion shape = QRegion(10, 0, 280, 200, QRegion::Ellipse);
    const QByteArray stream = Stream(RegionToData(shape));
    ASSERT_TRUE(picture.ReadMask2(stream));
    EXPECT_EQ(picture.WriteMask2(), stream);
    EXPECT_EQ(about.mask(), shape);
    EXPECT_EQ(RegionFromData(stream.mid(4)), shape);

    picture.SetPicture(QPixmap(300, 200)); // a new picture drops the old shape
    EXPECT_TRUE(about.mask().isEmpty());
    EXPECT_EQ(picture.WriteMask2(), QByteArray(4, '\0'));
}

TEST(ShapedForm, MalformedRegionDataLeavesTheWindowRectangular) {
    QWidget about;
    ShapedForm picture(&about);
    ASSERT_TRUE(picture.ReadMask2(QByteArray(4, '\0'))); // size 0: no region
    EXPECT_TRUE(about.mask().isEmpty());

    const QByteArray good = RegionToData(QRegion(0, 0, 50, 40));
    auto corrupt = [&](qsizetype at, quint32 value) {
        QByteArray data = good;
        qToLittleEndian(value, reinterpret_cast<uchar*>(data.data()) + at);
        return data;
    };
    const QList<QByteArray> bad = {
        good.left(31),              // shorter than the header
        corrupt(0, 40),             // wrong header size
        corrupt(4, 2),              // not a rectangle list
        corrupt(8, 0x10000000),     // more rectangles than bytes
        corrupt(32, 60),            // left beyond right
        corrupt(44, 0x7fffffff),    // absurd coordinate
        good.left(good.size() - 1), // cut short
    };
    for (const QByteArray& data : bad) {
        EXPECT_FALSE(RegionFromData(data)) << data.toHex().toStdString();
        EXPECT_FALSE(picture.ReadMask2(Stream(data)));
        EXPECT_TRUE(about.mask().isEmpty());
    }
    QByteArray lying = Stream(good);
    qToLittleEndian<quint32>(1000, reinterpret_cast<uchar*>(lying.data())); // size beyond the stream
    EXPECT_FALSE(picture.ReadMask2(lying));
    EXPECT_FALSE(picture.ReadMask2(QByteArray(3, '\0')));
}

TEST(MouseRegion, AClickIsReported) {
    QWidget about;
    MouseRegion region(&about);
    EXPECT_EQ(region.size(), QSize(105, 105));
    QSignalSpy clicks(&region, &MouseRegion::OnClick);
    QTest::mouseClick(&region, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseClick(&region, Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_EQ(clicks.count(), 1);
}
