#include "print/preview/pv_printer.h"

#include <QPageSize>
#include <algorithm>
#include <cmath>

#include "platform/print/pdf_file_device.h"
#include "platform/print/printer_device.h"
#include "print/preview/pv_error.h"

const QString PvPrinter::kPdfFile = PdfFileOutputName();

namespace {

// Position of a value in a list of device-mode numbers, or 0.
template <size_t N> int Ordinal(const int (&codes)[N], int code) {
    const auto at = std::find(std::begin(codes), std::end(codes), code);
    return at == std::end(codes) ? 0 : static_cast<int>(at - std::begin(codes));
}

// The sheet a print device is given: the paper's code only where the code's standard sheet is the size
// the preview shows (B5's code stands for a larger sheet), else the exact size.
Paper DevicePaper(PvPaperSize paper, PvPoint customInches) {
    const PvPoint inches = paper == Custom ? customInches : GetPaperSize(paper);
    const QSizeF size(double(inches.X), double(inches.Y));
    const int code = PaperCode(paper);
    const QSizeF standard = QPageSize(QPageSize::id(code)).size(QPageSize::Inch);
    const bool same = code > 0 && std::abs(standard.width() - size.width()) < 0.02 &&
                      std::abs(standard.height() - size.height()) < 0.02;
    return {same ? code : 0, size};
}

constexpr int kDuplexCodes[] = {1, 3, 2};
constexpr int kDitherCodes[] = {1, 2, 3, 4, 10};
constexpr int kQualityCodes[] = {-1, -2, -3, -4};

} // namespace

PvPrinter::PvPrinter(UserPrompts& prompts)
    : MakeDevice(
          [this](const QString& name, const std::filesystem::path& pdf) { return OutputDevice(name, pdf); }),
      lookup_(&PrinterLookup::System()), prompts_(&prompts) {}

PvPrinter::~PvPrinter() {
    Abort();
}

std::unique_ptr<PrintDevice> PvPrinter::OutputDevice(const QString& name,
                                                     const std::filesystem::path& pdf) const {
    if (name == kPdfFile) return std::make_unique<PdfFileDevice>(pdf);
    const std::optional<PrinterList> answer = lookup_->Answer();
    const PrinterFacts* printer = answer ? answer->Find(name) : nullptr;
    return printer ? std::make_unique<PrinterDevice>(*printer) : nullptr;
}

QStringList PvPrinter::PrinterNames() const {
    return OutputNames(lookup_->Answer(), printerName_);
}

QString PvPrinter::PrinterName() const {
    return OutputName(lookup_->Answer(), printerName_);
}

std::optional<QString> PvPrinter::JobOutput() {
    lookup_->AskAgainIfOld();
    if (printerName_ == kPdfFile) return printerName_;
    const QString shown = PrinterName();
    waiting_ = true;
    const std::optional<JobPrinters> answer =
        lookup_->AwaitForJob(PrintSystemWait, *prompts_, WhileHandingIn, printerName_);
    waiting_ = false;
    if (!answer) return std::nullopt;
    // A PDF file taken instead answers for this job alone. A default printer that came meanwhile is shown
    // before the job goes to it.
    if (answer->PdfFileTaken) return kPdfFile;
    if (PrinterName() != shown) ChangedPrinter();
    return PrinterName();
}

void PvPrinter::ChangedPrinter() {
    probe_.reset();
    if (OnChangePrinter) OnChangePrinter();
}

void PvPrinter::SetPrinterName(const QString& name) {
    printerName_ = name;
    ChangedPrinter();
}

void PvPrinter::SetCollate(bool on) {
    mode_.Collate = on ? 1 : 0;
}
PvDuplexType PvPrinter::Duplex() const {
    return static_cast<PvDuplexType>(Ordinal(kDuplexCodes, mode_.Duplex));
}
void PvPrinter::SetDuplex(PvDuplexType duplex) {
    mode_.Duplex = kDuplexCodes[duplex];
    duplexChosen_ = true;
}
void PvPrinter::SetPrintCopies(int copies) {
    mode_.Copies = std::max(copies, 1);
}
void PvPrinter::SetPrintColor(PvPrintColor color) {
    mode_.Color = color == pvMonochrome ? 1 : 2;
    colorChosen_ = true;
}
PvDitherType PvPrinter::DitherType() const {
    return static_cast<PvDitherType>(Ordinal(kDitherCodes, mode_.DitherType));
}
void PvPrinter::SetDitherType(PvDitherType dither) {
    mode_.DitherType = kDitherCodes[dither];
}
PvPrintQuality PvPrinter::PrintQuality() const {
    return static_cast<PvPrintQuality>(Ordinal(kQualityCodes, mode_.PrintQuality));
}
void PvPrinter::SetPrintQuality(PvPrintQuality quality) {
    mode_.PrintQuality = kQualityCodes[quality];
}

void PvPrinter::SetOrientation(PvOrientation orientation) {
    mode_.Orientation = orientation == pvLandscape ? 2 : 1;
    probe_.reset();
}

void PvPrinter::SetPaperSize(PvPaperSize paper, PvPoint customInches) {
    paper_ = paper;
    customInches_ = customInches;
    mode_.PaperSize = PaperCode(paper);
    probe_.reset();
}

PrintDevice* PvPrinter::Probe() const {
    if (device_) return device_.get();
    if (!probe_) {
        probe_ = MakeDevice(PrinterName(), {});
        if (probe_) {
            probe_->SetPaper(DevicePaper(paper_, customInches_));
            probe_->SetOrientation(Orientation() == pvLandscape ? PrintOrientation::Landscape
                                                                : PrintOrientation::Portrait);
        }
    }
    return probe_.get();
}

int PvPrinter::PpiX() const {
    PrintDevice* device = Probe();
    return device ? device->DpiX() : 300;
}

int PvPrinter::PpiY() const {
    PrintDevice* device = Probe();
    return device ? device->DpiY() : 300;
}

PvRect PvPrinter::PrinterMargins() const {
    PrintDevice* device = Probe();
    // Without a printer: those of an A4 sheet at 300 pixels per inch.
    if (!device) return {65.0L / 300, 50.0L / 300, 58.0L / 300, 50.0L / 300};
    const QRect page = device->PageRect(), printable = device->PrintableRect();
    return {static_cast<long double>(printable.left() - page.left()) / device->DpiX(),
            static_cast<long double>(printable.top() - page.top()) / device->DpiY(),
            static_cast<long double>(page.right() - printable.right()) / device->DpiX(),
            static_cast<long double>(page.bottom() - printable.bottom()) / device->DpiY()};
}

void PvPrinter::ApplyMode() {
    device_->SetEndWait(PrintSystemWait, WhileHandingIn);
    auto* printer = dynamic_cast<PrinterDevice*>(device_.get());
    // Dithering and quality have no counterpart in the printing system and stay settings of the job only.
    if (!printer) return;
    PrinterJobOptions options;
    options.Copies = mode_.Copies;
    options.Collate = mode_.Collate == 1;
    // Duplex and colour nobody set leave the printer's own defaults standing.
    if (duplexChosen_)
        options.Duplex = mode_.Duplex == 3   ? PrintDuplex::ShortSide
                         : mode_.Duplex == 2 ? PrintDuplex::LongSide
                                             : PrintDuplex::None;
    if (colorChosen_) options.Monochrome = mode_.Color == 1;
    printer->SetJobOptions(options);
}

bool PvPrinter::BeginDoc(PvPagesPerSheet pagesPerSheet) {
    if (printing_ || waiting_) return false;
    const std::optional<QString> output = JobOutput();
    if (!output) return false;
    std::filesystem::path pdf;
    if (*output == kPdfFile) {
        QString filter;
        pdf = prompts_->ChooseSaveFile(PdfFileChoice(), filter).toStdString();
        if (pdf.empty()) return false;
    }
    device_ = MakeDevice(*output, pdf);
    if (!device_) {
        prompts_->Show(QStringLiteral("Unable to print... No Printer available."));
        return false;
    }
    printing_ = true;
    aborted_ = false;
    pagesPerSheet_ = pagesPerSheet;
    if (BeforePrint) BeforePrint();
    if (aborted_) return false;
    // Two pages share a sheet side by side: the sheet turns.
    const bool turned = pagesPerSheet == pvTwoPage;
    const bool landscape = (Orientation() == pvLandscape) != turned;
    device_->SetPaper(DevicePaper(paper_, customInches_));
    device_->SetOrientation(landscape ? PrintOrientation::Landscape : PrintOrientation::Portrait);
    device_->SetTitle(Title);
    ApplyMode();
    try {
        device_->BeginDoc();
    } catch (const EPrintError& error) {
        printing_ = false;
        device_.reset();
        ShowPvError(*prompts_, "PvPrinter", QString::fromStdString(error.what()));
        return false;
    }
    pageCounter_ = 1;
    return true;
}

void PvPrinter::NewPage() {
    if (!printing_) return;
    ++pageCounter_;
    const int perSheet = pagesPerSheet_ == pvFourPage ? 4 : pagesPerSheet_ == pvTwoPage ? 2 : 1;
    if ((pageCounter_ - 1) % perSheet == 0) device_->NewPage();
}

void PvPrinter::EndDoc() {
    if (!printing_) return;
    // Printing until the output has taken the job: Print meanwhile starts nothing.
    bool printed = false;
    try {
        device_->EndDoc();
        printed = true;
    } catch (const EPrintNotTaken& job) {
        printed = KeepAsPdfFile(job, *prompts_);
    } catch (const EPrintCancelled&) {
    } catch (const EPrintError& error) {
        ShowPvError(*prompts_, "PvPrinter", QString::fromStdString(error.what()));
    }
    printing_ = false;
    device_.reset();
    if (printed && AfterPrint) AfterPrint();
}

void PvPrinter::Abort() {
    if (!printing_) return;
    aborted_ = true;
    printing_ = false;
    if (device_) device_->Abort();
    device_.reset();
    if (OnAbortPrint) OnAbortPrint();
}

QPainter& PvPrinter::Painter() {
    return device_->Painter();
}

double PvPrinter::PageScale() const {
    if (!device_ || pagesPerSheet_ == pvOnePage) return 1.0;
    const QRect sheet = device_->PageRect();
    // The page as it would lie on a sheet of its own.
    const double pageW = pagesPerSheet_ == pvTwoPage ? sheet.height() : sheet.width();
    const double pageH = pagesPerSheet_ == pvTwoPage ? sheet.width() : sheet.height();
    return pagesPerSheet_ == pvTwoPage ? std::min(sheet.width() / 2.0 / pageW, sheet.height() / pageH) : 0.5;
}

QRectF PvPrinter::PageSlot() const {
    if (!device_) return {};
    const QRectF sheet = device_->PageRect();
    if (pagesPerSheet_ == pvOnePage) return sheet;
    const int index = (pageCounter_ - 1) % (pagesPerSheet_ == pvFourPage ? 4 : 2);
    if (pagesPerSheet_ == pvFourPage) {
        const double w = sheet.width() / 2, h = sheet.height() / 2;
        return {(index % 2) * w, (index / 2) * h, w, h};
    }
    const double scale = PageScale();
    const double w = sheet.height() * scale, h = sheet.width() * scale;
    const double half = sheet.width() / 2;
    return {index * half + (half - w) / 2, (sheet.height() - h) / 2, w, h};
}
