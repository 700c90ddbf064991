#include "app/about_box.h"

#include <QBitmap>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

#include "app/program_version.h"
#include "app/string_utils.h"
#include "ui/controls/shaped_form.h"
#include "ui/kit/kit_scroll_text.h"

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

QStringList Credits() {
    return {"Tessarin",
            "V 0.0.0",
            "",
            "Keeps your inventories of parts",
            "and compares them with sets.",
            "",
            "Written by the Tessarin developers.",
            "Thanks to everyone who sent in",
            "inventories, colours and part lists."};
}

} // namespace

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent), ShapedForm1(new ShapedForm(this)), KitScrollText1(new KitScrollText(this)),
      MouseRegion1(new MouseRegion(this)) {
    const QImage picture = AboutPicture();
    setFixedSize(picture.size());
    ShapedForm1->setObjectName(QStringLiteral("ShapedForm1"));
    ShapedForm1->SetPicture(QPixmap::fromImage(picture));
    // The window takes the outline of its picture's opaque pixels.
    ShapedForm1->SetMask(QRegion(QBitmap::fromImage(picture.createAlphaMask())));

    KitScrollText1->setObjectName(QStringLiteral("KitScrollText1"));
    KitScrollText1->SetLines(Credits());
    KitScrollText1->SetInterval(300);
    KitScrollText1->SetTransparent(true);
    KitScrollText1->FontColor = clPurple;
    QFont font = KitScrollText1->font();
    font.setPixelSize(17);
    KitScrollText1->setFont(font);
    KitScrollText1->setGeometry(rect().adjusted(16, kStudHeight + 12, -16, -12));

    // On top of everything, so a click anywhere closes the box instead of moving it.
    MouseRegion1->setObjectName(QStringLiteral("MouseRegion1"));
    MouseRegion1->setGeometry(rect());
    connect(MouseRegion1, &MouseRegion::OnClick, this, &QDialog::accept); // unguarded: Qt's own slot

    if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

void AboutBox::ShowAbout() {
    QStringList lines = KitScrollText1->Lines();
    for (QString& line : lines)
        line = ReplaceAll(line, QStringLiteral("0.0.0"), QString::fromLatin1(ProgramVersion));
    KitScrollText1->SetLines(lines);
    exec();
}

// Each showing starts the credits again from the bottom.
void AboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    KitScrollText1->SetScroll(true);
}

void AboutBox::hideEvent(QHideEvent* event) {
    KitScrollText1->SetScroll(false);
    QDialog::hideEvent(event);
}
