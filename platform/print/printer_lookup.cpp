#include "platform/print/printer_lookup.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/print/print_system.h"
#include "platform/print/print_worker.h"

namespace {

const QString kPdfInstead =
    QStringLiteral("The print system has not answered yet. Print to a PDF file instead?");
// An answer that lists printers stands this long before the print system is asked again.
constexpr std::chrono::minutes kAnswerKept{1};

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
    std::chrono::steady_clock::time_point answeredAt;
    int answers = 0;                // how many have come: a wait for the next one knows it
    PrinterLookup* owner = nullptr; // cleared when the lookup goes
    bool asking = false;
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
    static auto* lookup = new PrinterLookup(AskPrintSystem);
    return *lookup;
}

void PrinterLookup::AskUnlessAsking() {
    if (state_->asking) return;
    state_->asking = true;
    StartPrintWorker([state = state_, source = source_] {
        PrinterList list = source();
        std::lock_guard guard(state->lock);
        state->answer = std::move(list);
        state->answeredAt = std::chrono::steady_clock::now();
        ++state->answers;
        state->asking = false;
        state->done.notify_all();
        // Under the lock: the lookup cannot go away meanwhile, and the call is dropped if it goes later.
        if (PrinterLookup* owner = state->owner)
            UnlessEnding([owner] {
                QMetaObject::invokeMethod(owner, &PrinterLookup::Answered, Qt::QueuedConnection);
            });
    });
}

std::optional<PrinterList> PrinterLookup::Answer() {
    std::lock_guard guard(state_->lock);
    if (!state_->answer) AskUnlessAsking();
    return state_->answer;
}

void PrinterLookup::AskAgainIfOld() {
    std::lock_guard guard(state_->lock);
    const bool fresh = state_->answer && !state_->answer->Printers.empty() &&
                       std::chrono::steady_clock::now() - state_->answeredAt < kAnswerKept;
    if (!fresh) AskUnlessAsking();
}

bool PrinterLookup::AwaitAnswerAfter(int seen, std::chrono::milliseconds timeout,
                                     const std::function<bool(double)>& whileWaiting) {
    return AwaitPrintWorker(
        state_->lock, state_->done, [this, seen] { return state_->answers > seen; }, timeout, whileWaiting);
}

std::optional<PrinterList> PrinterLookup::Await(std::chrono::milliseconds timeout,
                                                const std::function<bool(double)>& whileWaiting) {
    Answer();
    AwaitAnswerAfter(0, timeout, whileWaiting);
    return Answer();
}

std::optional<JobPrinters> PrinterLookup::AwaitForJob(std::chrono::milliseconds timeout, UserPrompts& prompts,
                                                      const std::function<bool(double)>& whileWaiting) {
    int seen = 0;
    {
        std::lock_guard guard(state_->lock);
        if (state_->answer && !state_->asking) return JobPrinters{*state_->answer};
        seen = state_->answers;
        AskUnlessAsking();
    }
    // The user may skip the wait for a first answer; an answer asked again comes from a system that has
    // answered before, and is awaited.
    if (seen == 0 && prompts.AskYesNo(kPdfInstead)) return JobPrinters{{}, true};
    bool cancelled = false;
    const bool answered = AwaitAnswerAfter(seen, timeout, [&](double waited) {
        cancelled = whileWaiting && !whileWaiting(waited);
        return !cancelled;
    });
    if (answered) {
        std::lock_guard guard(state_->lock);
        return JobPrinters{*state_->answer};
    }
    if (!cancelled)
        prompts.Show(QStringLiteral("The print system did not answer in %1 seconds. Nothing was printed.")
                         .arg(std::chrono::duration<double>(timeout).count()));
    return std::nullopt;
}
