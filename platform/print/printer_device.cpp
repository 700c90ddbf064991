#include "platform/print/printer_device.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/print/pdf_file_device.h"
#include "platform/print/print_worker.h"

// A finished document on its way into the print system, shared with the worker that hands it in.
struct PrinterDevice::HandIn {
    // Whoever moves it on from Waiting decides: the worker hands the job in, or the job is given up.
    enum Stage { Waiting, Submitting, Abandoned };

    PrintJob job;
    // The worker begins no hand-in after it, whatever the window is doing meanwhile.
    std::chrono::steady_clock::time_point deadline;

    std::mutex lock;
    std::condition_variable done;
    Stage stage = Waiting;
    bool finished = false;
    QString failure;

    // On the worker.
    void Run(const Spooler& spool) {
        const QString outcome = spool(job, [this] { return BeginHandIn(); });
        {
            const std::lock_guard guard(lock);
            finished = true;
            failure = outcome;
        }
        done.notify_all();
    }

    bool BeginHandIn() {
        const std::lock_guard guard(lock);
        if (stage == Waiting) stage = std::chrono::steady_clock::now() < deadline ? Submitting : Abandoned;
        return stage == Submitting;
    }
};

PrinterDevice::PrinterDevice(PrinterFacts facts, Spooler spool)
    : facts_(std::move(facts)), spool_(std::move(spool)) {
    SetPaper(facts_.DefaultPaper);
    SetOrientation(facts_.DefaultOrientation);
}

PrinterDevice::~PrinterDevice() {
    Abort();
}

QMarginsF PrinterDevice::UnprintableInches() const {
    const QMarginsF portrait = facts_.UnprintableInches;
    if (Orientation() == PrintOrientation::Portrait) return portrait;
    // A page turned counter-clockwise onto the sheet has the sheet's bottom border at its left; turned
    // clockwise, at its right. Where the turn is not told, each edge keeps clear whichever it may meet.
    const QMarginsF counterClockwise(portrait.bottom(), portrait.left(), portrait.top(), portrait.right());
    const QMarginsF clockwise(portrait.top(), portrait.right(), portrait.bottom(), portrait.left());
    switch (facts_.Turn) {
    case LandscapeTurn::CounterClockwise:
        return counterClockwise;
    case LandscapeTurn::Clockwise:
        return clockwise;
    case LandscapeTurn::Unknown:
        break;
    }
    return {std::max(counterClockwise.left(), clockwise.left()),
            std::max(counterClockwise.top(), clockwise.top()),
            std::max(counterClockwise.right(), clockwise.right()),
            std::max(counterClockwise.bottom(), clockwise.bottom())};
}

QPaintDevice& PrinterDevice::OpenDocument(const QPageLayout& layout) {
    document_.close();
    document_.setData(QByteArray());
    document_.open(QIODevice::WriteOnly);
    writer_ = OpenPdfWriter(document_, layout, facts_.Dpi, Title());
    return *writer_;
}

void PrinterDevice::DiscardDocument() {
    if (painter_.isActive()) painter_.end();
    writer_.reset();
    document_.close();
    document_.setData(QByteArray());
}

void PrinterDevice::CloseDocument() {
    writer_.reset();
    document_.close();
    const auto handIn = std::make_shared<HandIn>();
    handIn->job = {facts_.Name, Title(), CurrentPaper(), options_, facts_.SavedOptions, document_.data()};
    document_.setData(QByteArray());
    handIn->deadline = std::chrono::steady_clock::now() + EndWait();
    StartPrintWorker([handIn, spool = spool_] { handIn->Run(spool); });

    bool cancelled = false;
    const auto hear = [this, &cancelled](double waited) {
        cancelled = WhileEnding() && !WhileEnding()(waited);
        return !cancelled;
    };
    // The outcome is the job's, not the wait's: it may have gone in while the user was asked to give it up.
    AwaitPrintWorker(
        handIn->lock, handIn->done, [&handIn] { return handIn->finished; }, EndWait(), hear);
    // A hand-in under way when the user gave the job up may still end within the limit, and tell how it went.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(handIn->deadline -
                                                                            std::chrono::steady_clock::now());
    if (cancelled && left.count() > 0)
        AwaitPrintWorker(
            handIn->lock, handIn->done,
            [&handIn] { return handIn->finished || handIn->stage != HandIn::Submitting; }, left);
    const std::lock_guard guard(handIn->lock);
    // Whatever stopped the print system, nothing was printed: the document may still go to a file.
    if (handIn->finished && !handIn->failure.isEmpty())
        throw EPrintNotTaken(handIn->failure, handIn->job.Pdf);
    if (handIn->finished && handIn->stage != HandIn::Abandoned) return;
    if (handIn->stage == HandIn::Waiting) handIn->stage = HandIn::Abandoned;
    if (handIn->stage == HandIn::Submitting)
        throw EPrintError("The print system did not confirm the job. It may still be printed.");
    if (cancelled) throw EPrintCancelled("Nothing was printed.");
    throw EPrintNotTaken(QStringLiteral("The print system did not take the job in %1 seconds.")
                             .arg(std::chrono::duration<double>(EndWait()).count()),
                         handIn->job.Pdf);
}
