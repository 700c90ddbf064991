#include "web/upload_window.h"

UploadWindow::UploadWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Peeron Inventory Upload"));
}
