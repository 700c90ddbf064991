#pragma once

#include <QDialog>

class AddPartDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AddPartDialog(QWidget* parent = nullptr);
};
