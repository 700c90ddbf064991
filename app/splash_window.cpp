#include "app/splash_window.h"

#include <QFont>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      Label1(new QLabel(QStringLiteral("Loading Master.txt"), this)),
      Label2(new QLabel(QStringLiteral("Tessarin"), this)), Label3(new QLabel(this)) {
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont title = Label2->font();
    title.setPointSize(28);
    title.setBold(true);
    Label2->setFont(title);
    auto* column = new QVBoxLayout(this);
    column->addWidget(Label2, 0, Qt::AlignCenter);
    column->addWidget(Label3, 0, Qt::AlignCenter);
    column->addWidget(Label1);
    setFixedSize(360, 180);
}

void SplashWindow::showEvent(QShowEvent* event) {
    if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
    QWidget::showEvent(event);
}

void SplashWindow::ShowLoading(const QString& version) {
    Label3->setText(version);
    show();
    repaint();
}

void SplashWindow::ShowProgress() {
    Label1->setText(Label1->text() + QStringLiteral(" ."));
    // The text grows with the list: repainting it for every dot would cost more than reading the list.
    if (sinceRepaint_.isValid() && sinceRepaint_.elapsed() < 16) return;
    sinceRepaint_.start();
    Label1->repaint();
}
