#include "print/report/print_bar_form.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>

#include "platform/ui.h"

PrintBarForm::PrintBarForm(QWidget* parent) : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog) {
    setObjectName("PrintBarForm");
    setFixedSize(287, 87);
    setWindowModality(Qt::ApplicationModal);
    setAutoFillBackground(true);
    setPalette(QPalette(QColor(128, 0, 0)));

    PrintPanel = new QFrame(this);
    PrintPanel->setObjectName("PrintPanel");
    PrintPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PrintPanel->setLineWidth(3);
    PrintPanel->setAutoFillBackground(true);
    PrintPanel->setGeometry(rect());

    PrintCaption = new QLabel(PrintPanel);
    PrintCaption->setObjectName("PrintCaption");
    PrintCaption->setAlignment(Qt::AlignCenter);
    QFont bold(QStringLiteral("Arial"));
    bold.setBold(true);
    PrintCaption->setFont(bold);
    PrintCaption->setGeometry(8, 8, width() - 16, 20);

    Panel2 = new QFrame(PrintPanel);
    Panel2->setObjectName("Panel2");
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setAutoFillBackground(true);
    Panel2->setPalette(QPalette(Qt::white));
    Panel2->setGeometry(8, 32, width() - 16, 22);

    PrintBar = new QProgressBar(Panel2);
    PrintBar->setObjectName("PrintBar");
    PrintBar->setRange(0, 100);
    PrintBar->setTextVisible(false);
    PrintBar->setGeometry(2, 2, Panel2->width() - 4, Panel2->height() - 4);

    CancelBtn = new QPushButton(QStringLiteral("Cancel"), PrintPanel);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setGeometry((width() - 75) / 2, 58, 75, 24);
    CancelBtn->hide();
    connect(CancelBtn, &QPushButton::clicked, this, &PrintBarForm::Cancelled); // unguarded: signal to signal
}

void PrintBarForm::SetCaption(const QString& text) {
    PrintCaption->setText(text);
    Refresh();
}

void PrintBarForm::SetPosition(int position) {
    PrintBar->setValue(std::clamp(position, PrintBar->minimum(), PrintBar->maximum()));
    Refresh();
}

void PrintBarForm::StepBy(int step) {
    SetPosition(std::min(PrintBar->value() + step, PrintBar->maximum()));
}

void PrintBarForm::ShowHandIn(double waited) {
    static const QString caption = QStringLiteral("Waiting for the print system.......");
    if (PrintCaption->text() != caption) PrintCaption->setText(caption);
    SetPosition(static_cast<int>(std::lround(waited * PrintBar->maximum())));
}

void PrintBarForm::reject() {
    if (!CancelBtn->isHidden()) emit Cancelled();
}

void PrintBarForm::Refresh() {
    repaint();
    // Application-modal: the pump can deliver nothing but this window's Cancel and repaints.
    if (isVisible()) ProcessMessages();
}
