#include "print/preview/pv_preview.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/fs.h"
#include "platform/stream.h"
#include "print/preview/pv_error.h"

namespace {

constexpr int kZoomSteps[] = {7, 10, 14, 20, 30, 45, 60, 80, 120, 170, 250, 350, 500, 650, 800};

// A scroll bar's position as a share of its range, and back.
double Share(const QScrollBar* bar) {
    return bar->maximum() > 0 ? 100.0 * bar->value() / bar->maximum() : 0.0;
}

} // namespace

void PvLinkedControl::SetPreview(PvPreview* preview) {
    if (preview == preview_) return;
    if (preview_) preview_->Unregister(this);
    QObject::disconnect(freed_);
    preview_ = preview;
    if (preview) {
        preview->Register(this);
        // A freed preview leaves the control without one. Widgets announce it before guarded pointers
        // learn of it, hence the reset.
        // unguarded: the linked controls only refresh their own widgets
        freed_ = QObject::connect(preview, &QObject::destroyed, &link_, [this] {
            preview_ = nullptr;
            PreviewSet();
        });
    }
    PreviewSet();
}

int ClampZoom(int value, int minZoom, int maxZoom) {
    return std::max(std::min(value, maxZoom), minZoom);
}

int VariableZoomIn(int zoom) {
    for (int step : kZoomSteps)
        if (step > zoom) return step;
    return zoom;
}

int VariableZoomOut(int zoom) {
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
        if (*it < zoom) return *it;
    return zoom;
}

int FitZoom(int extent, int borders, long double pageInches) {
    if (pageInches <= 0) return 100;
    return static_cast<int>(std::trunc(100 * (extent - borders - 20) / (pageInches * 96)));
}

PvPreview::PvPreview(UserPrompts& prompts, QWidget* parent)
    : QScrollArea(parent), pages_(prompts), image_(new PvPaperImage) {
    setPalette(QPalette(QColor(0xC0, 0xC0, 0xC0)));
    setBackgroundRole(QPalette::Window);
    setFrameShape(QFrame::Box);
    image_->Shadow = &shadow_;
    image_->Grid = &grid_;
    image_->OnPageMouseDown = [this](Qt::MouseButton button, PvPoint at) { PageMouseDown(button, at); };
    image_->OnPageMouseUp = [this](Qt::MouseButton button, PvPoint at) {
        if (OnPageMouseUp) OnPageMouseUp(button, at);
    };
    image_->OnPageMouseMove = [this](PvPoint at) {
        if (OnPageMouseMove) OnPageMouseMove(at);
    };
    image_->OnPageDragOver = [this](const QMimeData& dragged, PvPoint at, bool& accept) {
        if (OnPageDragOver) OnPageDragOver(dragged, at, accept);
    };
    image_->OnPageDragDrop = [this](const QMimeData& dragged, PvPoint at) {
        if (OnPageDragDrop) OnPageDragDrop(dragged, at);
    };
    setWidget(image_);
    setWidgetResizable(false);
    resize(240, 300);
    pages_.OnNewPage = [this] {
        if (OnNewPage) OnNewPage();
    };
    pages_.OnPagesChanged = [this] {
        ShowCurrentPage();
        Notify(pvnPages);
    };
    pages_.OnCurrentPageChanged = [this] {
        ShowCurrentPage();
        if (OnPageChanged) OnPageChanged();
        Notify(pvnCurrentPage);
    };
    pages_.OnOrientationChanged = [this] {
        UpdateScrollRange();
        Notify(pvnOrientation);
        if (OnOrientationChanged) OnOrientationChanged();
    };
    pages_.OnPaperChanged = [this] {
        UpdateScrollRange();
        Notify(pvnPaperSize);
    };
    pages_.OnClear = [this] {
        if (OnClear) OnClear();
    };
    pages_.OnPageAdded = [this] { PageAdded(); };
    pages_.OnObjectChanged = [this] {
        image_->update();
        Notify(pvnPages);
    };
    // The printer box shows the output a job goes to.
    pages_.Printer.OnChangePrinter = [this] { Notify(pvnPrinter); };
    ShowCurrentPage();
    UpdateScrollRange();
}

void PvPreview::Register(PvLinkedControl* control) {
    Unregister(control);
    // unguarded: the linked controls only refresh their own widgets
    connect(this, &PvPreview::Noticed, &control->link_,
            [control](int notice) { control->PreviewNotice(notice); });
}

void PvPreview::Unregister(PvLinkedControl* control) {
    disconnect(this, &PvPreview::Noticed, &control->link_, nullptr);
}

void PvPreview::Notify(int notice) {
    emit Noticed(notice);
}

void PvPreview::ShowCurrentPage() {
    selected_ = nullptr;
    image_->Selected = nullptr;
    image_->SetPage(&pages_, pages_.CurrentPage());
    UpdateScrollRange();
}

void PvPreview::Clear() {
    selected_ = nullptr;
    image_->Selected = nullptr;
    pages_.Clear(false);
}

void PvPreview::BeginUpdate() {
    if (updates_++ == 0) Notify(pvnBeginUpdate);
    pages_.BeginUpdate();
    image_->BeginUpdate();
}

void PvPreview::EndUpdate() {
    if (updates_ == 0) return;
    pages_.EndUpdate();
    image_->EndUpdate();
    if (--updates_ == 0) Notify(pvnEndUpdate);
}

void PvPreview::SetZoom(int value) {
    value = ClampZoom(value, minZoom_, maxZoom_);
    if (value == image_->Zoom()) return;
    const double horizontal = Share(horizontalScrollBar()), vertical = Share(verticalScrollBar());
    image_->SetZoom(value);
    UpdateScrollRange();
    horizontalScrollBar()->setValue(
        static_cast<int>(std::lround(horizontal * horizontalScrollBar()->maximum() / 100)));
    verticalScrollBar()->setValue(
        static_cast<int>(std::lround(vertical * verticalScrollBar()->maximum() / 100)));
    Notify(pvnZoom);
}

void PvPreview::SetMaxZoom(int value) {
    maxZoom_ = std::max(value, minZoom_);
    if (Zoom() > maxZoom_) SetZoom(maxZoom_);
    Notify(pvnZoom);
}

void PvPreview::SetMinZoom(int value) {
    minZoom_ = std::min(value, maxZoom_);
    if (Zoom() < minZoom_) SetZoom(minZoom_);
    Notify(pvnZoom);
}

void PvPreview::ZoomIn() {
    SetZoom(ZoomStyle == pvVariableZoom ? VariableZoomIn(Zoom()) : Zoom() + ZoomIncrement);
}

void PvPreview::ZoomOut() {
    SetZoom(ZoomStyle == pvVariableZoom ? VariableZoomOut(Zoom()) : Zoom() - ZoomIncrement);
}

void PvPreview::FitWidth() {
    const QMargins border = image_->Border();
    SetZoom(FitZoom(width(), border.left() + border.right(), image_->PageInches().X));
}

void PvPreview::FitHeight() {
    const QMargins border = image_->Border();
    SetZoom(FitZoom(height(), border.top() + border.bottom(), image_->PageInches().Y));
}

void PvPreview::FitWholePage() {
    const QMargins border = image_->Border();
    SetZoom(std::min(FitZoom(width(), border.left() + border.right(), image_->PageInches().X),
                     FitZoom(height(), border.top() + border.bottom(), image_->PageInches().Y)));
}

void PvPreview::SetPaperSize(PvPaperSize paper) {
    pages_.SetPaperSize(paper);
}

void PvPreview::SetCustomPaperSize(PvMeasurement unit, long double width, long double height) {
    pages_.SetCustomPageSize({ConvertValue(unit, pvInches, width), ConvertValue(unit, pvInches, height)});
}

void PvPreview::SetOrientation(PvOrientation orientation) {
    image_->BeginUpdate();
    pages_.SetOrientation(orientation);
    image_->EndUpdate();
}

void PvPreview::SetPagesPerSheet(PvPagesPerSheet pages) {
    pages_.PagesPerSheet = pages;
    Notify(pvnPagesPerSheet);
}

void PvPreview::SetGutter(int pixels) {
    image_->SetBorder(QMargins(pixels, pixels, pixels, pixels));
    UpdateScrollRange();
}

void PvPreview::MarginsChanged() {
    image_->update();
    Notify(pvnMargins);
}

bool PvPreview::PrintRange(int from, int to) {
    BeginUpdate();
    const bool started = pages_.PrintRange(from, to);
    EndUpdate();
    return started;
}

void PvPreview::UpdateScrollRange() {
    const QSize sheet = image_->SheetSize(96);
    const QMargins border = image_->Border();
    const QSize wanted(sheet.width() + border.left() + border.right(),
                       sheet.height() + border.top() + border.bottom());
    image_->resize(wanted.expandedTo(viewport()->size()));
}

void PvPreview::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void PvPreview::keyPressEvent(QKeyEvent* event) {
    QScrollBar* bar = verticalScrollBar()->maximum() > 0 ? verticalScrollBar() : horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_PageUp:
        bar->setValue(bar->value() - 10 * bar->singleStep());
        break;
    case Qt::Key_PageDown:
        bar->setValue(bar->value() + 10 * bar->singleStep());
        break;
    case Qt::Key_Home:
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
        break;
    case Qt::Key_End:
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
        break;
    default:
        QScrollArea::keyPressEvent(event);
    }
}

void PvPreview::wheelEvent(QWheelEvent* event) {
    QScrollBar* bar = verticalScrollBar()->maximum() > 0 ? verticalScrollBar() : horizontalScrollBar();
    bar->setValue(bar->value() + (event->angleDelta().y() > 0 ? -1 : 1) * bar->singleStep());
    event->accept();
}

void PvPreview::PageMouseDown(Qt::MouseButton button, PvPoint at) {
    selected_ = pages_.ObjectAt(CurrentPage(), at.X, at.Y, pvInches);
    image_->Selected = selected_;
    image_->update();
    if (OnPageMouseDown) OnPageMouseDown(button, at);
    if (selected_ && OnObjectMouseDown) OnObjectMouseDown(button, at, selected_);
}

void PvPreview::PageAdded() {
    const PvPage& page = pages_.Page(CurrentPage());
    const PvRect margins = pages_.Margins.Inches();
    const long double left = margins.Left, right = page.Size.X - margins.Right;
    const auto draw = [this](const std::function<void(const PvValueRect&, PvCanvas&)>& handler,
                             const PvHeaderFooter& part, const PvRect& rect) {
        if (!handler || !part.Visible) return;
        PvCanvas& canvas = Canvas();
        canvas.SaveValues();
        canvas.CoordsRelativeTo = pvFromPage;
        handler(PvValueRect(rect), canvas);
        canvas.RestoreValues();
    };
    draw(OnDrawHeader, pages_.Header, {left, margins.Top, right, margins.Top + pages_.Header.TextHeight()});
    const long double bottom = page.Size.Y - margins.Bottom;
    draw(OnDrawFooter, pages_.Footer, {left, bottom - pages_.Footer.TextHeight(), right, bottom});
}

bool PvPreview::SaveToFile(const std::filesystem::path& path) {
    MemoryStream stream;
    pages_.SaveToStream(stream);
    const std::string error = AtomicWrite(
        path, std::string_view(reinterpret_cast<const char*>(stream.Bytes().data()), stream.Bytes().size()));
    if (error.empty()) return true;
    ShowPvError(Printer().Prompts(), "PvPreview", QString::fromStdString(error));
    return false;
}

bool PvPreview::LoadFromFile(const std::filesystem::path& path) {
    selected_ = nullptr;
    image_->Selected = nullptr;
    try {
        FileStream stream(path, FileStream::fmOpenRead);
        return pages_.LoadFromStream(stream, [this](long double version) {
            bool load = true;
            if (BeforeLoad) BeforeLoad(version, load);
            return load;
        });
    } catch (const EStreamError& error) {
        ShowPvError(Printer().Prompts(), "PvPreview", QString::fromStdString(error.what()));
        return false;
    }
}

void PvPreview::enterEvent(QEnterEvent* event) {
    QScrollArea::enterEvent(event);
    if (OnMouseEnter) OnMouseEnter();
}

void PvPreview::leaveEvent(QEvent* event) {
    QScrollArea::leaveEvent(event);
    if (OnMouseLeave) OnMouseLeave();
}
