#include "print/report/rp_print_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSpinBox>

#include "platform/print/pdf_file_device.h"
#include "ui/controls/combo_items.h"
#include "ui/kit/make_named.h"

namespace {

QSpinBox* NumberEdit(QWidget* parent, const char* name, int maximum, int value) {
    auto* edit = MakeNamed<QSpinBox>(parent, name);
    edit->setRange(1, maximum);
    edit->setValue(value);
    return edit;
}

} // namespace

RpPrintDialog::RpPrintDialog(PrinterLookup& lookup, int pageCount, const RpPrintChoice& choice,
                             QWidget* parent)
    : QDialog(parent), lookup_(lookup), pageCount_(pageCount), chosen_(choice.Printer) {
    setObjectName("PrintDialog1");
    setWindowTitle(QStringLiteral("Print"));
    PrinterBox = MakeNamed<QComboBox>(this, "PrinterBox");
    CopiesEdit = NumberEdit(this, "CopiesEdit", 999, choice.Copies);
    CollateBox = MakeNamed<QCheckBox>(this, "CollateBox", QStringLiteral("C&ollate"));
    CollateBox->setChecked(choice.Collate);
    ListPrinters();
    // unguarded: notes the user's pick only; the box's refills are no pick
    connect(PrinterBox, &QComboBox::activated, this,
            [this](int index) { chosen_ = PrinterBox->itemText(index); });
    // unguarded: enables two boxes only
    connect(PrinterBox, &QComboBox::currentTextChanged, this, &RpPrintDialog::ShowCopiesFor);
    // unguarded: lists the printers only
    connect(&lookup_, &PrinterLookup::Answered, this, &RpPrintDialog::ListPrinters);
    AskWhileNoneListed(*this, [this]() -> PrinterLookup& { return lookup_; });
    AllPages = MakeNamed<QRadioButton>(this, "AllPages", QStringLiteral("&All"));
    PageRange = MakeNamed<QRadioButton>(this, "PageRange", QStringLiteral("Pa&ges"));
    FromPage = NumberEdit(this, "FromPage", pageCount, choice.From);
    ToPage = NumberEdit(this, "ToPage", pageCount, choice.To);
    ToPage->setMinimum(FromPage->value());
    const bool whole = choice.From <= 1 && choice.To >= pageCount;
    (whole ? AllPages : PageRange)->setChecked(true);
    FromPage->setEnabled(!whole);
    ToPage->setEnabled(!whole);
    // unguarded: Qt's own slot
    connect(PageRange, &QRadioButton::toggled, FromPage, &QWidget::setEnabled);
    // unguarded: Qt's own slot
    connect(PageRange, &QRadioButton::toggled, ToPage, &QWidget::setEnabled);
    // unguarded: Qt's own slot; the last page printed is never before the first
    connect(FromPage, &QSpinBox::valueChanged, ToPage, &QSpinBox::setMinimum);

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
    form->addRow(QString(), CollateBox);
    form->addRow(QStringLiteral("Print range:"), AllPages);
    form->addRow(QString(), range);
    form->addRow(Buttons);
}

void RpPrintDialog::ListPrinters() {
    const std::optional<PrinterList> printers = lookup_.Answer();
    ShowComboItems(*PrinterBox, OutputNames(printers, chosen_), OutputName(printers, chosen_));
    ShowCopiesFor(PrinterBox->currentText());
}

void RpPrintDialog::ShowCopiesFor(const QString& output) {
    const bool printer = output != PdfFileOutputName();
    CopiesEdit->setEnabled(printer);
    CollateBox->setEnabled(printer);
}

RpPrintChoice RpPrintDialog::Choice() const {
    const bool all = AllPages->isChecked();
    return {PrinterBox->currentText(), CopiesEdit->value(), CollateBox->isChecked(),
            all ? 1 : FromPage->value(), all ? pageCount_ : ToPage->value()};
}
