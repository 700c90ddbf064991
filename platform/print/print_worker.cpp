#include "platform/print/print_worker.h"

#include <QCoreApplication>
#include <thread>

#include "platform/ui.h"

namespace {

std::mutex runningLock;
std::condition_variable runningDone;
int running = 0;

void WaitForRunningWorkers() {
    std::unique_lock guard(runningLock);
    runningDone.wait_for(guard, std::chrono::seconds(2), [] { return running == 0; });
}

} // namespace

void StartPrintWorker(std::function<void()> work) {
    static std::once_flag registered;
    std::call_once(registered, [] { qAddPostRoutine(WaitForRunningWorkers); });
    {
        const std::lock_guard guard(runningLock);
        ++running;
    }
    std::thread([work = std::move(work)] {
        work();
        {
            const std::lock_guard guard(runningLock);
            --running;
        }
        runningDone.notify_all();
    }).detach();
}

bool AwaitPrintWorker(std::mutex& lock, std::condition_variable& wake, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout, const std::function<bool(double)>& whileWaiting) {
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
        if (now >= deadline) return false;
        ProcessMessages();
        if (whileWaiting && !whileWaiting(std::chrono::duration<double>(now - start) / timeout)) return false;
    }
}
