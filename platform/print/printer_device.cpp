#include "platform/print/printer_device.h"

#include <QPrinterInfo>

PrinterDevice::PrinterDevice() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    printer_->setFullPage(true);
    const QPageLayout own = printer_->pageLayout();
    SetPaper({own.pageSize().windowsId(), own.pageSize().size(QPageSize::Inch)});
    SetOrientation(own.orientation() == QPageLayout::Landscape ? PrintOrientation::Landscape
                                                               : PrintOrientation::Portrait);
}

PrinterDevice::~PrinterDevice() {
    Abort();
}

bool PrinterDevice::ColorCapable() const {
    if (printer_->outputFormat() == QPrinter::PdfFormat) return true;
    return QPrinterInfo(*printer_).supportedColorModes().contains(QPrinter::Color);
}

QPaintDevice& PrinterDevice::OpenDocument(const QPageLayout& layout) {
    // The dialog may have chosen another sheet; the document's own wins.
    printer_->setFullPage(true);
    if (!printer_->setPageLayout(layout)) throw EPrintError("The printer does not take this paper.");
    printer_->setDocName(Title());
    if (!printer_->outputFileName().isEmpty()) RequireFileOrNothing(printer_->outputFileName().toStdString());
    return *printer_;
}

QMarginsF PrinterDevice::UnprintableInches() const {
    QPageLayout layout = printer_->pageLayout();
    layout.setUnits(QPageLayout::Inch);
    return layout.minimumMargins();
}
