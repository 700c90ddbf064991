#include "print/preview/pv_page_list.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/ui.h"

namespace {

// A font at so many pixels per inch: its point size in pixels.
QFont AtResolution(QFont font, double ppi) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pointSizeF() * ppi / 72.0))));
    return font;
}

// Writes text with its top at y, each character at the advance the reference measurement gives it, so
// that a caption lines up alike on screen and on paper.
void MappedTextOut(QPainter& painter, const QFont& font, double ppi, double x, double y,
                   const QString& text) {
    const QFontMetricsF reference(AtResolution(font, kFontReferenceResolution));
    std::vector<int> widths;
    for (const QChar c : text)
        widths.push_back(static_cast<int>(std::lround(reference.horizontalAdvance(c))));
    const std::vector<int> advances = MappedAdvances(widths, kFontReferenceResolution, static_cast<int>(ppi));
    const QFont target = AtResolution(font, ppi);
    painter.setFont(target);
    const double baseline = y + QFontMetricsF(target).ascent();
    for (qsizetype i = 0; i < text.size(); ++i) {
        painter.drawText(QPointF(x, baseline), QString(text[i]));
        x += advances[static_cast<size_t>(i)];
    }
}

// Width and height in inches of a caption measured at the reference resolution.
QSizeF TextExtent(const QFont& font, const QString& text) {
    const QFontMetricsF reference(AtResolution(font, kFontReferenceResolution));
    return {reference.horizontalAdvance(text) / kFontReferenceResolution,
            reference.height() / kFontReferenceResolution};
}

} // namespace

std::vector<std::unique_ptr<PvBaseObject>>::iterator PvPage::Find(const PvBaseObject* object) {
    return std::find_if(objects_.begin(), objects_.end(),
                        [object](const auto& o) { return o.get() == object; });
}

void PvPage::BringToFront(const PvBaseObject* object) {
    if (auto at = Find(object); at != objects_.end()) std::rotate(at, at + 1, objects_.end());
}

void PvPage::SendToBack(const PvBaseObject* object) {
    if (auto at = Find(object); at != objects_.end()) std::rotate(objects_.begin(), at, at + 1);
}

void PvPage::BringForward(const PvBaseObject* object) {
    if (auto at = Find(object); at != objects_.end() && at + 1 != objects_.end()) std::iter_swap(at, at + 1);
}

void PvPage::SendBackward(const PvBaseObject* object) {
    if (auto at = Find(object); at != objects_.end() && at != objects_.begin()) std::iter_swap(at, at - 1);
}

QString ReplaceCaptionTokens(QString caption, int page, int pageCount) {
    // No replacement holds a brace, so replacing every occurrence at once ends as one at a time would.
    const QDateTime now = QDateTime::currentDateTime();
    caption.replace(QStringLiteral("{DATE}"), now.date().toString(kPvDateFormat));
    caption.replace(QStringLiteral("{TIME}"), now.time().toString(kPvTimeFormat));
    caption.replace(QStringLiteral("{PAGE}"), QString::number(page));
    caption.replace(QStringLiteral("{NUMPAGES}"), QString::number(pageCount));
    return caption;
}

std::vector<int> MappedAdvances(const std::vector<int>& referenceWidths, int referenceResolution,
                                int targetResolution) {
    std::vector<int> advances;
    long double sum = 0;
    for (int width : referenceWidths) {
        const long double d = static_cast<long double>(width) / referenceResolution * targetResolution;
        const long double whole = std::trunc(d);
        int advance = static_cast<int>(whole);
        sum += d - whole;
        if (sum > 1) {
            ++advance;
            sum -= 1;
        }
        advances.push_back(advance);
    }
    return advances;
}

long double PvHeaderFooter::TextHeight() const {
    if (Height.Inches() != 0) return Height.Inches();
    const PvHeaderFooterCaption* largest = &CaptionLeft;
    for (const PvHeaderFooterCaption* caption : {&CaptionCenter, &CaptionRight})
        if (caption->Font.pointSizeF() > largest->Font.pointSizeF()) largest = caption;
    const QFontMetricsF reference(AtResolution(largest->Font, 600));
    return reference.height() / 600;
}

void PvHeaderFooter::Draw(PvDrawContext& context, const PvPoint& pageSize, const PvRect& margins, int page,
                          int pageCount) const {
    if (!Visible) return;
    const long double height = TextHeight();
    const long double top = footer_ ? pageSize.Y - margins.Bottom - height : margins.Top;
    const QRect rect = context.Rect({margins.Left, top, pageSize.X - margins.Right, top + height});
    QPainter& painter = context.Painter();
    painter.save();
    painter.setPen(Qt::black);
    const std::pair<const PvHeaderFooterCaption*, int> captions[] = {
        {&CaptionLeft, 0}, {&CaptionCenter, 1}, {&CaptionRight, 2}};
    for (const auto& [caption, place] : captions) {
        const QString text = ReplaceCaptionTokens(caption->Caption, page, pageCount);
        if (text.isEmpty()) continue;
        const QSizeF inches = TextExtent(caption->Font, text);
        const double width = inches.width() * context.PpiX(), textHeight = inches.height() * context.PpiY();
        const double x = place == 0   ? rect.left()
                         : place == 1 ? (rect.left() + rect.right() + 1) / 2.0 - width / 2
                                      : rect.right() + 1 - width;
        const double y = footer_ ? rect.top() : rect.bottom() + 1 - textHeight;
        MappedTextOut(painter, caption->Font, context.PpiY(), x, y, text);
    }
    if (ShowLine) {
        painter.setPen(QtPen(Pen));
        const int y = footer_ ? rect.top() : rect.bottom() + 1;
        painter.drawLine(rect.left(), y, rect.right() + 1, y);
    }
    painter.restore();
}

PvPageList::PvPageList() {
    pages_.push_back(std::make_unique<PvPage>(NewPageSize()));
}

PvPageList::~PvPageList() = default;

PvPoint PvPageList::NewPageSize() const {
    if (paper_ != Custom) return PageSize(paper_, orientation_);
    return customSize_;
}

void PvPageList::Notify(int changes) {
    pending_ |= changes;
    if (updates_ > 0) return;
    const int now = std::exchange(pending_, 0);
    const std::pair<int, const std::function<void()>*> notices[] = {
        {NewPageChange, &OnNewPage},
        {PagesChange, &OnPagesChanged},
        {CurrentChange, &OnCurrentPageChanged},
        {OrientationChange, &OnOrientationChanged},
        {PaperChange, &OnPaperChanged}};
    for (const auto& [change, notice] : notices)
        if ((now & change) && *notice) (*notice)();
}

void PvPageList::EndUpdate() {
    if (updates_ == 0) return;
    if (--updates_ == 0) Notify(0);
}

void PvPageList::SetCurrentPage(int n) {
    if (n < 1 || n > Count() || n == current_) return;
    current_ = n;
    Notify(CurrentChange);
}

PvPage& PvPageList::NewPage() {
    pages_.push_back(std::make_unique<PvPage>(NewPageSize()));
    current_ = Count();
    Notify(NewPageChange | PagesChange | CurrentChange);
    return *pages_.back();
}

void PvPageList::Clear(bool keepResources) {
    pages_.clear();
    if (!keepResources) Resources.Clear();
    pages_.push_back(std::make_unique<PvPage>(NewPageSize()));
    current_ = 1;
    if (OnClear) OnClear();
    Notify(PagesChange | CurrentChange);
}

void PvPageList::DeletePage(int n) {
    if (n < 1 || n > Count()) return;
    pages_.erase(pages_.begin() + (n - 1));
    if (pages_.empty()) pages_.push_back(std::make_unique<PvPage>(NewPageSize()));
    if (n < current_ || current_ > Count()) current_ = std::max(1, current_ - 1);
    Notify(PagesChange | CurrentChange);
}

PvBaseObject& PvPageList::AddObject(std::unique_ptr<PvBaseObject> object, PvCoordsRelative coords) {
    const PvRect margins = Margins.Inches();
    switch (coords) {
    case pvFromPage:
        break;
    case pvFromPrinterMargins: {
        const PvRect printer = Printer.PrinterMargins();
        object->Offset(printer.Left, printer.Top, pvInches);
        break;
    }
    case pvFromUserMargins:
        object->Offset(margins.Left, margins.Top, pvInches);
        break;
    case pvFromHeaderLine:
        object->Offset(margins.Left, margins.Top + Header.TextHeight(), pvInches);
        break;
    }
    auto& objects = Page(current_).Objects();
    objects.push_back(std::move(object));
    return *objects.back();
}

PvVisibleObject* PvPageList::ObjectAt(int page, long double x, long double y, PvMeasurement unit) {
    if (page < 1 || page > Count()) return nullptr;
    const int px = static_cast<int>(RoundNearest(ConvertValue(unit, pvInches, x) * 600));
    const int py = static_cast<int>(RoundNearest(ConvertValue(unit, pvInches, y) * 600));
    auto& objects = Page(page).Objects();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it)
        if (PvVisibleObject* visible = (*it)->AsVisible();
            visible && visible->Visible && visible->Bounds(600, 600).contains(px, py))
            return visible;
    return nullptr;
}

void PvPageList::SetPaperSize(PvPaperSize paper) {
    paper_ = paper;
    for (auto& page : pages_)
        page->Size = NewPageSize();
    Printer.SetPaperSize(paper, customSize_);
    Notify(PaperChange);
}

void PvPageList::SetCustomPageSize(PvPoint inches) {
    customSize_ = inches;
    SetPaperSize(Custom);
}

void PvPageList::SetOrientation(PvOrientation orientation) {
    BeginUpdate();
    for (auto& page : pages_) {
        const bool wide = page->Size.X > page->Size.Y;
        if (wide != (orientation == pvLandscape)) std::swap(page->Size.X, page->Size.Y);
    }
    if (paper_ == Custom && (customSize_.X > customSize_.Y) != (orientation == pvLandscape))
        std::swap(customSize_.X, customSize_.Y);
    orientation_ = orientation;
    Printer.SetOrientation(orientation);
    Notify(OrientationChange);
    EndUpdate();
}

void PvPageList::DrawPage(int n, PvDrawContext& context) const {
    const PvPage& page = Page(n);
    for (const auto& object : page.Objects())
        object->Draw(context);
    context.RemoveClip();
    const PvRect margins = Margins.Inches();
    if (page.ShowHeader) Header.Draw(context, page.Size, margins, n, Count());
    if (page.ShowFooter) Footer.Draw(context, page.Size, margins, n, Count());
}

bool PvPageList::PrintRange(int from, int to) {
    from = std::clamp(from, 1, Count());
    to = std::clamp(to, 1, Count());
    Printer.SetOrientation(Page(from).Size.X > Page(from).Size.Y ? pvLandscape : pvPortrait);
    Printer.SetPaperSize(paper_, customSize_);
    if (!Printer.BeginDoc(PagesPerSheet)) return false;
    const int step = from < to ? 1 : -1;
    const int total = std::abs(to - from) + 1;
    int printed = 0;
    for (int n = from;; n += step) {
        QPainter& painter = Printer.Painter();
        const QRectF slot = Printer.PageSlot();
        const double scale = Printer.PageScale();
        const double ppiX = Printer.PpiX(), ppiY = Printer.PpiY();
        painter.save();
        painter.translate(slot.topLeft());
        painter.scale(scale, scale);
        const PvPage& page = Page(n);
        const PvRect area = Margins.ClipMargins ? PvRect{Margins.Inches().Left, Margins.Inches().Top,
                                                         page.Size.X - Margins.Inches().Right,
                                                         page.Size.Y - Margins.Inches().Bottom}
                                                : PvRect{0, 0, page.Size.X, page.Size.Y};
        PvDrawContext context(painter, ppiX, ppiY, true, RectanglePath(PixelRect(area, ppiX, ppiY)));
        context.RemoveClip();
        DrawPage(n, context);
        painter.restore();
        ++printed;
        if (OnPrintProgress) OnPrintProgress(printed, total);
        ProcessMessages();
        if (n == to || Printer.Aborted()) break;
        Printer.NewPage();
    }
    if (Printer.Aborted()) return true;
    Printer.EndDoc();
    return true;
}
