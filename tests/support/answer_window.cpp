#include "support/answer_window.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A loaded machine opens a window within a second or two.
constexpr qint64 kDeadlineMs = 10000;

void Close(QWidget& window) {
    if (auto* dialog = qobject_cast<QDialog*>(&window))
        dialog->reject();
    else
        window.close();
}

} // namespace

bool AnswerModalWindow(const std::function<void()>& open, const std::function<bool(QWidget&)>& awaited,
                       const std::function<void(QWidget&)>& answer, const char* kind) {
    // The window `open` runs in is not the one it opens.
    const QPointer<QWidget> outer = QApplication::activeModalWidget();
    bool came = false, late = false;
    QPointer<QWidget> answered;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (came) {
            if (!answered || !answered->isVisible()) {
                poll.stop();
            } else if (clock.elapsed() > kDeadlineMs) {
                ADD_FAILURE() << "the " << kind << " answered stayed open";
                poll.stop();
                Close(*answered);
            }
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == outer) modal = nullptr;
        if (modal && !late && awaited(*modal)) {
            // The answer may open windows and wait on its own meanwhile.
            poll.stop();
            came = true;
            answered = modal;
            answer(*modal);
            clock.restart();
            poll.start();
            return;
        }
        if (!late && clock.elapsed() > kDeadlineMs) {
            late = true;
            ADD_FAILURE() << "no " << kind << " came in " << kDeadlineMs << " ms";
        }
        if (late && modal) Close(*modal);
    });
    poll.start(1);
    open();
    return came;
}
