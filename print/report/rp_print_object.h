#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/print/print_device.h"
#include "platform/print/printer_lookup.h"
#include "platform/user_prompts.h"
#include "print/report/page_store.h"
#include "print/report/paper_sizes.h"
#include "print/report/text_measure.h"

class Graphic;
class PrintBarForm;

enum MeasureType { mtInches, mtMM, mtPixels };
// First zoom of the preview, by item of its zoom list.
enum Percentages { P2_Sixty, P3_Seventy, P4_Eighty, P5_Ninety, P6_Full };

// Lays out a text report page by page between Start and Quit: margins, header and footer lines with
// boxes, a page-number line, columns, running text with automatic page breaks, fonts and simple drawing.
// Every page is recorded with positions already resolved, then shown in the preview or printed by replaying
// it. Layout happens at a fixed reference resolution so every device breaks pages alike. Positions are in
// the chosen measurement from the sheet's top-left corner; for text, X = -1 continues behind the previous
// text and any other negative X is the left margin; Y = -1 is the next line and Y = -2 the current one.
class RpPrintObject {
  public:
    static constexpr int kColumns = RpLayoutState::kColumns;
    static constexpr int kInfoLines = RpLayoutState::kInfoLines;
    static constexpr int kMaxPolygonPoints = 50;
    // In inches: column text starts this far into its column; wrapped text ends this far before the
    // column's right edge, so that it never touches the next column's text.
    static constexpr double kColumnInset = 0.02;
    static constexpr double kWrapGap = 0.04;

    // Messages and questions go to prompts.
    explicit RpPrintObject(UserPrompts& prompts);
    ~RpPrintObject();
    RpPrintObject(const RpPrintObject&) = delete;
    RpPrintObject& operator=(const RpPrintObject&) = delete;

    bool AutomaticPaging = false;
    QString Title;
    bool Preview = false;
    bool ShowProgress = true;
    bool ShowPrintDialog = true;
    PrintOrientation Orientation = PrintOrientation::Portrait;
    bool ShowTotalPages = true;
    bool PrintPageNumbers = false;
    uint16_t ProgressBarMax = 100;
    uint16_t ProgressBarInc = 1;
    bool Transparent = false;
    Percentages StartPercent = P6_Full;
    PaperSizes PaperSize = PaperSizes::PAPER_LETTER;
    bool ShowCancelBtn = false;
    MeasureType Measurement = mtInches;
    QColor ProgressFormColor{255, 255, 225};
    QColor ProgressTextColor{0, 0, 0};
    // OnNewPage fires as a page is finished, AfterNewPage at the top of the next one: what it writes there
    // heads that page. Both see AutomaticPaging off.
    std::function<void()> OnNewPage, AfterNewPage, OnCancel, BeforePrint, AfterPrint, OnLastPage, OnFirstPage;

    UserPrompts& Prompts() const { return *prompts_; }

    // Where stored pages are printed; the system's default printer unless another device is set. Null until
    // the print system has answered, and when it has no printer: the interface never waits for it. A print
    // job without a printer goes to a PDF file; before the answer it offers one at once and waits at most
    // PrintSystemWait only for the printer. The printer never holds the interface either: it takes a job
    // within PrintSystemWait or the job is given up.
    PrintDevice* Printer();
    void SetPrinter(std::unique_ptr<PrintDevice> printer) { printer_ = std::move(printer); }
    // Where the system's printers come from; tests put in their own.
    void UseLookup(PrinterLookup& lookup) { lookup_ = &lookup; }
    std::chrono::milliseconds PrintSystemWait{15000};
    // The print dialog, given the printer or null for a PDF file: may change the output and its settings and
    // the page range, which comes in as the range printed last (the whole report at first); false when the
    // user cancels. The default one chooses among the system's printers and the PDF file, the copies,
    // collating and the pages.
    std::function<bool(PrintDevice* printer, int pageCount, int& from, int& to)> PrintDialog;

    void Start();
    void Quit();
    bool Active() const { return active_; }

    void SetMeasurement(MeasureType measurement);
    // Positions from the sheet's top-left corner.
    void SetMargins(double top, double bottom, double left, double right);
    void SetFont(const RpFont& font);
    const RpFont& Font() const { return font_; }
    void SaveFont();
    void RestoreFont();
    void SetHeaderInformation(int line, const QString& text, double y, int alignment, const RpFont& font);
    void SetFooterInformation(int line, const QString& text, double y, int alignment, const RpFont& font);
    void SetHeaderDimensions(uint8_t boxMode, int lineWidth, double left, double top, double right,
                             double bottom, QRgb shade);
    void SetFooterDimensions(uint8_t boxMode, int lineWidth, double left, double top, double right,
                             double bottom, QRgb shade);
    void SetPageNumberInformation(const QString& format, int alignment, double y, bool showTotal,
                                  const RpFont& font);
    void SetDetailTopBottom(double top, double bottom);
    void SetColumnInformation(int column, double left, double width);
    void TopOfPage();
    void SetYPosition(double y);
    void SaveYPosition();
    void RestoreYPosition();
    void SetTab(double indent);
    void SetAutoPaging(bool on);

    void WriteText(const QString& text, double x, double y);
    void WriteTextCentered(const QString& text, double y);
    void WriteTextRight(const QString& text, double y);
    void WriteColumn(int column, const QString& text, double y);
    void WriteColumnWrapped(int column, const QString& text, double y, bool saveY, bool keepTogether);
    void NextLine();
    void NewPage();
    // Starts a new page first when fewer than `lines` lines are left, unless nothing is on this page yet.
    void KeepTogether(int lines);
    void UpdateProgress();

    // In inches.
    double LineHeight() const { return lineHeight_ / kDpi; }
    int LinesLeft() const;
    // The lines a text takes in a column; an empty text takes none.
    int WrappedLineCount(int column, const QString& text);

    // Drawing, in the measurement; widths in points.
    void SetLineWidth(int points);
    void SetPenColor(QRgb color);
    void SetPenStyle(Qt::PenStyle style);
    // Modes that combine with what is drawn already are drawn exactly on pictures; a printer or PDF file
    // gets such a page as a picture.
    void SetPenMode(PenMode mode);
    void SetBrushColor(QRgb color);
    void SetBrushStyle(Qt::BrushStyle style);
    void SetFontColor(QRgb color);
    void Line(double x1, double y1, double x2, double y2);
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Ellipse(double left, double top, double right, double bottom);
    void FillRect(double left, double top, double right, double bottom);
    void FrameRect(double left, double top, double right, double bottom);
    // Counter-clockwise from the radial through (x3, y3) to the one through (x4, y4).
    void Arc(double left, double top, double right, double bottom, double x3, double y3, double x4,
             double y4);
    void Pie(double left, double top, double right, double bottom, double x3, double y3, double x4,
             double y4);
    // At most kMaxPolygonPoints points; more are refused with a message.
    void PolyLine(const std::vector<QPointF>& points);
    void Polygon(const std::vector<QPointF>& points);
    // Fills with the brush from a point, over the pixels of `color` or up to a border of it. Pictures and the
    // preview fill directly; a printer or PDF file gets the page as a picture.
    void FloodFill(double x, double y, QRgb color, RpFillStyle style);
    // A width or height of -1 takes the picture's own size at the screen's resolution; an X or Y of -1
    // centres it on the page. Only bitmaps are drawn.
    void DrawGraphic(const Graphic& picture, double x, double y, double width, double height);

    // The pages of the report being composed or shown; null outside Start .. Quit.
    RpPages* Pages() { return pages_.get(); }
    const RpPages* Pages() const { return pages_.get(); }
    // The paper as laid out (oriented), in inches.
    QSizeF PageInches() const;

    // Prints pages FirstPageToPrint .. LastPageToPrint of the store (report_printing.cpp).
    void PrintStoredPages();
    // The progress window's Cancel: asks, then stops composing or printing after the current page.
    void AbortPrinting();

  private:
    static constexpr double kDpi = TextMeasure::kDpi;

    // Reference pixels from a value in the measurement.
    int Pixels(double value) const;
    static int Px(double inches) { return static_cast<int>(inches * kDpi); }
    static double Inches(int px) { return px / kDpi; }
    bool Recording() const { return active_ && recording_; }
    void Record(RpPrintCommand command);
    void RecordOutput(RpPrintCommand command);
    void RecordSetting(RpCode code, uint32_t value);
    void RecordShape(RpCode code, std::vector<QPointF> points);
    // Refuses more than kMaxPolygonPoints points with `refusal`.
    void RecordPoints(RpCode code, const std::vector<QPointF>& points, const char* refusal);
    QPointF PointInches(double x, double y) const { return {Inches(Pixels(x)), Inches(Pixels(y))}; }
    // The canvas font, measured for layout.
    void UseFont(const RpFont& font);

    static constexpr int kNextLine = -1;
    static constexpr int kCurrentLine = -2;
    // A Y in the measurement as reference pixels on the sheet, or kNextLine / kCurrentLine.
    int ResolveY(double y) const;
    // Writes at X (reference pixels, indented by the tab) on line Y (reference pixels, kNextLine or
    // kCurrentLine); WriteAt leaves the tab out.
    void WriteTextPx(const QString& text, int x, int y);
    void WriteAt(const QString& text, int x, int y);
    const RpColumn* ColumnAt(int column) const;
    // The width wrapped text takes in a column, in reference pixels.
    static int WrapWidth(const RpColumn& column);
    // Nothing but a page's head is on the current page, so a break would gain nothing.
    bool NothingOnPageYet() const;
    // The wrapped lines of a text without its trailing blank lines.
    QStringList WrappedLines(const QString& text, int width);
    void WriteWrapped(const QString& text, int left, int right, double y, bool saveY, bool keepTogether);
    void StartNewPage(bool automatic);
    void DrawInfo(const std::array<RpInfoLine, kInfoLines>& lines, const RpBox& box);
    void DrawBox(const RpBox& box);
    void DrawHeader() { DrawInfo(layout_.Header, layout_.HeaderBox); }
    void DrawFooter();
    void DrawPageNumber();
    void FinishLastPage();
    void ClearSettings();
    void Fire(const std::function<void()>& event);
    void SetInfo(RpCode code, int line, const QString& text, double y, int alignment, const RpFont& font);
    void SetBox(RpCode code, uint8_t boxMode, int lineWidth, double left, double top, double right,
                double bottom, QRgb shade);
    // The layout as the page being started begins with it.
    RpLayoutState PageLayout() const;
    void RecordLayout(RpCode code, int a = 0, int b = 0, int index = 0) {
        Record(RpLayout{code, index, a, b});
    }

    // report_printing.cpp
    bool RunPrintDialog(PrintDevice* device, int pageCount, int& from, int& to);
    // Asks for the file of the PDF output and makes its device; null when the user chose none.
    PrintDevice* ChoosePdfFile(std::unique_ptr<PrintDevice>& pdfFile);
    // While the print system answers or takes a job: the share of the wait on the progress window, whose
    // Cancel gives the job up.
    bool HearHandIn(double waited);
    void ReadPrinterSetup();
    void WritePrinterSetup(bool restore);
    // Writes the report's paper and orientation into a device.
    void WriteReportSetup(PrintDevice& device) const;
    // The printers for a job to the printer chosen, or to the default one, or the PDF file taken instead, as
    // the lookup gives them, with the wait on the progress window. Nothing when nothing is to be printed.
    std::optional<JobPrinters> AwaitPrinters(const QString& chosen);
    // The printer once the print system has answered with one; null for a PDF file, which the answer of no
    // printers, or the user before any answer, calls for. Before the answer the user may decline the file
    // and wait a bounded time for the printer. Nothing when nothing is to be printed.
    std::optional<PrintDevice*> JobOutput();
    void ShowPreview();
    void OpenProgress(const QString& caption, bool cancel, int maximum);
    void CloseProgress();

    UserPrompts* prompts_;
    std::unique_ptr<PrintDevice> printer_;
    PrinterLookup* lookup_;
    TextMeasure measure_;
    std::unique_ptr<RpPages> pages_;
    bool active_ = false;
    bool recording_ = false;

    // Layout state, in reference pixels.
    int pageWidth_ = 0, pageHeight_ = 0;
    int lineHeight_ = 1;
    RpLayoutState layout_;
    RpFont font_;
    RpDrawState drawState_;
    BoundedStack<RpFont> fonts_;
    // The last page was begun by automatic paging and nothing but its head has been put on it.
    bool pageEmptyAfterBreak_ = false;

    // Printing.
    bool printingStoredPages_ = false;
    bool cancelled_ = false;
    bool awaitingPrinters_ = false; // Cancel then stops a wait with nothing begun, and asks nothing
    bool pdfFileChosen_ = false;    // by the print dialog, in place of the printer
    bool pdfFileTaken_ = false;     // by the user before the print system answered
    std::optional<std::pair<Paper, PrintOrientation>> printerOwnSetup_;
    std::unique_ptr<PrintBarForm> progress_;
};
