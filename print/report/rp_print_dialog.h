#pragma once

#include <QDialog>
#include <QString>

#include "platform/print/printer_lookup.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QRadioButton;
class QSpinBox;

// What the print dialog chooses: a printer of the system or the PDF file, the copies, whether they are
// collated, and the pages from .. to. No printer given: the default printer once listed, else the PDF file.
struct RpPrintChoice {
    QString Printer;
    int Copies = 1;
    bool Collate = true;
    int From = 1;
    int To = 1;
};

// The report's print dialog, fed by the printer lookup's answers so that it never asks the print system
// itself: the printer or the PDF file, the number of copies and their collating, and all pages or a range
// of them. An answer that comes while it is open lists its printers, and chooses its default printer while
// the output was chosen by nobody; a printer chosen stays the choice while it is not listed.
class RpPrintDialog : public QDialog {
    Q_OBJECT
  public:
    RpPrintDialog(PrinterLookup& lookup, int pageCount, const RpPrintChoice& choice,
                  QWidget* parent = nullptr);
    RpPrintChoice Choice() const;

    QComboBox* PrinterBox;
    QSpinBox* CopiesEdit;
    QCheckBox* CollateBox;
    QRadioButton* AllPages;
    QRadioButton* PageRange;
    QSpinBox* FromPage;
    QSpinBox* ToPage;
    QDialogButtonBox* Buttons;

  private:
    void ListPrinters();
    // Copies and collating mean nothing to a PDF file.
    void ShowCopiesFor(const QString& output);

    PrinterLookup& lookup_;
    int pageCount_;
    QString chosen_; // the printer the dialog was opened for, or the user's pick; empty: the default
};
