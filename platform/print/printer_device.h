#pragma once

#include <QPrinter>
#include <memory>

#include "platform/print/print_device.h"

// A printer of the system (or Qt's print-to-file output when the print dialog chose it), printing on the
// whole sheet.
class PrinterDevice : public PrintDevice {
  public:
    // The system's default printer, with its own paper and orientation.
    PrinterDevice();
    ~PrinterDevice() override;

    bool ColorCapable() const override;
    int DpiX() const override { return printer_->resolution(); }
    int DpiY() const override { return printer_->resolution(); }
    QPrinter* QtPrinter() override { return printer_.get(); }

  protected:
    QPaintDevice& OpenDocument(const QPageLayout& layout) override;
    bool StartNextPage() override { return printer_->newPage(); }
    void DiscardDocument() override { printer_->abort(); }
    QMarginsF UnprintableInches() const override;

  private:
    std::unique_ptr<QPrinter> printer_;
};
