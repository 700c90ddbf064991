#pragma once

#include <QMarginsF>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/print/print_device.h"
#include "platform/user_prompts.h"

// Options in the print system's words, by name.
using PrintSystemOptions = std::map<std::string, std::string>;

// Which way the print system turns a landscape page onto the sheet; Unknown where it does not tell.
enum class LandscapeTurn { Unknown, CounterClockwise, Clockwise };

// What a printer is, as the print system told it off the interface thread; the defaults stand where it
// told nothing.
struct PrinterFacts {
    QString Name;
    int Dpi = 600;
    // For the default paper, portrait: a landscape job turns them.
    QMarginsF UnprintableInches{0.25, 0.25, 0.25, 0.25};
    bool Color = true;
    Paper DefaultPaper{1, QSizeF(8.5, 11.0)};
    PrintOrientation DefaultOrientation = PrintOrientation::Portrait;
    LandscapeTurn Turn = LandscapeTurn::Unknown;
    // What the user saved for the printer, or for its instance that is the default, for every job of it.
    PrintSystemOptions SavedOptions{};
};

// The printers of the system and its default one.
struct PrinterList {
    QString DefaultPrinter;
    std::vector<PrinterFacts> Printers;
    // Why no printer could be listed, as "The print system cannot be reached."; empty when the print system
    // answered.
    QString Trouble{};

    QStringList Names() const;
    // The printer of that name; null when none is listed.
    const PrinterFacts* Find(const QString& name) const;
    // The default printer, else the first one; null when there is none.
    const PrinterFacts* Default() const;
};

// Where a print job may go: the printers listed, unless the user took the PDF file instead.
struct JobPrinters {
    PrinterList Printers;
    bool PdfFileTaken = false;
};

// Asks the print system for its printers on a worker thread, when first asked and again when the answer has
// grown old: a print server that never answers must hold up neither the start nor the windows. Lives on the
// interface thread.
class PrinterLookup : public QObject {
    Q_OBJECT
  public:
    using Source = std::function<PrinterList()>;
    // Asks the print system itself; tests give their own source.
    explicit PrinterLookup(Source source);
    ~PrinterLookup() override;
    // The lookup of the process, which asks the print system.
    static PrinterLookup& System();

    // The latest answer once one has come; asks when nobody has yet.
    std::optional<PrinterList> Answer();
    // Asks again unless an answer that lists printers came within the last minute: printers come and go,
    // and a print server may start or wake while the program runs. The latest answer stands meanwhile.
    void AskAgainIfOld();
    // Asks again while no printer is listed, however recent the answer.
    void AskAgainIfNoneListed();
    // Waits at most timeout for an answer, keeping the interface alive; nothing when none came. whileWaiting,
    // when given, hears the share of the time gone by and may answer false to stop waiting.
    std::optional<PrinterList> Await(std::chrono::milliseconds timeout,
                                     const std::function<bool(double waited)>& whileWaiting = {});
    // The printers for a print job to the printer chosen, or to the default one when none is: at once when
    // the latest answer lists the printer chosen, or lists any with none chosen and none is being asked for.
    // Else the print system is asked again, whatever the answer's age, and the answer awaited at most
    // timeout, heard by whileWaiting. The user may take a PDF file instead, which the answer says whatever
    // list comes later: while no printer is listed and none chosen (at once before any answer, after a moment
    // in which a print server that answered before may list its printers again), when the wait runs out, and
    // when the new answer does not list the printer chosen either. Nothing when the job goes nowhere:
    // cancelled, declined, or the application quits.
    std::optional<JobPrinters> AwaitForJob(std::chrono::milliseconds timeout, UserPrompts& prompts,
                                           const std::function<bool(double waited)>& whileWaiting,
                                           const QString& chosen = {});

  signals:
    // An answer has come (delivered on the interface thread).
    void Answered();

  private:
    struct State;
    // Starts asking unless an ask is under way; under the state's lock.
    void AskUnlessAsking();
    // Waits at most timeout for the answers to number more than seen; true when they do.
    bool AwaitAnswerAfter(int seen, std::chrono::milliseconds timeout,
                          const std::function<bool(double waited)>& whileWaiting);
    JobPrinters Latest();
    Source source_;
    std::shared_ptr<State> state_;
};

// The output a print window shows and Print uses: the printer chosen, listed or not; else the default printer
// once listed; else the PDF file.
QString OutputName(const std::optional<PrinterList>& printers, const QString& chosen);
// What a print window's printer box offers: the printers listed, the printer chosen where it is not listed,
// and the PDF file.
QStringList OutputNames(const std::optional<PrinterList>& printers, const QString& chosen);

// While the window is shown and no printer is listed, asks the print system of lookup() again every few
// seconds, so that a print server that comes back shows in the window without a Print.
void AskWhileNoneListed(QObject& window, std::function<PrinterLookup&()> lookup);
