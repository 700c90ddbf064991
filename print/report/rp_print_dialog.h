#pragma once

#include <QDialog>
#include <QString>

#include "platform/print/printer_lookup.h"

class QComboBox;
class QDialogButtonBox;
class QRadioButton;
class QSpinBox;

// What the print dialog chooses: a printer of the system or the PDF file, the copies and the pages from ..
// to.
struct RpPrintChoice {
    QString Printer;
    int Copies = 1;
    int From = 1;
    int To = 1;
};

// The report's print dialog, fed by the printer lookup's answer so that it never asks the print system
// itself: the printer or the PDF file, the number of copies and all pages or a range of them.
class RpPrintDialog : public QDialog {
    Q_OBJECT
  public:
    RpPrintDialog(const PrinterList& printers, int pageCount, const RpPrintChoice& choice,
                  QWidget* parent = nullptr);
    RpPrintChoice Choice() const;

    QComboBox* PrinterBox;
    QSpinBox* CopiesEdit;
    QRadioButton* AllPages;
    QRadioButton* PageRange;
    QSpinBox* FromPage;
    QSpinBox* ToPage;
    QDialogButtonBox* Buttons;

  private:
    int pageCount_;
};
