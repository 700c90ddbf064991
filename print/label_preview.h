#pragma once

#include <QDialog>

class LabelPreview : public QDialog {
    Q_OBJECT
  public:
    explicit LabelPreview(QWidget* parent = nullptr);
};
