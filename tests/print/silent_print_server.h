#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <string>

#include "platform/print/printer_lookup.h"
#include "support/loopback_server.h"

// The PDF file's offer before the print system has answered, and once it has answered that it has no
// printers.
inline const QString kPdfInstead =
    QStringLiteral("The print system has not answered yet. Print to a PDF file instead?");
inline const QString kListsNone =
    QStringLiteral("The print system lists no printers. Print to a PDF file instead?");

// Points the print system's client at another server while it lives. The client reads its server when a
// thread first asks, so the workers started meanwhile meet this one.
class PrintServerAddress {
  public:
    explicit PrintServerAddress(const QByteArray& address) { qputenv("CUPS_SERVER", address); }
    ~PrintServerAddress() {
        if (previous_.isNull())
            qunsetenv("CUPS_SERVER");
        else
            qputenv("CUPS_SERVER", previous_);
    }
    PrintServerAddress(const PrintServerAddress&) = delete;
    PrintServerAddress& operator=(const PrintServerAddress&) = delete;

  private:
    const QByteArray previous_ = qgetenv("CUPS_SERVER");
};

// A print server that takes the connection and keeps silent (for ten seconds at most, so that a hang ends).
class SilentPrintServer {
  public:
    ~SilentPrintServer() { over_.set_value(); }
    bool Asked() { return !server_.requests().empty(); }

  private:
    std::promise<void> over_;
    LoopbackServer server_{[over = over_.get_future().share()](int, const std::string&) {
        over.wait_for(std::chrono::seconds(10));
    }};
    const PrintServerAddress address_{QByteArray::fromStdString(server_.authority())};
};

// A print server that is not running: its socket does not exist.
class AbsentPrintServer {
  public:
    explicit AbsentPrintServer(const std::filesystem::path& folder)
        : address_(QByteArray::fromStdString((folder / "no-print-server").string())) {}

  private:
    const PrintServerAddress address_;
};

// A print system that lists no printer, lists Office and Hall (its default), lists Office alone, or falls
// silent until the test ends, as the test switches it. Its workers may outlive the test: they share only what
// the source holds.
struct ComingAndGoingPrintSystem {
    enum State { NoPrinters, Printers, OfficeOnly, Silent };
    struct Shared {
        std::atomic<State> state = NoPrinters;
        std::promise<void> over;
        std::shared_future<void> ended = over.get_future().share();
    };
    ~ComingAndGoingPrintSystem() { shared->over.set_value(); }
    void Set(State state) { shared->state = state; }

    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
    PrinterLookup lookup{[shared = shared] {
        if (shared->state == Silent) shared->ended.wait();
        switch (shared->state.load()) {
        case Printers:
            return PrinterList{QStringLiteral("Hall"),
                               {{QStringLiteral("Office")}, {QStringLiteral("Hall")}}};
        case OfficeOnly:
            return PrinterList{QStringLiteral("Office"), {{QStringLiteral("Office")}}};
        default:
            return PrinterList();
        }
    }};
};

// How long the interface thread went without handling events while this lives: the longest time between two
// ticks of a 50 ms timer, or since the last one. A window held by a wait stops for all of it, one on a loaded
// machine for a few hundred ms: tests bound the gap at half the wait they prove the window through.
class EventGaps {
  public:
    EventGaps() {
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, clock_.restart()); });
        timer_.start(50);
        clock_.start();
    }
    qint64 Longest() const { return std::max(longest_, clock_.elapsed()); }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};
