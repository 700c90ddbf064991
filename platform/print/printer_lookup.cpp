#include "platform/print/printer_lookup.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/print/print_worker.h"

namespace {

const QString kPdfInstead =
    QStringLiteral("The print system has not answered yet. Print to a PDF file instead?");

// Asks the printer itself: a worker's work, like every call that reaches the print system.
PrinterFacts ReadFacts(const QPrinterInfo& info) {
    PrinterFacts facts{info.printerName()};
    const QPrinter printer(info, QPrinter::HighResolution);
    if (printer.resolution() > 0) facts.Dpi = printer.resolution();
    QPageLayout layout = printer.pageLayout();
    if (layout.isValid()) {
        layout.setUnits(QPageLayout::Inch);
        facts.UnprintableInches = layout.minimumMargins();
        facts.DefaultPaper = {layout.pageSize().windowsId(), layout.pageSize().size(QPageSize::Inch)};
        facts.DefaultOrientation = layout.orientation() == QPageLayout::Landscape
                                       ? PrintOrientation::Landscape
                                       : PrintOrientation::Portrait;
    }
    const QList<QPrinter::ColorMode> modes = info.supportedColorModes();
    if (!modes.isEmpty()) facts.Color = modes.contains(QPrinter::Color);
    return facts;
}

} // namespace

QStringList PrinterList::Names() const {
    QStringList names;
    for (const PrinterFacts& printer : Printers)
        names << printer.Name;
    return names;
}

const PrinterFacts* PrinterList::Find(const QString& name) const {
    const auto found = std::find_if(Printers.begin(), Printers.end(),
                                    [&name](const PrinterFacts& printer) { return printer.Name == name; });
    return found == Printers.end() ? nullptr : &*found;
}

const PrinterFacts* PrinterList::Default() const {
    if (const PrinterFacts* printer = Find(DefaultPrinter)) return printer;
    return Printers.empty() ? nullptr : &Printers.front();
}

// Shared with the worker, which may outlive the lookup while the print system keeps it waiting.
struct PrinterLookup::State {
    std::mutex lock;
    std::condition_variable done;
    std::optional<PrinterList> answer;
    PrinterLookup* owner = nullptr; // cleared when the lookup goes
    bool started = false;
};

PrinterLookup::PrinterLookup(Source source) : source_(std::move(source)), state_(std::make_shared<State>()) {
    state_->owner = this;
}

PrinterLookup::~PrinterLookup() {
    std::lock_guard guard(state_->lock);
    state_->owner = nullptr;
}

PrinterLookup& PrinterLookup::System() {
    // Never destroyed: a worker still waiting on the print server at exit must find it.
    static auto* lookup = new PrinterLookup();
    return *lookup;
}

PrinterList PrinterLookup::AskPrintSystem() {
    PrinterList list{QPrinterInfo::defaultPrinterName(), {}};
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
        list.Printers.push_back(ReadFacts(info));
    return list;
}

void PrinterLookup::Start() {
    {
        std::lock_guard guard(state_->lock);
        if (state_->started) return;
        state_->started = true;
    }
    StartPrintWorker([state = state_, source = source_] {
        PrinterList list = source();
        std::lock_guard guard(state->lock);
        state->answer = std::move(list);
        state->done.notify_all();
        // Under the lock: the lookup cannot go away meanwhile, and the call is dropped if it goes later.
        if (PrinterLookup* owner = state->owner)
            QMetaObject::invokeMethod(owner, &PrinterLookup::Answered, Qt::QueuedConnection);
    });
}

std::optional<PrinterList> PrinterLookup::Answer() {
    Start();
    std::lock_guard guard(state_->lock);
    return state_->answer;
}

std::optional<PrinterList> PrinterLookup::Await(std::chrono::milliseconds timeout) {
    Start();
    AwaitPrintWorker(
        state_->lock, state_->done, [this] { return state_->answer.has_value(); }, timeout);
    return Answer();
}

std::optional<PrinterList> PrinterLookup::AwaitForJob(std::chrono::milliseconds timeout,
                                                      UserPrompts& prompts) {
    if (std::optional<PrinterList> answer = Answer()) return answer;
    if (prompts.AskYesNo(kPdfInstead)) return PrinterList();
    std::optional<PrinterList> answer = Await(timeout);
    if (!answer)
        prompts.Show(QStringLiteral("The print system did not answer in %1 seconds. Nothing was printed.")
                         .arg(std::chrono::duration<double>(timeout).count()));
    return answer;
}
