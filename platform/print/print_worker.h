#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// Runs work on a thread of its own: the print system may keep it waiting for minutes. Nobody waits for it
// at exit, so the work touches nothing of Qt's that the end of the process takes down, but through
// UnlessEnding.
void StartPrintWorker(std::function<void()> work);

// On a worker: runs tell, which may reach the interface, unless the application object has begun to go;
// the application waits for a tell that runs.
void UnlessEnding(const std::function<void()>& tell);

// Whether the application has been told to quit: nobody is left to wait for the print system then.
bool Quitting();

// Waits on the interface thread, keeping it alive, until done() holds (tested under lock, woken through
// wake), timeout has passed or the application is told to quit. whileWaiting, when given, hears the share of
// the time gone by between slices and may answer false to stop waiting. True when done.
bool AwaitPrintWorker(std::mutex& lock, std::condition_variable& wake, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout,
                      const std::function<bool(double waited)>& whileWaiting = {});
