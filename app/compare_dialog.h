#pragma once

#include <QDialog>

#include "app/compare.h"

class InventoryHost;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// Compares the inventory with a set file and lists what the user has of the set or still needs.
class CompareDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CompareDialog(InventoryHost& inventory, QWidget* parent = nullptr);

    // Shows the window modally, without the result of an earlier compare.
    void ShowEmpty();

    void BitBtn2Click(); // Have
    void BitBtn1Click(); // Need
    void BitBtn3Click(); // Save

    QLabel* Label1;
    // The compare result.
    QPlainTextEdit* Memo1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn3;
    QCheckBox* CheckBox1; // "Color does not matter"

  private:
    void RunCompare(CompareMode mode);

    InventoryHost& inventory_;
};
