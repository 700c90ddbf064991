#include "app/about_box.h"

#include <QBitmap>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

#include "app/program_version.h"
#include "app/string_utils.h"
#include "ui/shaped_window.h"

namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 260;
constexpr int kStudHeight = 28;

// A brick seen from the front: four studs on top of a rounded body, transparent around it.
QImage AboutPicture() {
    QImage picture(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor red(0xB4, 0x00, 0x00);
    QLinearGradient shade(0, 0, 0, kHeight);
    shade.setColorAt(0, red.lighter(135));
    shade.setColorAt(1, red.darker(140));
    painter.setBrush(shade);
    painter.setPen(QPen(red.darker(180), 2));
    constexpr int studs = 4, studWidth = 48;
    const int gap = (kWidth - studs * studWidth) / studs;
    for (int i = 0; i < studs; ++i)
        painter.drawRoundedRect(QRectF(gap / 2 + i * (studWidth + gap), 2, studWidth, kStudHeight + 8), 6, 6);
    painter.drawRoundedRect(QRectF(1, kStudHeight, kWidth - 2, kHeight - kStudHeight - 1), 14, 14);
    return picture;
}

QString Credits() {
    return QStringLiteral("Tessarin\n"
                          "V 0.0.0\n\n"
                          "Keeps your inventories of parts\n"
                          "and compares them with sets.\n\n"
                          "Written by the Tessarin developers.\n"
                          "Thanks to everyone who sent in\n"
                          "inventories, colours and part lists.");
}

} // namespace

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent), ShapedForm1(new ShapedWindow(this)), KitScrollText1(new QLabel(Credits(), this)),
      MouseRegion1(new MouseRegion(this)) {
    const QImage picture = AboutPicture();
    setFixedSize(picture.size());
    ShapedForm1->setObjectName(QStringLiteral("ShapedForm1"));
    ShapedForm1->SetPicture(QPixmap::fromImage(picture));
    // The window takes the outline of its picture's opaque pixels.
    ShapedForm1->SetMask(QRegion(QBitmap::fromImage(picture.createAlphaMask())));

    KitScrollText1->setObjectName(QStringLiteral("KitScrollText1"));
    KitScrollText1->setAlignment(Qt::AlignCenter);
    KitScrollText1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    KitScrollText1->setGeometry(rect().adjusted(16, kStudHeight + 12, -16, -12));

    // On top of everything, so a click anywhere closes the box instead of moving it.
    MouseRegion1->setObjectName(QStringLiteral("MouseRegion1"));
    MouseRegion1->setGeometry(rect());
    connect(MouseRegion1, &MouseRegion::OnClick, this, &QDialog::accept);

    if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

void AboutBox::ShowAbout() {
    KitScrollText1->setText(
        ReplaceAll(KitScrollText1->text(), QStringLiteral("0.0.0"), QString::fromLatin1(ProgramVersion)));
    exec();
}
