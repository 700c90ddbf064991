#include "platform/print/printer_device.h"

#include <QPicture>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>

#include "platform/print/print_worker.h"

// One page as drawn: a device of the printer's resolution and sheet, so that fonts and positions come out
// as they will be printed.
class PrinterDevice::PageRecording : public QPicture {
  public:
    PageRecording(QSize pixels, int dpi) : pixels_(pixels), dpi_(dpi) {}

  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return pixels_.width();
        case PdmHeight:
            return pixels_.height();
        case PdmWidthMM:
            return static_cast<int>(std::lround(pixels_.width() * 25.4 / dpi_));
        case PdmHeightMM:
            return static_cast<int>(std::lround(pixels_.height() * 25.4 / dpi_));
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi_;
        default:
            return QPicture::metric(metric);
        }
    }

  private:
    QSize pixels_;
    int dpi_;
};

// A finished document on its way into the print system, shared with the worker that hands it in.
struct PrinterDevice::HandIn {
    // Whoever moves it on from Waiting decides: the worker hands the job in, or the window has given up.
    enum Stage { Waiting, Submitting, Abandoned };

    QString printerName;
    QPageLayout layout;
    // Playing a picture scales it by the target's resolution over the default one: with this, one unit of
    // the recording is one pixel of its own resolution on any printer.
    double playScale = 1;
    QString title;
    PrinterJobOptions options;
    std::vector<QPicture> pages;

    std::atomic<Stage> stage = Waiting;
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    QString failure;

    // On the worker.
    void Run(const Opener& open) {
        const QString outcome = Print(open);
        {
            const std::lock_guard guard(lock);
            finished = true;
            failure = outcome;
        }
        done.notify_all();
    }

    // Why the job failed; empty when it went in or was given up.
    QString Print(const Opener& open) {
        const std::unique_ptr<QPrinter> printer = open(printerName);
        if (!printer) return QStringLiteral("The printer %1 cannot be opened.").arg(printerName);
        if (!printer->setPageLayout(layout)) return QStringLiteral("The printer does not take this paper.");
        printer->setDocName(title);
        printer->setCopyCount(options.Copies);
        printer->setCollateCopies(options.Collate);
        printer->setDuplex(options.Duplex == PrintDuplex::LongSide    ? QPrinter::DuplexLongSide
                           : options.Duplex == PrintDuplex::ShortSide ? QPrinter::DuplexShortSide
                                                                      : QPrinter::DuplexNone);
        printer->setColorMode(options.Monochrome ? QPrinter::GrayScale : QPrinter::Color);
        Stage waiting = Waiting;
        // A painter that begins on a printer hands the job in when it ends, whatever happens between.
        if (!stage.compare_exchange_strong(waiting, Submitting)) return {};
        QPainter painter;
        if (!painter.begin(printer.get())) return QStringLiteral("The print job could not start.");
        for (size_t page = 0; page < pages.size(); ++page) {
            if (page > 0 && !printer->newPage())
                return QStringLiteral("The printer could not start a new page.");
            painter.save();
            painter.scale(playScale, playScale);
            painter.drawPicture(0, 0, pages[page]);
            painter.restore();
        }
        if (!painter.end()) return QStringLiteral("The print job could not be completed.");
        return {};
    }
};

std::unique_ptr<QPrinter> PrinterDevice::OpenSystemPrinter(const QString& name) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setPrinterName(name);
    return printer;
}

PrinterDevice::PrinterDevice(PrinterFacts facts, Opener open)
    : facts_(std::move(facts)), open_(std::move(open)) {
    SetPaper(facts_.DefaultPaper);
    SetOrientation(facts_.DefaultOrientation);
}

PrinterDevice::~PrinterDevice() {
    Abort();
}

QPaintDevice& PrinterDevice::OpenDocument(const QPageLayout& layout) {
    layout_ = layout;
    pages_.clear();
    return AddPage();
}

bool PrinterDevice::StartNextPage() {
    painter_.end();
    return painter_.begin(&AddPage());
}

QPaintDevice& PrinterDevice::AddPage() {
    return *pages_.emplace_back(std::make_unique<PageRecording>(PageRect().size(), facts_.Dpi));
}

void PrinterDevice::DiscardDocument() {
    if (painter_.isActive()) painter_.end();
    pages_.clear();
}

void PrinterDevice::CloseDocument() {
    const auto job = std::make_shared<HandIn>();
    job->printerName = facts_.Name;
    job->layout = layout_;
    // A plain picture reports the default resolution.
    job->playScale = QPicture().logicalDpiX() / double(facts_.Dpi);
    job->title = Title();
    job->options = options_;
    // The worker's pictures must be the only ones sharing their data.
    for (const std::unique_ptr<PageRecording>& page : pages_)
        job->pages.push_back(*page);
    pages_.clear();
    StartPrintWorker([job, open = open_] { job->Run(open); });

    bool cancelled = false;
    const auto hear = [this, &cancelled](double waited) {
        cancelled = WhileEnding() && !WhileEnding()(waited);
        return !cancelled;
    };
    if (AwaitPrintWorker(
            job->lock, job->done, [&job] { return job->finished; }, EndWait(), hear)) {
        const std::lock_guard guard(job->lock);
        if (!job->failure.isEmpty()) throw EPrintError(job->failure.toStdString());
        return;
    }
    HandIn::Stage waiting = HandIn::Waiting;
    if (!job->stage.compare_exchange_strong(waiting, HandIn::Abandoned))
        throw EPrintError("The print system did not confirm the job. It may still be printed.");
    if (cancelled) throw EPrintCancelled("Nothing was printed.");
    throw EPrintError(
        QStringLiteral("The print system did not take the job in %1 seconds. Nothing was printed.")
            .arg(std::chrono::duration<double>(EndWait()).count())
            .toStdString());
}
