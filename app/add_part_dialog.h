#pragma once

#include <QDialog>
#include <array>

#include "app/color_table.h"

class InventoryModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class UserPrompts;

// "Add to Inventory": owns the colour table and adds one part with a colour picked from the swatch grid
// or the colour box, a quantity, a bag and notes.
class AddPartDialog : public QDialog {
    Q_OBJECT
  public:
    // Reads colors.txt of the data folder; what is wrong with it goes to the prompts.
    explicit AddPartDialog(UserPrompts& prompts, QWidget* parent = nullptr);

    const ColorTable& Colours() const { return colours_; }
    // Where OK adds its row; without one OK adds nothing.
    void SetInventory(InventoryModel* inventory) { inventory_ = inventory; }

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
    ColorTable colours_;
    InventoryModel* inventory_ = nullptr;
    bool undefined_ = false;
};
