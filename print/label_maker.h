#pragma once

#include <QDialog>

class LabelMaker : public QDialog {
    Q_OBJECT
  public:
    explicit LabelMaker(QWidget* parent = nullptr);
};
