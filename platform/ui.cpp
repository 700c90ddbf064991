#include "platform/ui.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>

namespace {

int busyDepth = 0;

} // namespace

void ProcessMessages() {
    static QElapsedTimer sinceLast;
    if (sinceLast.isValid() && sinceLast.elapsed() < 16) return;
    sinceLast.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 8);
}

QString ExceptionText(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

void RunGuarded(UserPrompts& prompts, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        prompts.Show(ExceptionText(error));
    } catch (...) {
        prompts.Show(QStringLiteral("Unexpected error"));
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
