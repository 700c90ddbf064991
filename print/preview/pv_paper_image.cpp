#include "print/preview/pv_paper_image.h"

#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include "print/preview/pv_objects.h"
#include "print/preview/pv_page_list.h"

void PvPageGrid::Draw(QPainter& painter, const PvPoint& page, int resolution) const {
    const long double s = Spacing.Inches();
    if (GridStyle == pvNoGrid || s <= 0) return;
    const long double r = resolution;
    const long long columns = RoundNearest(page.X / s), rows = RoundNearest(page.Y / s);
    auto at = [s, r](long long i) {
        return static_cast<int>(RoundNearest(static_cast<long double>(i) * s * r));
    };
    painter.save();
    if (GridStyle == pvLines) {
        painter.setPen(QtPen(GridPen));
        const int width = static_cast<int>(RoundNearest(page.X * r)),
                  height = static_cast<int>(RoundNearest(page.Y * r));
        for (long long i = 1; i <= columns; ++i)
            painter.drawLine(at(i), 0, at(i), height);
        for (long long j = 1; j <= rows; ++j)
            painter.drawLine(0, at(j), width, at(j));
    } else {
        painter.setPen(QPen(QtPen(GridPen).color(), 0));
        for (long long i = 1; i <= columns; ++i)
            for (long long j = 1; j <= rows; ++j)
                painter.drawPoint(at(i), at(j));
    }
    painter.restore();
}

PvPaperImage::PvPaperImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAcceptDrops(true);
}

void PvPaperImage::SetPage(const PvPageList* pages, int n) {
    pages_ = pages;
    page_ = pages ? n : 0;
    update();
}

void PvPaperImage::SetZoom(int percent) {
    if (percent == zoom_) return;
    zoom_ = percent;
    update();
}

void PvPaperImage::SetBorder(const QMargins& border) {
    if (border == border_) return;
    border_ = border;
    update();
}

void PvPaperImage::EndUpdate() {
    if (updates_ > 0 && --updates_ == 0) update();
}

PvPoint PvPaperImage::PageInches() const {
    if (pages_ && page_ >= 1 && page_ <= pages_->Count()) return pages_->Page(page_).Size;
    return GetPaperSize(A4);
}

QSize PvPaperImage::SheetSize(int r) const {
    const PvPoint page = PageInches();
    return {static_cast<int>(RoundNearest(r * page.X * zoom_ / 100)),
            static_cast<int>(RoundNearest(r * page.Y * zoom_ / 100))};
}

QRect PvPaperImage::SheetRect() const {
    const QSize sheet = SheetSize(96);
    const int left = border_.left() + (width() - border_.left() - border_.right() - sheet.width()) / 2;
    const int top = border_.top() + (height() - border_.top() - border_.bottom() - sheet.height()) / 2;
    return {QPoint(left, top), sheet};
}

PvPoint PvPaperImage::ToPage(QPoint pixel) const {
    const QRect sheet = SheetRect();
    const long double scale = 96.0L * zoom_ / 100;
    return {(pixel.x() - sheet.left()) / scale, (pixel.y() - sheet.top()) / scale};
}

void PvPaperImage::DrawMargins(QPainter& painter, const PvPoint& page) const {
    const PvMargins& margins = pages_->Margins;
    auto lines = [&painter, &page](const PvRect& m, const PvPen& pen) {
        const int r = kResolution;
        const int left = static_cast<int>(RoundNearest(m.Left * r)),
                  top = static_cast<int>(RoundNearest(m.Top * r));
        const int right = static_cast<int>(RoundNearest((page.X - m.Right) * r));
        const int bottom = static_cast<int>(RoundNearest((page.Y - m.Bottom) * r));
        const int w = static_cast<int>(RoundNearest(page.X * r)),
                  h = static_cast<int>(RoundNearest(page.Y * r));
        painter.setPen(QtPen(pen));
        painter.drawLine(left, 0, left, h);
        painter.drawLine(right, 0, right, h);
        painter.drawLine(0, top, w, top);
        painter.drawLine(0, bottom, w, bottom);
    };
    if (margins.ShowPrinterMargins) lines(pages_->Printer.PrinterMargins(), margins.PrinterMarginPen);
    if (margins.Visible) lines(margins.Inches(), margins.Pen);
}

void PvPaperImage::paintEvent(QPaintEvent*) {
    if (updates_ > 0) return;
    QPainter painter(this);
    const QRect sheet = SheetRect();
    const PvPoint page = PageInches();
    painter.fillRect(sheet, Qt::white);
    painter.save();
    painter.translate(sheet.topLeft());
    painter.scale(sheet.width() / double(page.X * kResolution),
                  sheet.height() / double(page.Y * kResolution));
    const QPainterPath clip = RectanglePath(PixelRect({0, 0, page.X, page.Y}, kResolution, kResolution));
    painter.setClipPath(clip);
    if (pages_ && page_ >= 1 && page_ <= pages_->Count()) {
        if (ShowObjects) {
            PvDrawContext context(painter, kResolution, kResolution, false, clip);
            pages_->DrawPage(page_, context);
        }
        DrawMargins(painter, page);
    }
    if (Grid) Grid->Draw(painter, page, kResolution);
    painter.restore();

    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(sheet.adjusted(0, 0, -1, -1));
    if (Shadow && Shadow->Visible) {
        const int w = Shadow->Width;
        painter.fillRect(sheet.right() + 1 + 1, sheet.top() + w + 1, w, sheet.height() - w, Shadow->Color);
        painter.fillRect(sheet.left() + w + 1, sheet.bottom() + 1 + 1, sheet.width() - w + 1, w,
                         Shadow->Color);
    }
    if (Selected) {
        const int grow = static_cast<int>(RoundNearest(zoom_ / 100.0L * 10));
        const double scale = 96.0 * zoom_ / 100;
        painter.setPen(QPen(Qt::red, 1));
        painter.drawRect(PixelRect(Selected->Rect, scale, scale)
                             .translated(sheet.topLeft())
                             .adjusted(-grow, -grow, grow, grow));
    }
    if (OnAfterPaint) {
        painter.setClipRect(sheet);
        painter.setBrush(Qt::NoBrush);
        OnAfterPaint(painter);
    }
}

void PvPaperImage::mousePressEvent(QMouseEvent* event) {
    if (OnPageMouseDown) OnPageMouseDown(event->button(), ToPage(event->position().toPoint()));
    if (OnClick && event->button() == Qt::LeftButton) OnClick();
}

void PvPaperImage::mouseMoveEvent(QMouseEvent* event) {
    if (OnPageMouseMove) OnPageMouseMove(ToPage(event->position().toPoint()));
}

void PvPaperImage::mouseReleaseEvent(QMouseEvent* event) {
    if (OnPageMouseUp) OnPageMouseUp(event->button(), ToPage(event->position().toPoint()));
}

void PvPaperImage::DragOver(QDropEvent* event) {
    bool accept = false;
    if (OnPageDragOver) OnPageDragOver(*event->mimeData(), ToPage(event->position().toPoint()), accept);
    event->setAccepted(accept);
}

void PvPaperImage::dragEnterEvent(QDragEnterEvent* event) {
    DragOver(event);
}

void PvPaperImage::dragMoveEvent(QDragMoveEvent* event) {
    DragOver(event);
}

void PvPaperImage::dropEvent(QDropEvent* event) {
    if (OnPageDragDrop) OnPageDragDrop(*event->mimeData(), ToPage(event->position().toPoint()));
    event->acceptProposedAction();
}
