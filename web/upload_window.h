#pragma once

#include <QDialog>

class UploadWindow : public QDialog {
    Q_OBJECT
  public:
    explicit UploadWindow(QWidget* parent = nullptr);
};
