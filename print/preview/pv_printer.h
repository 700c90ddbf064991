#pragma once

#include <QMargins>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/print/printer_lookup.h"
#include "platform/user_prompts.h"
#include "print/preview/pv_paper.h"

class PrintDevice;
class QPainter;

enum PvDuplexType { pvSimplex, pvHorzDuplex, pvVertDuplex };
enum PvPrintColor { pvColor, pvMonochrome };
enum PvDitherType { pvNone, pvCourse, pvFine, pvLineArt, pvGrayScale };
enum PvPrintQuality { pvDraft, pvLow, pvMedium, pvHigh };
enum PvPagesPerSheet { pvOnePage, pvTwoPage, pvFourPage };

// The job settings in the printer's own numbers.
struct PvDeviceMode {
    int Copies = 1;
    int Collate = 0;       // 0 off, 1 on
    int Duplex = 1;        // simplex 1, horizontal 3, vertical 2
    int Color = 2;         // colour 2, monochrome 1
    int DitherType = 1;    // none 1, coarse 2, fine 3, line art 4, grey scale 10
    int PrintQuality = -3; // draft -1, low -2, medium -3, high -4
    int PaperSize = 9;     // the paper code
    int Orientation = 1;   // portrait 1, landscape 2
};

// The printer of the preview suite: the chosen output (a printer of the system, or a PDF file), its job
// settings and geometry, and a running job that puts one, two or four pages on each sheet.
class PvPrinter {
  public:
    // The output that needs no print system: offered always, the default when the system has no printer.
    static const QString kPdfFile;

    // Failures are shown and the file for the PDF output is chosen through prompts.
    explicit PvPrinter(UserPrompts& prompts);
    ~PvPrinter();
    PvPrinter(const PvPrinter&) = delete;
    PvPrinter& operator=(const PvPrinter&) = delete;

    // The system's printers once it has answered, the chosen one while it is not listed, then the PDF file,
    // which is there from the start.
    QStringList PrinterNames() const;
    // The chosen output, listed or not; until one is chosen, the system's default once the system has
    // answered and the PDF file before.
    QString PrinterName() const;
    // Where the printers come from; asked only when they are needed.
    PrinterLookup& Lookup() const { return *lookup_; }
    void UseLookup(PrinterLookup& lookup) { lookup_ = &lookup; }
    // How long a job waits for a print system that has not answered yet, and for a printer to take the job.
    std::chrono::milliseconds PrintSystemWait{15000};
    // Hears the wait for a printer to take the job: the share of PrintSystemWait gone by; false gives the job
    // up.
    std::function<bool(double waited)> WhileHandingIn;
    // Chooses an output, refreshes the geometry and fires OnChangePrinter.
    void SetPrinterName(const QString& name);

    bool Collate() const { return mode_.Collate == 1; }
    void SetCollate(bool on);
    PvDuplexType Duplex() const;
    void SetDuplex(PvDuplexType duplex);
    int PrintCopies() const { return mode_.Copies; }
    void SetPrintCopies(int copies);
    PvPrintColor PrintColor() const { return mode_.Color == 1 ? pvMonochrome : pvColor; }
    void SetPrintColor(PvPrintColor color);
    PvDitherType DitherType() const;
    void SetDitherType(PvDitherType dither);
    PvPrintQuality PrintQuality() const;
    void SetPrintQuality(PvPrintQuality quality);
    const PvDeviceMode& DeviceMode() const { return mode_; }
    void SetOrientation(PvOrientation orientation);
    PvOrientation Orientation() const { return mode_.Orientation == 2 ? pvLandscape : pvPortrait; }
    void SetPaperSize(PvPaperSize paper, PvPoint customInches = {});

    // Kept only: the order comes from the range printed.
    bool ReversePrintOrder = false;
    QString Title = QStringLiteral("<document>");

    // Device pixels per inch and the sheet's unprintable borders in inches, for the current settings.
    int PpiX() const;
    int PpiY() const;
    PvRect PrinterMargins() const;

    // The job. BeginDoc shows why it could not start and answers false. Without a chosen output, a job while
    // no printer is listed offers the PDF file and otherwise waits a bounded time for the default printer.
    bool BeginDoc(PvPagesPerSheet pagesPerSheet);
    // The next page: on the same sheet or a new one, as the pages per sheet call for.
    void NewPage();
    // AfterPrint fires only when the output took the job.
    void EndDoc();
    // Stops the running job; its output is dropped.
    void Abort();
    bool Printing() const { return printing_; }
    bool Aborted() const { return aborted_; }
    int PageCounter() const { return pageCounter_; }
    QPainter& Painter();
    // Where the current page goes on its sheet, in device pixels, and how much it is scaled.
    QRectF PageSlot() const;
    double PageScale() const;

    std::function<void()> AfterPrint, BeforePrint, OnAbortPrint, OnChangePrinter;
    UserPrompts& Prompts() const { return *prompts_; }
    // Makes the device of an output; tests put in their own. The default makes the listed printer of that
    // name (none for a name the system did not list) or, for the PDF file, a PDF file device writing to the
    // path.
    std::function<std::unique_ptr<PrintDevice>(const QString& name, const std::filesystem::path& pdf)>
        MakeDevice;

  private:
    void ApplyMode();
    PrintDevice* Probe() const;
    std::unique_ptr<PrintDevice> OutputDevice(const QString& name, const std::filesystem::path& pdf) const;
    // Where the job goes; nothing when it goes nowhere (the user has been told). A printer chosen that the
    // print system does not list while it is asked again is awaited. A PDF file the user took instead goes
    // for this job only.
    std::optional<QString> JobOutput();
    // Refreshes the geometry and fires OnChangePrinter.
    void ChangedPrinter();

    PrinterLookup* lookup_;
    UserPrompts* prompts_;
    QString printerName_; // empty while none is chosen
    PvDeviceMode mode_;
    bool duplexChosen_ = false, colorChosen_ = false; // else the printer's own stand
    PvPaperSize paper_ = A4;
    PvPoint customInches_;
    PvPagesPerSheet pagesPerSheet_ = pvOnePage;
    mutable std::unique_ptr<PrintDevice> probe_; // for geometry outside a job
    std::unique_ptr<PrintDevice> device_;        // of the running job
    bool printing_ = false;
    bool aborted_ = false;
    bool waiting_ = false; // for the print system's answer
    int pageCounter_ = 0;
};
