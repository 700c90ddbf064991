#include "print/report/rp_print_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSpinBox>

#include "platform/print/pdf_file_device.h"
#include "ui/kit/make_named.h"

namespace {

QSpinBox* NumberEdit(QWidget* parent, const char* name, int maximum, int value) {
    auto* edit = MakeNamed<QSpinBox>(parent, name);
    edit->setRange(1, maximum);
    edit->setValue(value);
    return edit;
}

} // namespace

RpPrintDialog::RpPrintDialog(const PrinterList& printers, int pageCount, const RpPrintChoice& choice,
                             QWidget* parent)
    : QDialog(parent), pageCount_(pageCount) {
    setObjectName("PrintDialog1");
    setWindowTitle(QStringLiteral("Print"));
    PrinterBox = MakeNamed<QComboBox>(this, "PrinterBox");
    PrinterBox->addItems(printers.Names());
    PrinterBox->addItem(PdfFileOutputName());
    PrinterBox->setCurrentText(choice.Printer);
    CopiesEdit = NumberEdit(this, "CopiesEdit", 999, choice.Copies);
    AllPages = MakeNamed<QRadioButton>(this, "AllPages", QStringLiteral("&All"));
    PageRange = MakeNamed<QRadioButton>(this, "PageRange", QStringLiteral("Pa&ges"));
    FromPage = NumberEdit(this, "FromPage", pageCount, choice.From);
    ToPage = NumberEdit(this, "ToPage", pageCount, choice.To);
    const bool whole = choice.From <= 1 && choice.To >= pageCount;
    (whole ? AllPages : PageRange)->setChecked(true);
    FromPage->setEnabled(!whole);
    ToPage->setEnabled(!whole);
    // unguarded: Qt's own slot
    connect(PageRange, &QRadioButton::toggled, FromPage, &QWidget::setEnabled);
    // unguarded: Qt's own slot
    connect(PageRange, &QRadioButton::toggled, ToPage, &QWidget::setEnabled);

    auto* range = new QHBoxLayout;
    range->addWidget(PageRange);
    range->addWidget(FromPage);
    range->addWidget(ToPage);
    Buttons = MakeNamed<QDialogButtonBox>(this, "Buttons", QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    // unguarded: Qt's own slot
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    // unguarded: Qt's own slot
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Printer:"), PrinterBox);
    form->addRow(QStringLiteral("&Copies:"), CopiesEdit);
    form->addRow(QStringLiteral("Print range:"), AllPages);
    form->addRow(QString(), range);
    form->addRow(Buttons);
}

RpPrintChoice RpPrintDialog::Choice() const {
    if (AllPages->isChecked()) return {PrinterBox->currentText(), CopiesEdit->value(), 1, pageCount_};
    return {PrinterBox->currentText(), CopiesEdit->value(), FromPage->value(), ToPage->value()};
}
