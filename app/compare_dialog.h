#pragma once

#include <QDialog>

class QPlainTextEdit;

class CompareDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CompareDialog(QWidget* parent = nullptr);

    // The compare result; the main window empties it before each compare.
    QPlainTextEdit* Memo1;
};
