#include "app/about_box.h"

#include <QBitmap>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

#include "app/program_version.h"
#include "app/string_utils.h"

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

// The window takes the outline of its picture's opaque pixels.
void ShapeFromPicture(QWidget* window, const QImage& picture) {
    window->setMask(QBitmap::fromImage(picture.createAlphaMask()));
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
    : QDialog(parent, Qt::FramelessWindowHint), KitScrollText1(new QLabel(Credits(), this)),
      picture_(AboutPicture()) {
    KitScrollText1->setObjectName(QStringLiteral("KitScrollText1"));
    KitScrollText1->setAlignment(Qt::AlignCenter);
    KitScrollText1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    // Every press lands on the box itself, wherever it is.
    KitScrollText1->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, kStudHeight + 12, 16, 12);
    column->addWidget(KitScrollText1);

    setFixedSize(picture_.size());
    ShapeFromPicture(this, picture_);
    if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

void AboutBox::ShowAbout() {
    KitScrollText1->setText(
        ReplaceAll(KitScrollText1->text(), QStringLiteral("0.0.0"), QString::fromLatin1(ProgramVersion)));
    exec();
}

void AboutBox::paintEvent(QPaintEvent*) {
    QPainter(this).drawImage(0, 0, picture_);
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    accept();
}
