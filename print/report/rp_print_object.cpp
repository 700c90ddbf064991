#include "print/report/rp_print_object.h"

#include <QScopeGuard>
#include <algorithm>

#include "platform/ui.h"

namespace {

// Runs `step`; a failure shows `message` and the caller goes on.
void Guarded(const char* message, const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception&) {
        ShowMessage(QString::fromLatin1(message));
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
    pages_ = std::make_unique<RpPages>();
    drawState_ = RpDrawState();
    UseFont(drawState_.Font);
    pages_->NewPage(drawState_);
    recording_ = true;
    if (ShowProgress) OpenProgress(QStringLiteral("Preparing Report......."), ShowCancelBtn, ProgressBarMax);
    ClearSettings();
    marginLeft_ = 0;
    marginRight_ = pageWidth_;
    detailTop_ = 0;
    detailBottom_ = pageHeight_;
    tab_ = currentLine_ = currentX_ = 0;
    fonts_.Clear();
    lines_.Clear();
    pageEmptyAfterBreak_ = false;
    SetAutoPaging(AutomaticPaging);
}

void RpPrintObject::Quit() {
    if (active_) {
        Guarded("Error in completing last page.", [this] { FinishLastPage(); });
        Guarded("Error preparing final report.", [this] {
            recording_ = false;
            CloseProgress();
            pages_->FirstPageToPrint = 1;
            pages_->LastPageToPrint = pages_->Count();
        });
        Guarded("Error showing/printing final report.", [this] {
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
    header_ = {};
    footer_ = {};
    headerBox_ = footerBox_ = Box();
    columns_ = {};
    pageNumber_ = PageNumberLine();
}

void RpPrintObject::SetMeasurement(MeasureType measurement) {
    if (active_) Measurement = measurement;
}

void RpPrintObject::SetMargins(double, double, double left, double right) {
    if (!active_) return;
    // Lines are bounded vertically by the detail area; the margins place text across the sheet. A pair the
    // wrong way round, or a value at or before the sheet's edge, becomes the edge.
    marginLeft_ = Pixels(left);
    marginRight_ = Pixels(right);
    if (marginLeft_ >= marginRight_) {
        marginLeft_ = 0;
        marginRight_ = pageWidth_;
    }
    marginLeft_ = std::clamp(marginLeft_, 0, pageWidth_);
    marginRight_ = marginRight_ <= 0 ? pageWidth_ : std::clamp(marginRight_, 0, pageWidth_);
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

void RpPrintObject::SetInfo(std::array<InfoLine, kInfoLines>& lines, int line, const QString& text, double y,
                            int alignment, const RpFont& font) {
    if (!active_ || line < 1 || line > kInfoLines) return;
    lines[static_cast<size_t>(line - 1)] = {text, std::clamp(Pixels(y), 0, pageHeight_), alignment, font};
}

void RpPrintObject::SetHeaderInformation(int line, const QString& text, double y, int alignment,
                                         const RpFont& font) {
    SetInfo(header_, line, text, y, alignment, font);
}

void RpPrintObject::SetFooterInformation(int line, const QString& text, double y, int alignment,
                                         const RpFont& font) {
    SetInfo(footer_, line, text, y, alignment, font);
}

void RpPrintObject::SetBox(Box& box, uint8_t boxMode, int lineWidth, double left, double top, double right,
                           double bottom, QRgb shade) {
    if (active_) box = {Pixels(left), Pixels(top), Pixels(right), Pixels(bottom), boxMode, shade, lineWidth};
}

void RpPrintObject::SetHeaderDimensions(uint8_t boxMode, int lineWidth, double left, double top, double right,
                                        double bottom, QRgb shade) {
    SetBox(headerBox_, boxMode, lineWidth, left, top, right, bottom, shade);
}

void RpPrintObject::SetFooterDimensions(uint8_t boxMode, int lineWidth, double left, double top, double right,
                                        double bottom, QRgb shade) {
    SetBox(footerBox_, boxMode, lineWidth, left, top, right, bottom, shade);
}

void RpPrintObject::SetPageNumberInformation(const QString& format, int alignment, double y, bool showTotal,
                                             const RpFont& font) {
    if (!active_) return;
    pageNumber_ = {format, std::clamp(Pixels(y), 0, pageHeight_), alignment, font};
    ShowTotalPages = showTotal;
}

void RpPrintObject::SetDetailTopBottom(double top, double bottom) {
    if (!active_) return;
    detailTop_ = Pixels(top);
    detailBottom_ = Pixels(bottom);
    currentLine_ = detailTop_ - lineHeight_;
}

void RpPrintObject::SetColumnInformation(int column, double left, double width) {
    if (!active_) return;
    if (column < 1 || column > kColumns) {
        ShowMessage(QStringLiteral("Column value must be between 1 and %1.").arg(kColumns));
        return;
    }
    columns_[static_cast<size_t>(column - 1)] = {Pixels(left), Pixels(width)};
}

const RpPrintObject::Column* RpPrintObject::ColumnAt(int column) const {
    return column >= 1 && column <= kColumns ? &columns_[static_cast<size_t>(column - 1)] : nullptr;
}

void RpPrintObject::TopOfPage() {
    if (!active_) return;
    currentLine_ = detailTop_;
    currentX_ = marginLeft_;
}

void RpPrintObject::SetYPosition(double y) {
    if (active_) currentLine_ = std::clamp(Pixels(y), 0, pageHeight_);
}

void RpPrintObject::SaveYPosition() {
    if (active_) lines_.Push(currentLine_);
}

void RpPrintObject::RestoreYPosition() {
    if (!active_) return;
    if (const std::optional<int> line = lines_.Pop()) currentLine_ = *line;
}

void RpPrintObject::SetTab(double indent) {
    if (active_) tab_ = indent > 0 ? Pixels(indent) : 0;
}

void RpPrintObject::SetAutoPaging(bool on) {
    if (active_) AutomaticPaging = on;
}

int RpPrintObject::ResolveY(double y) const {
    if (y > -0.01) return std::clamp(Pixels(y), 0, pageHeight_);
    return y == -1 ? kNextLine : kCurrentLine;
}

void RpPrintObject::WriteText(const QString& text, double x, double y) {
    if (!Recording()) return;
    const int left = x >= 0 ? Pixels(x) : x == -1 ? currentX_ : marginLeft_;
    WriteTextPx(text, left, ResolveY(y));
}

void RpPrintObject::WriteTextPx(const QString& text, int x, int y) {
    WriteAt(text, std::max(x, 0) + tab_, y);
}

void RpPrintObject::WriteAt(const QString& text, int x, int y) {
    if (!Recording()) return;
    if (y == kNextLine) {
        // After a break the text takes the new page's first line.
        if (AutomaticPaging && currentLine_ + lineHeight_ > detailBottom_)
            StartNewPage(true);
        else
            currentLine_ += lineHeight_;
    } else if (y == kCurrentLine) {
        if (AutomaticPaging && currentLine_ > detailBottom_) StartNewPage(true);
    } else {
        currentLine_ = y;
    }
    x = std::max(x, 0);
    RecordOutput(RpText{{Inches(x), Inches(currentLine_)}, text, drawState_.BrushColor, !Transparent});
    currentX_ = x + static_cast<int>(measure_.Width(text));
}

void RpPrintObject::WriteTextCentered(const QString& text, double y) {
    if (!Recording()) return;
    WriteAt(text, (marginLeft_ + marginRight_) / 2 - static_cast<int>(measure_.Width(text) / 2), ResolveY(y));
}

void RpPrintObject::WriteTextRight(const QString& text, double y) {
    if (!Recording()) return;
    WriteAt(text, marginRight_ - static_cast<int>(measure_.Width(text)), ResolveY(y));
}

void RpPrintObject::WriteColumn(int column, const QString& text, double y) {
    if (const Column* at = ColumnAt(column); at && Recording())
        WriteTextPx(text, at->Left + Px(0.02), ResolveY(y));
}

void RpPrintObject::WriteColumnWrapped(int column, const QString& text, double y, bool saveY,
                                       bool keepTogether) {
    if (const Column* at = ColumnAt(column); at && Recording())
        WriteWrapped(text, at->Left, at->Left + at->Width, y, saveY, keepTogether);
}

QStringList RpPrintObject::WrappedLines(const QString& text, int width) {
    QStringList lines = measure_.Wrap(text, width);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

int RpPrintObject::WrappedLineCount(int column, const QString& text) {
    const Column* at = ColumnAt(column);
    return at && active_ ? static_cast<int>(WrappedLines(text, at->Width).size()) : 0;
}

void RpPrintObject::WriteWrapped(const QString& text, int left, int right, double y, bool saveY,
                                 bool keepTogether) {
    const QStringList lines = WrappedLines(text, right - left);
    if (saveY) SaveYPosition();
    if (y == -1)
        NextLine();
    else if (y > -0.01)
        SetYPosition(y);
    if (keepTogether && lines.size() > LinesLeft() && currentLine_ > detailTop_) {
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
    return currentLine_ > detailBottom_ ? 0 : (detailBottom_ - currentLine_) / lineHeight_;
}

void RpPrintObject::KeepTogether(int lines) {
    if (Recording() && lines > LinesLeft() && currentLine_ > detailTop_) StartNewPage(true);
}

void RpPrintObject::NextLine() {
    if (!Recording()) return;
    currentLine_ += lineHeight_;
    if (AutomaticPaging && currentLine_ + lineHeight_ > detailBottom_) StartNewPage(true);
    currentX_ = marginLeft_;
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
    pages_->NewPage(drawState_);
    TopOfPage();
    {
        // What the handler writes heads the new page; the body goes on below it.
        const auto paging = Hold(AutomaticPaging, false);
        Fire(AfterNewPage);
    }
    pageEmptyAfterBreak_ = automatic;
    RestoreFont();
}

void RpPrintObject::DrawInfo(const std::array<InfoLine, kInfoLines>& lines, const Box& box) {
    SaveFont();
    DrawBox(box);
    for (const InfoLine& line : lines) {
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

void RpPrintObject::DrawBox(const Box& box) {
    if (box.Mode != 1) return;
    const RpDrawState kept = drawState_;
    SetPenColor(qRgb(0, 0, 0));
    SetLineWidth(box.LineWidth);
    SetBrushColor(box.Shade);
    SetBrushStyle(box.Shade > 0 ? Qt::SolidPattern : Qt::NoBrush);
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
    DrawInfo(footer_, footerBox_);
}

void RpPrintObject::DrawPageNumber() {
    if (!Recording() || !PrintPageNumbers || pageNumber_.Format.isEmpty()) return;
    RecordOutput(RpPageNumber{pageNumber_.Format, pageNumber_.Alignment, Inches(pageNumber_.Y),
                              Inches(marginLeft_), Inches(marginRight_), pageNumber_.Font, ShowTotalPages,
                              drawState_.BrushColor, !Transparent});
}
