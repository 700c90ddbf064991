#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "platform/user_prompts.h"

// The printers of the system and its default one.
struct PrinterList {
    QString DefaultPrinter;
    QStringList Printers;
};

// Asks the print system for its printers on a worker thread, once, when first asked: a print server that
// never answers must hold up neither the start nor the windows. Lives on the interface thread.
class PrinterLookup : public QObject {
    Q_OBJECT
  public:
    using Source = std::function<PrinterList()>;
    // The print system's own answer; tests give their own source.
    explicit PrinterLookup(Source source = AskPrintSystem);
    ~PrinterLookup() override;
    // The lookup of the process.
    static PrinterLookup& System();
    static PrinterList AskPrintSystem();

    // The answer once it has come; asks when nobody has yet.
    std::optional<PrinterList> Answer();
    // Waits at most timeout for the answer, keeping the interface alive; nothing when none came.
    std::optional<PrinterList> Await(std::chrono::milliseconds timeout);
    // Await before a print job: when no answer came, tells the user that nothing was printed.
    std::optional<PrinterList> AwaitForJob(std::chrono::milliseconds timeout, UserPrompts& prompts);

  signals:
    // The answer has come (delivered on the interface thread).
    void Answered();

  private:
    struct State;
    void Start();
    Source source_;
    std::shared_ptr<State> state_;
};
