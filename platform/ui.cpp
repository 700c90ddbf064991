#include "platform/ui.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QMessageBox>
#include <QWidget>

namespace {

class BoxSink : public MessageSink {
  public:
    void Show(const QString& text) override {
        QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(), text);
    }
    bool AskYesNo(const QString& text) override {
        return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationName(), text,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
};

MessageSink*& CurrentSink() {
    static BoxSink boxes;
    static MessageSink* sink = &boxes;
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
