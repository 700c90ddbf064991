#pragma once

#include <QDialog>

class NumberPrompt : public QDialog {
    Q_OBJECT
  public:
    explicit NumberPrompt(QWidget* parent = nullptr);
};
