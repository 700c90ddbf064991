#pragma once

#include <QCursor>
#include <QString>
#include <exception>
#include <functional>
#include <optional>
#include <type_traits>

#include "platform/user_prompts.h"

// Lets the interface breathe during long work; pumps at most once per 16 ms however often it is called.
void ProcessMessages();

// The text an escaping exception shows.
QString ExceptionText(const std::exception& error);
// Runs an event handler so that no exception crosses the event loop: the error is shown through prompts.
void RunGuarded(UserPrompts& prompts, const std::function<void()>& handler);
// Runs handler under RunGuarded with the arguments when it takes them, and with none otherwise.
template <typename Handler, typename... Arguments>
void CallGuarded(UserPrompts& prompts, const Handler& handler, Arguments&&... arguments) {
    if constexpr (std::is_invocable_v<const Handler&, Arguments...>)
        RunGuarded(prompts, [&] { handler(std::forward<Arguments>(arguments)...); });
    else
        RunGuarded(prompts, [&] { handler(); });
}
// The handler for a signal or callback run under RunGuarded. Connecting through this puts the exception
// boundary on the handler by construction.
template <typename Handler> auto Guarded(UserPrompts& prompts, Handler handler) {
    return [&prompts, handler = std::move(handler)](auto&&... arguments) -> void {
        CallGuarded(prompts, handler, std::forward<decltype(arguments)>(arguments)...);
    };
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
