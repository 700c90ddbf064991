// The report engine and the printer: paper and orientation, the print dialog, printing the stored pages with
// progress and cancelling, and the preview.
#include <QApplication>
#include <QFrame>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/print/pdf_file_device.h"
#include "platform/print/printer_device.h"
#include "platform/ui.h"
#include "print/report/preview_form.h"
#include "print/report/print_bar_form.h"
#include "print/report/rp_print_dialog.h"
#include "print/report/rp_print_object.h"

namespace {

// Where the report's windows stand: over the modal window that has the input, which the active one may
// not be while another window is coming or going.
QWidget* DialogParent() {
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? modal : QApplication::activeWindow();
}

} // namespace

RpPrintObject::RpPrintObject(UserPrompts& prompts)
    : PrintDialog([this](PrintDevice* printer, int pageCount, int& from, int& to) {
          return RunPrintDialog(printer, pageCount, from, to);
      }),
      prompts_(&prompts), lookup_(&PrinterLookup::System()) {}

RpPrintObject::~RpPrintObject() = default;

PrintDevice* RpPrintObject::Printer() {
    if (printer_) return printer_.get();
    const std::optional<PrinterList> printers = lookup_->Answer();
    if (const PrinterFacts* facts = printers ? printers->Default() : nullptr)
        printer_ = std::make_unique<PrinterDevice>(*facts);
    return printer_.get();
}

bool RpPrintObject::RunPrintDialog(PrintDevice* device, int pageCount, int& from, int& to) {
    auto* printer = dynamic_cast<PrinterDevice*>(device);
    // Files and pictures need no dialog.
    if (device && !printer) return true;
    PrinterJobOptions options = printer ? printer->JobOptions() : PrinterJobOptions();
    // No printer and no PDF file taken: nothing was listed, and the default printer is chosen once listed.
    const QString shown = printer ? printer->Facts().Name : pdfFileTaken_ ? PdfFileOutputName() : QString();
    RpPrintDialog dialog(*lookup_, pageCount, {shown, options.Copies, options.Collate, from, to},
                         DialogParent());
    if (dialog.exec() != QDialog::Accepted) return false;
    const RpPrintChoice choice = dialog.Choice();
    // The printer picked takes the job as the print system lists it, asked again where the last answer
    // lacks it.
    const std::optional<JobPrinters> output =
        choice.Printer == PdfFileOutputName() ? JobPrinters{{}, true} : AwaitPrinters(choice.Printer);
    if (!output) return false;
    pdfFileChosen_ = output->PdfFileTaken;
    if (!pdfFileChosen_) {
        PrinterFacts facts = *output->Printers.Find(choice.Printer);
        if (printer) {
            printer->SetFacts(std::move(facts));
        } else {
            printer_ = std::make_unique<PrinterDevice>(std::move(facts));
            printer = static_cast<PrinterDevice*>(printer_.get());
        }
        options.Copies = choice.Copies;
        options.Collate = choice.Collate;
        printer->SetJobOptions(options);
    }
    from = choice.From;
    to = choice.To;
    return true;
}

void RpPrintObject::ReadPrinterSetup() {
    // Once a report, before the report changes it; a printer opened only when printing is read then.
    if (printerOwnSetup_) return;
    if (const PrintDevice* printer = Printer())
        printerOwnSetup_.emplace(printer->CurrentPaper(), printer->Orientation());
}

void RpPrintObject::WritePrinterSetup(bool restore) {
    if (restore && !printerOwnSetup_) return;
    PrintDevice* printer = Printer();
    if (!printer) return;
    if (restore) {
        printer->SetPaper(printerOwnSetup_->first);
        printer->SetOrientation(printerOwnSetup_->second);
    } else {
        WriteReportSetup(*printer);
    }
}

void RpPrintObject::WriteReportSetup(PrintDevice& device) const {
    device.SetPaper(PaperOf(PaperSize));
    device.SetOrientation(Orientation);
}

std::optional<JobPrinters> RpPrintObject::AwaitPrinters(const QString& chosen) {
    cancelled_ = false;
    awaitingPrinters_ = true;
    std::optional<JobPrinters> printers = lookup_->AwaitForJob(
        PrintSystemWait, *prompts_, [this](double waited) { return HearHandIn(waited); }, chosen);
    awaitingPrinters_ = false;
    CloseProgress();
    return printers;
}

std::optional<PrintDevice*> RpPrintObject::JobOutput() {
    pdfFileTaken_ = false;
    if (printer_) return printer_.get();
    const std::optional<JobPrinters> printers = AwaitPrinters(QString());
    if (!printers) return std::nullopt;
    // The answer decides: a PDF file the user took stays taken, whatever list has come meanwhile.
    pdfFileTaken_ = printers->PdfFileTaken;
    if (const PrinterFacts* facts = printers->Printers.Default())
        printer_ = std::make_unique<PrinterDevice>(*facts);
    return printer_.get();
}

PrintDevice* RpPrintObject::ChoosePdfFile(std::unique_ptr<PrintDevice>& pdfFile) {
    QString filter;
    const QString path = prompts_->ChooseSaveFile(PdfFileChoice(), filter);
    if (path.isEmpty()) return nullptr;
    pdfFile = std::make_unique<PdfFileDevice>(path.toStdString());
    return pdfFile.get();
}

void RpPrintObject::ShowPreview() {
    PreviewForm preview(*this, QApplication::activeWindow());
    preview.exec();
}

void RpPrintObject::OpenProgress(const QString& caption, bool cancel, int maximum) {
    progress_ = std::make_unique<PrintBarForm>(DialogParent());
    QPalette colours = progress_->PrintPanel->palette();
    colours.setColor(QPalette::Window, ProgressFormColor);
    colours.setColor(QPalette::WindowText, ProgressTextColor);
    progress_->PrintPanel->setPalette(colours);
    progress_->CancelBtn->setVisible(cancel);
    progress_->PrintBar->setMaximum(maximum);
    QObject::connect(progress_.get(), &PrintBarForm::Cancelled, progress_.get(),
                     Guarded(*prompts_, [this] { AbortPrinting(); }));
    if (const QWidget* main = QApplication::activeWindow()) {
        const QRect area = main->geometry();
        progress_->move(area.left() + (area.width() - progress_->width()) / 3,
                        area.top() + (area.height() - progress_->height()) / 3);
    }
    progress_->show();
    progress_->PrintBar->setValue(0);
    progress_->SetCaption(caption);
}

void RpPrintObject::CloseProgress() {
    progress_.reset();
}

void RpPrintObject::UpdateProgress() {
    if (active_ && ShowProgress && progress_) progress_->StepBy(ProgressBarInc);
}

bool RpPrintObject::HearHandIn(double waited) {
    if (!progress_) OpenProgress(QString(), true, 100);
    progress_->ShowHandIn(waited);
    return !cancelled_;
}

void RpPrintObject::AbortPrinting() {
    if (awaitingPrinters_) {
        cancelled_ = true;
        return;
    }
    if (progress_) progress_->hide();
    if (prompts_->AskYesNo(QStringLiteral("Abort printing?"))) {
        if (printingStoredPages_) {
            cancelled_ = true;
        } else {
            active_ = false;
            Fire(OnCancel);
        }
    }
    if (progress_) progress_->show();
}

void RpPrintObject::PrintStoredPages() {
    if (!pages_ || printingStoredPages_) return;
    lookup_->AskAgainIfOld();
    printingStoredPages_ = true; // Print again while the output is chosen or awaited does nothing
    const std::optional<PrintDevice*> output = JobOutput();
    printingStoredPages_ = false;
    if (!output || !pages_) return; // the report may have ended meanwhile
    const int count = pages_->Count();
    int from = pages_->FirstPageToPrint, to = pages_->LastPageToPrint;
    pdfFileChosen_ = !*output;
    ReadPrinterSetup();
    if (*output) WriteReportSetup(**output);
    if (ShowPrintDialog && PrintDialog && !PrintDialog(*output, count, from, to)) return;
    std::unique_ptr<PrintDevice> pdfFile;
    PrintDevice* device = std::exchange(pdfFileChosen_, false) ? ChoosePdfFile(pdfFile) : Printer();
    if (!device) return;
    ReadPrinterSetup(); // of a printer the dialog chose first
    PrintDevice& printer = *device;
    from = std::clamp(from, 1, count);
    to = std::clamp(to, from, count);
    pages_->FirstPageToPrint = from;
    pages_->LastPageToPrint = to;
    // The dialog may have chosen another sheet or turned it: the pages were laid out for this one.
    WriteReportSetup(printer);

    printingStoredPages_ = true;
    cancelled_ = false;
    const auto done = qScopeGuard([this, &printer] {
        printer.Abort();
        CloseProgress();
        printingStoredPages_ = false;
    });
    if (ShowProgress) OpenProgress(QStringLiteral("Printing Report......."), true, 100);
    Fire(BeforePrint);
    printer.SetTitle(Title);
    printer.SetEndWait(PrintSystemWait, [this](double waited) { return HearHandIn(waited); });
    try {
        printer.BeginDoc();
        const QRect area = printer.PrintableRect();
        const RpReplayOptions options{
            QRectF(double(area.left()) / printer.DpiX(), double(area.top()) / printer.DpiY(),
                   double(area.width()) / printer.DpiX(), double(area.height()) / printer.DpiY()),
            printer.ColorCapable(), true};
        Fire(OnFirstPage);
        const double step = 100.0 / (to - from + 1);
        double progress = 0;
        for (int page = from; page <= to; ++page) {
            pages_->ReplayPage(page, printer.Painter(), options);
            progress += step;
            if (progress_) progress_->SetPosition(static_cast<int>(std::lround(progress)));
            ProcessMessages();
            if (cancelled_ || page == to) break;
            printer.NewPage();
        }
        Fire(OnLastPage);
        if (progress_) progress_->SetPosition(100);
        cancelled_ = false; // a Cancel from now on gives up the job the print system has not taken yet
        printer.EndDoc();
    } catch (const EPrintNotTaken& job) {
        if (!KeepAsPdfFile(job, *prompts_)) return;
    } catch (const EPrintCancelled&) {
        return;
    } catch (const EPrintError& error) {
        prompts_->Show(QString::fromUtf8(error.what()));
        return;
    }
    Fire(AfterPrint);
}
