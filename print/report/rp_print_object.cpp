#include "print/report/rp_print_object.h"

#include <QScopeGuard>
#include <algorithm>

#include "platform/user_prompts.h"

namespace {

// Runs `step`; a failure shows `message` and the caller goes on.
void Tolerated(UserPrompts& prompts, const char* message, const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception&) {
        prompts.Show(QString::fromLatin1(message));
    }
}

// Sets `flag` to `value` until the scope ends.
auto Hold(bool& flag, bool value) {
    const bool kept = flag;
    flag = value;
    return qScopeGuard([&flag, kept] { flag = kept; });
}

} // namespace

QSizeF RpPrintObject::PageInches() const {
    const QSizeF paper = PaperOf(PaperSize).Inches;
    return Orientation == PrintOrientation::Landscape ? paper.transposed() : paper;
}

int RpPrintObject::Pixels(double value) const {
    switch (Measurement) {
    case mtMM:
        return Px(value / 25.4);
    case mtPixels: // pixels of the reference resolution, the same both ways
        return static_cast<int>(value);
    default:
        return Px(value);
    }
}

void RpPrintObject::Record(RpPrintCommand command) {
    if (Recording()) pages_->Add(std::move(command));
}

void RpPrintObject::RecordOutput(RpPrintCommand command) {
    if (!Recording()) return;
    pageEmptyAfterBreak_ = false;
    pages_->Add(std::move(command));
}

void RpPrintObject::RecordSetting(RpCode code, uint32_t value) {
    Record(RpSetting{code, value, {}});
}

void RpPrintObject::RecordShape(RpCode code, std::vector<QPointF> points) {
    RecordOutput(RpShape{code, std::move(points)});
}

void RpPrintObject::Fire(const std::function<void()>& event) {
    if (event) event();
}

void RpPrintObject::Start() {
    active_ = true;
    ReadPrinterSetup();
    WritePrinterSetup(false);
    const QSizeF page = PageInches();
    pageWidth_ = Px(page.width());
    pageHeight_ = Px(page.height());
    drawState_ = RpDrawState();
    UseFont(drawState_.Font);
    layout_ = RpLayoutState();
    layout_.MarginRight = pageWidth_;
    layout_.DetailBottom = pageHeight_;
    fonts_.Clear();
    pageEmptyAfterBreak_ = false;
    pages_ = std::make_unique<RpPages>();
    pages_->NewPage(drawState_, PageLayout());
    recording_ = true;
    if (ShowProgress) OpenProgress(QStringLiteral("Preparing Report......."), ShowCancelBtn, ProgressBarMax);
    SetAutoPaging(AutomaticPaging);
}

void RpPrintObject::Quit() {
    if (active_) {
        Tolerated(*prompts_, "Error in completing last page.", [this] { FinishLastPage(); });
        Tolerated(*prompts_, "Error preparing final report.", [this] {
            recording_ = false;
            CloseProgress();
            pages_->FirstPageToPrint = 1;
            pages_->LastPageToPrint = pages_->Count();
        });
        Tolerated(*prompts_, "Error showing/printing final report.", [this] {
            if (Preview)
                ShowPreview();
            else
                PrintStoredPages();
        });
    }
    ClearSettings();
    pages_.reset();
    active_ = recording_ = false;
    CloseProgress();
    WritePrinterSetup(true);
    printerOwnSetup_.reset();
}

void RpPrintObject::FinishLastPage() {
    // Rows that exactly fill the pages leave an empty page behind the last break: it is not a page.
    if (pageEmptyAfterBreak_ && pages_->Count() > 1) {
        pages_->DropLast();
    } else {
        DrawHeader();
        DrawFooter();
        DrawPageNumber();
    }
    const auto paging = Hold(AutomaticPaging, false);
    Fire(OnNewPage);
}

void RpPrintObject::ClearSettings() {
    layout_.Header = {};
    layout_.Footer = {};
    layout_.HeaderBox = layout_.FooterBox = RpBox();
    layout_.Columns = {};
    layout_.PageNumber = RpInfoLine();
}

RpLayoutState RpPrintObject::PageLayout() const {
    RpLayoutState layout = layout_;
    layout.AutoPaging = AutomaticPaging;
    layout.Measurement = static_cast<uint8_t>(Measurement);
    layout.ShowTotal = ShowTotalPages;
    return layout;
}

void RpPrintObject::SetMeasurement(MeasureType measurement) {
    if (!active_) return;
    Measurement = measurement;
    RecordLayout(RpCode::Measure, measurement);
}

void RpPrintObject::SetMargins(double, double, double left, double right) {
    if (!active_) return;
    // Lines are bounded vertically by the detail area; the margins place text across the sheet. A pair the
    // wrong way round, or a value at or before the sheet's edge, becomes the edge.
    layout_.MarginLeft = Pixels(left);
    layout_.MarginRight = Pixels(right);
    if (layout_.MarginLeft >= layout_.MarginRight) {
        layout_.MarginLeft = 0;
        layout_.MarginRight = pageWidth_;
    }
    layout_.MarginLeft = std::clamp(layout_.MarginLeft, 0, pageWidth_);
    layout_.MarginRight =
        layout_.MarginRight <= 0 ? pageWidth_ : std::clamp(layout_.MarginRight, 0, pageWidth_);
    RecordLayout(RpCode::Margins, layout_.MarginLeft, layout_.MarginRight);
}

void RpPrintObject::UseFont(const RpFont& font) {
    font_ = font;
    drawState_.Font = font;
    measure_.SetFont(font);
    lineHeight_ = std::max(1, static_cast<int>(measure_.Height()));
}

void RpPrintObject::SetFont(const RpFont& font) {
    if (!active_) return;
    UseFont(font);
    Record(RpSetting{RpCode::Font, 0, font});
}

void RpPrintObject::SaveFont() {
    if (active_) fonts_.Push(font_);
}

void RpPrintObject::RestoreFont() {
    if (!active_) return;
    if (const std::optional<RpFont> font = fonts_.Pop()) SetFont(*font);
}

void RpPrintObject::SetInfo(RpCode code, int line, const QString& text, double y, int alignment,
                            const RpFont& font) {
    if (!active_ || line < 1 || line > kInfoLines) return;
    auto& lines = code == RpCode::HeaderInf ? layout_.Header : layout_.Footer;
    RpInfoLine& info = lines[static_cast<size_t>(line - 1)];
    info = {text, std::clamp(Pixels(y), 0, pageHeight_), alignment, font};
    Record(RpInfo{code, line, info, false});
}

void RpPrintObject::SetHeaderInformation(int line, const QString& text, double y, int alignment,
                                         const RpFont& font) {
    SetInfo(RpCode::HeaderInf, line, text, y, alignment, font);
}

void RpPrintObject::SetFooterInformation(int line, const QString& text, double y, int alignment,
                                         const RpFont& font) {
    SetInfo(RpCode::FooterInf, line, text, y, alignment, font);
}

void RpPrintObject::SetBox(RpCode code, uint8_t boxMode, int lineWidth, double left, double top, double right,
                           double bottom, QRgb shade) {
    if (!active_) return;
    RpBox& box = code == RpCode::HeaderDim ? layout_.HeaderBox : layout_.FooterBox;
    box = {Pixels(left), Pixels(top), Pixels(right), Pixels(bottom), boxMode, shade, lineWidth};
    Record(RpBoxDim{code, box});
}

void RpPrintObject::SetHeaderDimensions(uint8_t boxMode, int lineWidth, double left, double top, double right,
                                        double bottom, QRgb shade) {
    SetBox(RpCode::HeaderDim, boxMode, lineWidth, left, top, right, bottom, shade);
}

void RpPrintObject::SetFooterDimensions(uint8_t boxMode, int lineWidth, double left, double top, double right,
                                        double bottom, QRgb shade) {
    SetBox(RpCode::FooterDim, boxMode, lineWidth, left, top, right, bottom, shade);
}

void RpPrintObject::SetPageNumberInformation(const QString& format, int alignment, double y, bool showTotal,
                                             const RpFont& font) {
    if (!active_) return;
    layout_.PageNumber = {format, std::clamp(Pixels(y), 0, pageHeight_), alignment, font};
    ShowTotalPages = showTotal;
    Record(RpInfo{RpCode::PageNumberInf, 0, layout_.PageNumber, showTotal});
}

void RpPrintObject::SetDetailTopBottom(double top, double bottom) {
    if (!active_) return;
    layout_.SetDetail(Pixels(top), Pixels(bottom), lineHeight_);
    RecordLayout(RpCode::Detail, layout_.DetailTop, layout_.DetailBottom);
}

void RpPrintObject::SetColumnInformation(int column, double left, double width) {
    if (!active_) return;
    if (column < 1 || column > kColumns) {
        prompts_->Show(QStringLiteral("Column value must be between 1 and %1.").arg(kColumns));
        return;
    }
    RpColumn& at = layout_.Columns[static_cast<size_t>(column - 1)];
    at = {Pixels(left), Pixels(width)};
    RecordLayout(RpCode::Column, at.Left, at.Width, column);
}

int RpPrintObject::WrapWidth(const RpColumn& column) {
    return std::max(column.Width - Px(kWrapGap), 1);
}

const RpColumn* RpPrintObject::ColumnAt(int column) const {
    return column >= 1 && column <= kColumns ? &layout_.Columns[static_cast<size_t>(column - 1)] : nullptr;
}

void RpPrintObject::TopOfPage() {
    if (!active_) return;
    layout_.TopOfPage();
    RecordLayout(RpCode::TopOfPage);
}

void RpPrintObject::SetYPosition(double y) {
    if (!active_) return;
    layout_.CurrentLine = std::clamp(Pixels(y), 0, pageHeight_);
    RecordLayout(RpCode::SetY, layout_.CurrentLine);
}

void RpPrintObject::SaveYPosition() {
    if (!active_) return;
    layout_.Lines.Push(layout_.CurrentLine);
    RecordLayout(RpCode::SaveY);
}

void RpPrintObject::RestoreYPosition() {
    if (!active_) return;
    layout_.RestoreLine();
    RecordLayout(RpCode::RestoreY);
}

void RpPrintObject::SetTab(double indent) {
    if (!active_) return;
    layout_.Tab = indent > 0 ? Pixels(indent) : 0;
    RecordLayout(RpCode::Tab, layout_.Tab);
}

void RpPrintObject::SetAutoPaging(bool on) {
    if (!active_) return;
    AutomaticPaging = on;
    RecordLayout(on ? RpCode::AutoPagingOn : RpCode::AutoPagingOff);
}

int RpPrintObject::ResolveY(double y) const {
    if (y > -0.01) return std::clamp(Pixels(y), 0, pageHeight_);
    return y == -1 ? kNextLine : kCurrentLine;
}

void RpPrintObject::WriteText(const QString& text, double x, double y) {
    if (!Recording()) return;
    const int left = x >= 0 ? Pixels(x) : x == -1 ? layout_.CurrentX : layout_.MarginLeft;
    WriteTextPx(text, left, ResolveY(y));
}

void RpPrintObject::WriteTextPx(const QString& text, int x, int y) {
    WriteAt(text, std::max(x, 0) + layout_.Tab, y);
}

void RpPrintObject::WriteAt(const QString& text, int x, int y) {
    if (!Recording()) return;
    if (y == kNextLine) {
        // After a break the text takes the new page's first line.
        if (AutomaticPaging && layout_.CurrentLine + lineHeight_ > layout_.DetailBottom)
            StartNewPage(true);
        else
            layout_.CurrentLine += lineHeight_;
    } else if (y == kCurrentLine) {
        if (AutomaticPaging && layout_.CurrentLine > layout_.DetailBottom) StartNewPage(true);
    } else {
        layout_.CurrentLine = y;
    }
    x = std::max(x, 0);
    const double advance = measure_.Width(text);
    RecordOutput(
        RpText{{Inches(x), Inches(layout_.CurrentLine)}, text, advance, drawState_.BrushColor, !Transparent});
    layout_.CurrentX = x + static_cast<int>(advance);
}

void RpPrintObject::WriteTextCentered(const QString& text, double y) {
    if (!Recording()) return;
    WriteAt(text, (layout_.MarginLeft + layout_.MarginRight) / 2 - static_cast<int>(measure_.Width(text) / 2),
            ResolveY(y));
}

void RpPrintObject::WriteTextRight(const QString& text, double y) {
    if (!Recording()) return;
    WriteAt(text, layout_.MarginRight - static_cast<int>(measure_.Width(text)), ResolveY(y));
}

void RpPrintObject::WriteColumn(int column, const QString& text, double y) {
    if (const RpColumn* at = ColumnAt(column); at && Recording())
        WriteTextPx(text, at->Left + Px(kColumnInset), ResolveY(y));
}

void RpPrintObject::WriteColumnWrapped(int column, const QString& text, double y, bool saveY,
                                       bool keepTogether) {
    if (const RpColumn* at = ColumnAt(column); at && Recording())
        WriteWrapped(text, at->Left, at->Left + WrapWidth(*at), y, saveY, keepTogether);
}

QStringList RpPrintObject::WrappedLines(const QString& text, int width) {
    QStringList lines = measure_.Wrap(text, width);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

int RpPrintObject::WrappedLineCount(int column, const QString& text) {
    const RpColumn* at = ColumnAt(column);
    return at && active_ ? static_cast<int>(WrappedLines(text, WrapWidth(*at)).size()) : 0;
}

void RpPrintObject::WriteWrapped(const QString& text, int left, int right, double y, bool saveY,
                                 bool keepTogether) {
    const QStringList lines = WrappedLines(text, right - left);
    if (saveY) SaveYPosition();
    if (y == -1)
        NextLine();
    else if (y > -0.01)
        SetYPosition(y);
    if (keepTogether && lines.size() > LinesLeft() && !NothingOnPageYet()) {
        if (saveY) RestoreYPosition();
        StartNewPage(true);
        if (saveY) SaveYPosition();
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) NextLine();
        WriteTextPx(lines[i], left, kCurrentLine);
    }
    if (saveY) RestoreYPosition();
}

int RpPrintObject::LinesLeft() const {
    return layout_.CurrentLine > layout_.DetailBottom
               ? 0
               : (layout_.DetailBottom - layout_.CurrentLine) / lineHeight_;
}

void RpPrintObject::KeepTogether(int lines) {
    if (Recording() && lines > LinesLeft() && !NothingOnPageYet()) StartNewPage(true);
}

bool RpPrintObject::NothingOnPageYet() const {
    // A page begun by a break already holds its head (a header row, say), which has moved the line down.
    return pageEmptyAfterBreak_ || layout_.CurrentLine <= layout_.DetailTop;
}

void RpPrintObject::NextLine() {
    if (!Recording()) return;
    layout_.NextLine(lineHeight_);
    if (AutomaticPaging && layout_.CurrentLine + lineHeight_ > layout_.DetailBottom)
        StartNewPage(true);
    else
        RecordLayout(RpCode::NextLine);
}

void RpPrintObject::NewPage() {
    StartNewPage(false);
}

void RpPrintObject::StartNewPage(bool automatic) {
    if (!Recording()) return;
    SaveFont();
    DrawHeader();
    DrawFooter();
    DrawPageNumber();
    {
        const auto paging = Hold(AutomaticPaging, false);
        Fire(OnNewPage);
    }
    pages_->NewPage(drawState_, PageLayout());
    TopOfPage();
    {
        // What the handler writes heads the new page; the body goes on below it.
        const auto paging = Hold(AutomaticPaging, false);
        Fire(AfterNewPage);
    }
    pageEmptyAfterBreak_ = automatic;
    RestoreFont();
}

void RpPrintObject::DrawInfo(const std::array<RpInfoLine, kInfoLines>& lines, const RpBox& box) {
    SaveFont();
    DrawBox(box);
    for (const RpInfoLine& line : lines) {
        if (line.Text.isEmpty()) continue;
        SetFont(line.Font);
        const int width = static_cast<int>(measure_.Width(line.Text));
        const int x = line.Alignment == 1   ? box.Left + (box.Right - box.Left) / 2 - width / 2
                      : line.Alignment == 2 ? box.Right - width
                                            : box.Left;
        WriteTextPx(line.Text, x, line.Y);
    }
    RestoreFont();
}

void RpPrintObject::DrawBox(const RpBox& box) {
    if (box.Mode != 1) return;
    const RpDrawState kept = drawState_;
    SetPenColor(qRgb(0, 0, 0));
    SetLineWidth(box.LineWidth);
    SetBrushColor(box.Shade);
    // Black, like no shade at all, leaves the box unfilled: only a colour fills it.
    SetBrushStyle((box.Shade & RGB_MASK) != 0 ? Qt::SolidPattern : Qt::NoBrush);
    const double left = Inches(box.Left), top = Inches(box.Top), right = Inches(box.Right),
                 bottom = Inches(box.Bottom);
    RecordShape(RpCode::Polygon, {{left, top}, {right, top}, {right, bottom}, {left, bottom}});
    SetPenColor(kept.PenColor);
    SetLineWidth(static_cast<int>(kept.PenWidth));
    SetBrushColor(kept.BrushColor);
    SetBrushStyle(static_cast<Qt::BrushStyle>(kept.BrushStyle));
}

void RpPrintObject::DrawFooter() {
    const auto paging = Hold(AutomaticPaging, false);
    DrawInfo(layout_.Footer, layout_.FooterBox);
}

void RpPrintObject::DrawPageNumber() {
    if (!Recording() || !PrintPageNumbers || layout_.PageNumber.Text.isEmpty()) return;
    RecordOutput(RpPageNumber{drawState_.BrushColor, !Transparent});
}
