#pragma once

#include <QPrinter>
#include <functional>
#include <memory>
#include <vector>

#include "platform/print/print_device.h"
#include "platform/print/printer_lookup.h"

enum class PrintDuplex { None, LongSide, ShortSide };

// What a job asks of a printer beyond the sheet.
struct PrinterJobOptions {
    int Copies = 1;
    bool Collate = false;
    PrintDuplex Duplex = PrintDuplex::None;
    bool Monochrome = false;
};

// A printer of the system that never waits for the print system on the interface thread: its geometry is
// what the printer lookup read, the pages are recorded as they are drawn, and EndDoc hands them to the
// print system on a worker, waiting no longer than EndWait. A job given up is never handed in later. Prints
// on the whole sheet.
class PrinterDevice : public PrintDevice {
  public:
    // Opens the printer of that name, on the worker; tests open their own.
    using Opener = std::function<std::unique_ptr<QPrinter>(const QString& name)>;
    static std::unique_ptr<QPrinter> OpenSystemPrinter(const QString& name);

    explicit PrinterDevice(PrinterFacts facts, Opener open = OpenSystemPrinter);
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
    bool StartNextPage() override;
    void CloseDocument() override;
    void DiscardDocument() override;
    QMarginsF UnprintableInches() const override { return facts_.UnprintableInches; }

  private:
    class PageRecording;
    struct HandIn;
    QPaintDevice& AddPage();

    PrinterFacts facts_;
    Opener open_;
    PrinterJobOptions options_;
    QPageLayout layout_;
    std::vector<std::unique_ptr<PageRecording>> pages_;
};
