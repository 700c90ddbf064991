#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a whole number of up to five digits.
class NumberPrompt : public QDialog {
    Q_OBJECT
  public:
    explicit NumberPrompt(QWidget* parent = nullptr);

    // How many files to open; the previous answer is offered again. 0 when cancelled or left empty.
    int AskCount(const QString& prompt);
    // A set number; the chosen set suffix stays in ComboBox1. 0 when cancelled or left empty.
    int AskSetNumber(const QString& prompt);
    // The set suffix chosen beside the last set number.
    QString SetSuffix() const;

    QLabel* Label1;
    QLineEdit* Edit1;
    QComboBox* ComboBox1; // set suffix, shown only while asking for a set number
    QPushButton* BitBtn1; // OK
    QPushButton* BitBtn2; // Cancel

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    int Ask(const QString& caption, const QString& prompt);
};
