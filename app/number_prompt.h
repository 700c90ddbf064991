#pragma once

#include <QDialog>

class NumberPrompt : public QDialog {
    Q_OBJECT
  public:
    explicit NumberPrompt(QWidget* parent = nullptr);

    // The number the user enters after the prompt; 0 when cancelled or empty.
    int AskCount(const QString& prompt);
};
