#pragma once

#include <QCursor>
#include <QString>
#include <exception>
#include <functional>
#include <optional>

#include "platform/user_prompts.h"

// Lets the interface breathe during long work; pumps at most once per 16 ms however often it is called.
void ProcessMessages();

// The text an escaping exception shows.
QString ExceptionText(const std::exception& error);
// Runs an event handler so that no exception crosses the event loop: the error is shown through prompts.
void RunGuarded(UserPrompts& prompts, const std::function<void()>& handler);
// The handler for a signal or callback, whatever its arguments, run under RunGuarded: connecting through
// this puts the exception boundary on the handler by construction.
template <typename Handler> auto Guarded(UserPrompts& prompts, Handler handler) {
    return [&prompts, handler = std::move(handler)](auto&&...) { RunGuarded(prompts, handler); };
}

// Marks the program busy during a long command; a second command asks IsBusy() and does not start.
class BusyGuard {
  public:
    BusyGuard();
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    static bool IsBusy();
};

// The screen's numbered cursor list: components register their own cursors under fixed numbers.
void SetScreenCursor(int id, const QCursor& cursor);
std::optional<QCursor> ScreenCursor(int id);
