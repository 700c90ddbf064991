#include "print/preview/pv_page_list.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/ui.h"
#include "print/preview/pv_font_mapper.h"
#include "print/preview/pv_rich_text.h"

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

long double PvHeaderFooter::TextHeight() const {
    if (Height.Inches() != 0) return Height.Inches();
    const PvHeaderFooterCaption* largest = &CaptionLeft;
    for (const PvHeaderFooterCaption* caption : {&CaptionCenter, &CaptionRight})
        if (caption->Font.pointSizeF() > largest->Font.pointSizeF()) largest = caption;
    const QFontMetricsF reference(FontAtResolution(largest->Font, 600));
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
        const QSizeF inches = MappedTextExtent(caption->Font, text);
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

QString PvMargins::MarginValuesText() const {
    const PvRect inches = Inches();
    QStringList fields;
    for (long double side : {inches.Left, inches.Top, inches.Right, inches.Bottom})
        fields << QString::number(RoundNearest(ConvertValue(pvInches, pvTwips, side)));
    for (const PvPen* pen : {&Pen, &PrinterMarginPen})
        fields << QLatin1Char('"') + pen->ToText() + QLatin1Char('"');
    return fields.join(QLatin1Char(','));
}

bool PvMargins::SetMarginValuesText(const QString& text) {
    // Commas inside the quoted pens do not separate fields.
    QStringList fields{QString()};
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(',') && !quoted)
            fields << QString();
        else
            fields.back() += c;
    }
    if (quoted || (fields.size() != 4 && fields.size() != 6)) return false;
    long double twips[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        twips[i] = fields[i].trimmed().toInt(&ok);
        if (!ok) return false;
    }
    std::optional<PvPen> pens[2];
    for (int i = 0; i + 4 < fields.size(); ++i)
        if (!(pens[i] = PvPen::FromText(fields[4 + i]))) return false;
    Values = ConvertRect(pvTwips, ValueMeasurement, {twips[0], twips[1], twips[2], twips[3]});
    if (pens[0]) Pen = *pens[0];
    if (pens[1]) PrinterMarginPen = *pens[1];
    return true;
}

PvPageList::PvPageList(UserPrompts& prompts) : Printer(prompts) {
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
        {PaperChange, &OnPaperChanged},
        {ObjectChange, &OnObjectChanged}};
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
    if (OnPageAdded) OnPageAdded();
    Notify(NewPageChange | PagesChange | CurrentChange);
    return *pages_.back();
}

void PvPageList::Clear(bool keepResources) {
    pages_.clear();
    if (!keepResources) Resources.Clear();
    pages_.push_back(std::make_unique<PvPage>(NewPageSize()));
    current_ = 1;
    if (OnClear) OnClear();
    if (OnPageAdded) OnPageAdded();
    Notify(PagesChange | CurrentChange);
}

void PvPageList::DeletePage(int n) {
    if (n < 1 || n > Count()) return;
    pages_.erase(pages_.begin() + (n - 1));
    const bool none = pages_.empty();
    if (none) pages_.push_back(std::make_unique<PvPage>(NewPageSize()));
    if (n < current_ || current_ > Count()) current_ = std::max(1, current_ - 1);
    if (none && OnPageAdded) OnPageAdded();
    Notify(PagesChange | CurrentChange);
}

PvPoint PvPageList::Origin(PvCoordsRelative coords) const {
    const PvRect margins = Margins.Inches();
    switch (coords) {
    case pvFromPage:
        break;
    case pvFromPrinterMargins: {
        const PvRect printer = Printer.PrinterMargins();
        return {printer.Left, printer.Top};
    }
    case pvFromUserMargins:
        return {margins.Left, margins.Top};
    case pvFromHeaderLine:
        return {margins.Left, margins.Top + Header.TextHeight()};
    }
    return {};
}

PvBaseObject& PvPageList::AddObject(std::unique_ptr<PvBaseObject> object, PvCoordsRelative coords, int n) {
    const PvPoint origin = Origin(coords);
    object->Offset(origin.X, origin.Y, pvInches);
    object->SetOwner(this);
    auto& objects = Page(n).Objects();
    objects.push_back(std::move(object));
    return *objects.back();
}

void PvPageList::AddRichText(PvRef<PvMemo> memo, const PvRect& inches, PvCoordsRelative coords) {
    const PvPoint origin = Origin(coords);
    Page(current_).RichText.push_back({std::move(memo), inches.Offset(origin.X, origin.Y)});
}

void PvPageList::ObjectChanged(PvBaseObject&) {
    Notify(ObjectChange);
}

PvVisibleObject* PvPageList::ObjectAt(int page, long double x, long double y, PvMeasurement unit) {
    if (page < 1 || page > Count()) return nullptr;
    const int px = static_cast<int>(RoundNearest(ConvertValue(unit, pvInches, x) * 600));
    const int py = static_cast<int>(RoundNearest(ConvertValue(unit, pvInches, y) * 600));
    auto& objects = Page(page).Objects();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it)
        if (PvVisibleObject* visible = (*it)->AsVisible();
            visible && visible->Visible() && visible->Bounds(600, 600).contains(px, py))
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
    if (!page.RichText.empty()) {
        QTextDocument own;
        QTextDocument* edit = OnNeedRichEdit ? OnNeedRichEdit() : nullptr;
        if (!edit) edit = &own;
        for (const PvRichTextBlock& block : page.RichText) {
            edit->clear();
            QTextCursor cursor(edit);
            LoadRichText(block.Memo->Rtf.toStdString(), cursor);
            context.Painter().save();
            DrawRichText(context.Painter(), *edit, context.Rect(block.Rect), context.PpiY());
            context.Painter().restore();
        }
    }
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
