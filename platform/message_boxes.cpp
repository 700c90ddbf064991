#include "platform/message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

void MessageBoxes::Show(const QString& text) {
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(), text);
}

bool MessageBoxes::AskYesNo(const QString& text) {
    return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
