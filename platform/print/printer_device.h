#pragma once

#include <QBuffer>
#include <QPdfWriter>
#include <memory>

#include "platform/print/print_device.h"
#include "platform/print/print_system.h"
#include "platform/print/printer_lookup.h"

// A printer of the system that never waits for the print system on the interface thread: its geometry is
// what the printer lookup read, the pages are drawn into a PDF document at the printer's resolution, and
// EndDoc hands it to the print system on a worker, waiting no longer than EndWait. A job given up is never
// handed in later. Prints on the whole sheet.
class PrinterDevice : public PrintDevice {
  public:
    // Hands the job to the print system; tests give their own spooler.
    explicit PrinterDevice(PrinterFacts facts, Spooler spool = SpoolToPrintSystem);
    ~PrinterDevice() override;

    const PrinterFacts& Facts() const { return facts_; }
    // Another printer, from the next job on.
    void SetFacts(PrinterFacts facts) { facts_ = std::move(facts); }
    const PrinterJobOptions& JobOptions() const { return options_; }
    void SetJobOptions(const PrinterJobOptions& options) { options_ = options; }

    bool ColorCapable() const override { return facts_.Color; }
    int DpiX() const override { return facts_.Dpi; }
    int DpiY() const override { return facts_.Dpi; }

  protected:
    QPaintDevice& OpenDocument(const QPageLayout& layout) override;
    bool StartNextPage() override { return writer_->newPage(); }
    void CloseDocument() override;
    void DiscardDocument() override;
    QMarginsF UnprintableInches() const override;

  private:
    struct HandIn;

    PrinterFacts facts_;
    Spooler spool_;
    PrinterJobOptions options_;
    QBuffer document_;
    std::unique_ptr<QPdfWriter> writer_;
};
