#pragma once

#include <QWidget>
#include <functional>

// AnswerWindow for any kind of window: `awaited` tells the window and `kind` names it.
bool AnswerModalWindow(const std::function<void()>& open, const std::function<bool(QWidget&)>& awaited,
                       const std::function<void(QWidget&)>& answer, const char* kind);

// Runs `open`, which shows a modal window of kind W, and runs `answer` on that window once it is the modal
// window up and `ready` (when given) holds for it; the answer closes the window, at once or soon after. True
// when the window came.
//
// The window itself is looked for, every millisecond: `open` may let events through long before it shows
// the window (while it waits for the print system, say), so the next event is no sign of it. A window that
// has not come within seconds fails the test, and from then on every modal window that `open` brings up is
// closed, so that the test ends instead of hanging; so is an answered window still open seconds later.
template <typename W>
[[nodiscard]] bool AnswerWindow(const std::function<void()>& open, const std::function<void(W&)>& answer,
                                const std::function<bool(W&)>& ready = {}) {
    return AnswerModalWindow(
        open,
        [&ready](QWidget& window) {
            W* awaited = qobject_cast<W*>(&window);
            return awaited && (!ready || ready(*awaited));
        },
        [&answer](QWidget& window) { answer(static_cast<W&>(window)); }, W::staticMetaObject.className());
}
