#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// Runs work on a thread of its own: the print system may keep it waiting for minutes. The print support it
// uses does not survive the application object's teardown, so that waits a moment for workers still
// running; one kept waiting by a silent server sleeps in a read that the end of the process does not disturb.
void StartPrintWorker(std::function<void()> work);

// Waits on the interface thread, keeping it alive, until done() holds (tested under lock, woken through
// wake) or timeout has passed. whileWaiting, when given, hears the share of the time gone by between slices
// and may answer false to stop waiting. True when done.
bool AwaitPrintWorker(std::mutex& lock, std::condition_variable& wake, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout,
                      const std::function<bool(double waited)>& whileWaiting = {});
