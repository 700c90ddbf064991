#include "platform/print/print_worker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <thread>

#include "platform/ui.h"

namespace {

// Never destroyed: a worker may still ask for it while the process ends.
struct Ending {
    std::mutex lock;
    bool begun = false;
};
Ending& ProcessEnding() {
    static auto* ending = new Ending;
    return *ending;
}

void BeginEnding() {
    Ending& ending = ProcessEnding();
    const std::lock_guard guard(ending.lock);
    ending.begun = true;
}

// Notes a quit from the moment it is asked for until the application's loop has ended; a wait inside that
// loop would otherwise keep the process for its whole time after the windows have gone.
bool quitting = false;

class QuitWatch : public QObject {
  public:
    explicit QuitWatch(QCoreApplication& application) : QObject(&application) {
        application.installEventFilter(this);
        // unguarded: clears a flag
        connect(&application, &QCoreApplication::aboutToQuit, this, [] { quitting = false; });
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Quit) quitting = true;
        return false;
    }
};

// On the interface thread, before its first wait.
void WatchQuit() {
    static QPointer<QuitWatch> watch;
    if (!watch && QCoreApplication::instance()) watch = new QuitWatch(*QCoreApplication::instance());
}

} // namespace

bool Quitting() {
    return quitting;
}

void StartPrintWorker(std::function<void()> work) {
    static std::once_flag registered;
    std::call_once(registered, [] { qAddPostRoutine(BeginEnding); });
    std::thread(std::move(work)).detach();
}

void UnlessEnding(const std::function<void()>& tell) {
    Ending& ending = ProcessEnding();
    const std::lock_guard guard(ending.lock);
    if (!ending.begun) tell();
}

bool AwaitPrintWorker(std::mutex& lock, std::condition_variable& wake, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout, const std::function<bool(double)>& whileWaiting) {
    WatchQuit();
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + timeout;
    for (;;) {
        {
            std::unique_lock guard(lock);
            const auto slice =
                std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(16));
            if (wake.wait_until(guard, slice, done)) return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline || quitting) return false;
        ProcessMessages();
        if (whileWaiting && !whileWaiting(std::chrono::duration<double>(now - start) / timeout)) return false;
    }
}
