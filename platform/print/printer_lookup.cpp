#include "platform/print/printer_lookup.h"

#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/print/pdf_file_device.h"
#include "platform/print/print_system.h"
#include "platform/print/print_worker.h"

namespace {

const QString kNotAnswered = QStringLiteral("The print system has not answered yet.");
const QString kListsNone = QStringLiteral("The print system lists no printers.");
// An answer that lists printers stands this long before the print system is asked again.
constexpr std::chrono::minutes kAnswerKept{1};
// How long Print gives a print server that listed nothing before to list its printers, before the PDF file is
// offered.
constexpr std::chrono::seconds kReturnGrace{3};
// How often a print window asks again while nothing is listed.
constexpr std::chrono::seconds kAskAgainWhileNoneListed{3};

// Starts and stops its timer with its window's showing.
class NoneListedWatch : public QObject {
  public:
    NoneListedWatch(QObject& window, std::function<PrinterLookup&()> lookup)
        : QObject(&window), lookup_(std::move(lookup)) {
        timer_.setInterval(kAskAgainWhileNoneListed);
        // unguarded: starts a worker only
        connect(&timer_, &QTimer::timeout, this, [this] { lookup_().AskAgainIfNoneListed(); });
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) timer_.start();
        if (event->type() == QEvent::Hide) timer_.stop();
        return false;
    }

  private:
    std::function<PrinterLookup&()> lookup_;
    QTimer timer_;
};

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

void PrinterLookup::AskAgainIfNoneListed() {
    std::lock_guard guard(state_->lock);
    if (!state_->answer || state_->answer->Printers.empty()) AskUnlessAsking();
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

JobPrinters PrinterLookup::Latest() {
    std::lock_guard guard(state_->lock);
    return JobPrinters{*state_->answer};
}

namespace {

// Why a list offers a job no printer, as the PDF question tells it.
QString WhyNotListed(const PrinterList& list, const QString& chosen) {
    if (!list.Trouble.isEmpty()) return list.Trouble;
    return chosen.isEmpty() ? kListsNone : QStringLiteral("The print system does not list %1.").arg(chosen);
}

} // namespace

std::optional<JobPrinters> PrinterLookup::AwaitForJob(std::chrono::milliseconds timeout, UserPrompts& prompts,
                                                      const std::function<bool(double)>& whileWaiting,
                                                      const QString& chosen) {
    int seen = 0;
    std::optional<PrinterList> before;
    {
        std::lock_guard guard(state_->lock);
        before = state_->answer;
        // The printer chosen goes as soon as it is listed; the default one, or the PDF file where none is
        // listed, once nobody asks again. An answer without the printer chosen may be seconds old: the print
        // system is asked again whatever its age.
        if (before && (chosen.isEmpty() ? !state_->asking : before->Find(chosen) != nullptr))
            return JobPrinters{*before};
        seen = state_->answers;
        AskUnlessAsking();
    }
    bool cancelled = false;
    const auto hear = [&](double waited) {
        cancelled = whileWaiting && !whileWaiting(waited);
        return !cancelled;
    };
    // Where nobody waits for the print system any more, the PDF file is the job's last way out.
    const auto pdfFileInstead = [&](const QString& why) -> std::optional<JobPrinters> {
        if (cancelled || Quitting() || !prompts.AskYesNo(PdfFileInstead(why))) return std::nullopt;
        return JobPrinters{{}, true};
    };
    const auto served = [&]() -> std::optional<JobPrinters> {
        JobPrinters latest = Latest();
        if (chosen.isEmpty() || latest.Printers.Find(chosen)) return latest;
        return pdfFileInstead(WhyNotListed(latest.Printers, chosen));
    };
    // Nothing to print on but the PDF file: the user need not wait for a print server that may never answer.
    if (chosen.isEmpty() && !(before && !before->Printers.empty())) {
        if (before &&
            AwaitAnswerAfter(seen, std::min<std::chrono::milliseconds>(kReturnGrace, timeout), hear))
            return served();
        if (std::optional<JobPrinters> pdfFile =
                pdfFileInstead(before ? WhyNotListed(*before, chosen) : kNotAnswered))
            return pdfFile;
        if (cancelled || Quitting()) return std::nullopt;
    }
    if (AwaitAnswerAfter(seen, timeout, hear)) return served();
    return pdfFileInstead(QStringLiteral("The print system did not answer in %1 seconds.")
                              .arg(std::chrono::duration<double>(timeout).count()));
}

QString OutputName(const std::optional<PrinterList>& printers, const QString& chosen) {
    if (!chosen.isEmpty()) return chosen;
    const PrinterFacts* fallback = printers ? printers->Default() : nullptr;
    return fallback ? fallback->Name : PdfFileOutputName();
}

QStringList OutputNames(const std::optional<PrinterList>& printers, const QString& chosen) {
    QStringList names = printers ? printers->Names() : QStringList();
    names << PdfFileOutputName();
    const QString output = OutputName(printers, chosen);
    if (!names.contains(output)) names.prepend(output);
    return names;
}

void AskWhileNoneListed(QObject& window, std::function<PrinterLookup&()> lookup) {
    new NoneListedWatch(window, std::move(lookup));
}
