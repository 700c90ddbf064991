#include "platform/ui.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QHash>

namespace {

// Until a program puts in its own sink, messages go to the log and every question is answered No.
class LogSink : public MessageSink {
  public:
    void Show(const QString& text) override { qWarning().noquote() << text; }
    bool AskYesNo(const QString& text) override {
        Show(text);
        return false;
    }
};

MessageSink*& CurrentSink() {
    static LogSink log;
    static MessageSink* sink = &log;
    return sink;
}

int busyDepth = 0;

} // namespace

void SetMessageSink(MessageSink* sink) {
    CurrentSink() = sink;
}

void ShowMessage(const QString& text) {
    CurrentSink()->Show(text);
}

bool AskYesNo(const QString& text) {
    return CurrentSink()->AskYesNo(text);
}

void ProcessMessages() {
    static QElapsedTimer sinceLast;
    if (sinceLast.isValid() && sinceLast.elapsed() < 16) return;
    sinceLast.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 8);
}

QString ExceptionText(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

void RunGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowMessage(ExceptionText(error));
    } catch (...) {
        ShowMessage(QStringLiteral("Unexpected error"));
    }
}

BusyGuard::BusyGuard() {
    ++busyDepth;
}
BusyGuard::~BusyGuard() {
    --busyDepth;
}
bool BusyGuard::IsBusy() {
    return busyDepth > 0;
}

namespace {
QHash<int, QCursor>& Cursors() {
    static QHash<int, QCursor> cursors;
    return cursors;
}
} // namespace

void SetScreenCursor(int id, const QCursor& cursor) {
    Cursors().insert(id, cursor);
}

std::optional<QCursor> ScreenCursor(int id) {
    auto found = Cursors().constFind(id);
    if (found == Cursors().constEnd()) return std::nullopt;
    return *found;
}
