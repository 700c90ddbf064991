#include "platform/print/printer_lookup.h"

#include <QCoreApplication>
#include <QPrinterInfo>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/ui.h"

namespace {

// Lookups still asking the print system. The print support they run does not survive the application
// object's teardown, so that waits a moment for them; one kept waiting by a silent server sleeps in a read
// that the end of the process does not disturb.
std::mutex runningLock;
std::condition_variable runningDone;
int running = 0;

void WaitForRunningLookups() {
    std::unique_lock guard(runningLock);
    runningDone.wait_for(guard, std::chrono::seconds(2), [] { return running == 0; });
}

void LookupStarted() {
    static std::once_flag registered;
    std::call_once(registered, [] { qAddPostRoutine(WaitForRunningLookups); });
    const std::lock_guard guard(runningLock);
    ++running;
}

void LookupEnded() {
    {
        const std::lock_guard guard(runningLock);
        --running;
    }
    runningDone.notify_all();
}

} // namespace

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
    return {QPrinterInfo::defaultPrinterName(), QPrinterInfo::availablePrinterNames()};
}

void PrinterLookup::Start() {
    {
        std::lock_guard guard(state_->lock);
        if (state_->started) return;
        state_->started = true;
    }
    LookupStarted();
    std::thread([state = state_, source = source_] {
        PrinterList list = source();
        {
            std::lock_guard guard(state->lock);
            state->answer = std::move(list);
            state->done.notify_all();
            // Under the lock: the lookup cannot go away meanwhile, and the call is dropped if it goes later.
            if (PrinterLookup* owner = state->owner)
                QMetaObject::invokeMethod(owner, &PrinterLookup::Answered, Qt::QueuedConnection);
        }
        LookupEnded();
    }).detach();
}

std::optional<PrinterList> PrinterLookup::Answer() {
    Start();
    std::lock_guard guard(state_->lock);
    return state_->answer;
}

std::optional<PrinterList> PrinterLookup::Await(std::chrono::milliseconds timeout) {
    Start();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        {
            std::unique_lock guard(state_->lock);
            const auto slice =
                std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(16));
            if (state_->done.wait_until(guard, slice, [this] { return state_->answer.has_value(); }))
                return state_->answer;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        ProcessMessages();
    }
}

std::optional<PrinterList> PrinterLookup::AwaitForJob(std::chrono::milliseconds timeout,
                                                      UserPrompts& prompts) {
    std::optional<PrinterList> answer = Await(timeout);
    if (!answer)
        prompts.Show(QStringLiteral("The print system did not answer in %1 seconds. Nothing was printed.")
                         .arg(std::chrono::duration<double>(timeout).count()));
    return answer;
}
