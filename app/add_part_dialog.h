#pragma once

#include <QDialog>
#include <array>

#include "app/color_table.h"

class InventoryModel;
class UserPrompts;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Add to Inventory": adds one part to the inventory with a colour picked from the swatch grid or the
// colour box, a quantity, a bag and notes.
class AddPartDialog : public QDialog {
    Q_OBJECT
  public:
    // The swatches and the colour box show the colours as the table holds them now.
    AddPartDialog(UserPrompts& prompts, const ColorTable& colours, InventoryModel& inventory,
                  QWidget* parent = nullptr);

    // Shows the window modally for a part of the master list.
    void ShowPartDialog(const QString& partNumber, const QString& description);
    // Shows the window modally for a part typed by hand.
    void ShowUndefinedPartDialog();
    bool UndefinedMode() const { return undefined_; }

    void Image321Click(int slot);
    void ComboBox1Change();
    void BitBtn2Click(); // OK
    void BitBtn1Click(); // Cancel

    QLabel* PN;
    QLabel* DES;
    QLineEdit* Edit2; // quantity
    QLineEdit* Edit1; // bag
    QPlainTextEdit* Memo1;
    QLineEdit* Edit3; // part number in undefined mode
    QLineEdit* Edit4; // description in undefined mode
    QLabel* Label4;
    QLabel* Label5;
    QComboBox* ComboBox1;
    std::array<QLabel*, ColorTable::kSlots> Swatches{}; // Image321 .. Image32113
    QLabel* Image3281;                                  // preview of the chosen colour
    QCheckBox* CheckBox1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

  signals:
    // A row was added and the inventory marked modified.
    void RowAdded();

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    void CreateControls();
    void FillSwatches();
    void SetUndefinedMode(bool undefined);
    void ShowPreview(int slot);
    void FitDescription();

    UserPrompts& prompts_;
    const ColorTable& colours_;
    InventoryModel& inventory_;
    bool undefined_ = false;
};
