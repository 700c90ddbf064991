#pragma once

#include <QCursor>
#include <QString>
#include <exception>
#include <functional>
#include <optional>

// Where messages go: the program puts in its message boxes, tests one that records; until one is put in,
// the log.
class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void Show(const QString& text) = 0;
    virtual bool AskYesNo(const QString& text) = 0;
};

void SetMessageSink(MessageSink* sink);
void ShowMessage(const QString& text);
// A modal Yes/No question; true for Yes.
bool AskYesNo(const QString& text);

// Lets the interface breathe during long work; pumps at most once per 16 ms however often it is called.
void ProcessMessages();

// The text an escaping exception shows.
QString ExceptionText(const std::exception& error);
// Runs an event handler so that no exception crosses the event loop: the error is shown as a message.
void RunGuarded(const std::function<void()>& handler);
// The handler for a signal or callback, whatever its arguments, run under RunGuarded: connecting through
// this puts the exception boundary on the handler by construction.
template <typename Handler> auto Guarded(Handler handler) {
    return [handler = std::move(handler)](auto&&...) { RunGuarded(handler); };
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
