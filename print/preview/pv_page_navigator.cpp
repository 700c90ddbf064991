#include "print/preview/pv_page_navigator.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const char* const kHints[kNavigateButtons] = {
    "First Page", "Previous Page", "Next Page",   "Last Page", "Add Page",   "Delete Current Page", "Clear",
    "Zoom In",    "Zoom Out",      "Actual Size", "Fit Width", "Fit Height", "Fit Whole Page"};

// The group each button belongs to: paging, pages, zoom, fit.
int GroupOf(int button) {
    return button < pvAddPage ? 0 : button < pvZoomIn ? 1 : button < pvFitWidth ? 2 : 3;
}

// A small drawn glyph for each button.
QIcon Glyph(PvNavigateBtn button) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::black);
    auto triangle = [&p](double x, bool left) {
        QPainterPath path;
        path.moveTo(left ? x + 5 : x, 3);
        path.lineTo(left ? x : x + 5, 8);
        path.lineTo(left ? x + 5 : x, 13);
        path.closeSubpath();
        p.drawPath(path);
    };
    auto sheet = [&p](QRectF rect) {
        p.setBrush(Qt::white);
        p.drawRect(rect);
        p.setBrush(Qt::black);
    };
    auto lens = [&p](const char* sign) {
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 2, 9, 9));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
        if (*sign) p.drawLine(QPointF(4.5, 6.5), QPointF(8.5, 6.5));
        if (*sign == '+') p.drawLine(QPointF(6.5, 4.5), QPointF(6.5, 8.5));
    };
    switch (button) {
    case pvFirstPage:
        p.drawLine(QPointF(3, 3), QPointF(3, 13));
        triangle(5, true);
        break;
    case pvPrevPage:
        triangle(5, true);
        break;
    case pvNextPage:
        triangle(6, false);
        break;
    case pvLastPage:
        triangle(6, false);
        p.drawLine(QPointF(13, 3), QPointF(13, 13));
        break;
    case pvAddPage:
        sheet(QRectF(3, 1.5, 9, 12));
        p.drawLine(QPointF(7.5, 5), QPointF(7.5, 10));
        p.drawLine(QPointF(5, 7.5), QPointF(10, 7.5));
        break;
    case pvDeletePage:
        sheet(QRectF(3, 1.5, 9, 12));
        p.drawLine(QPointF(5, 5), QPointF(10, 10));
        p.drawLine(QPointF(10, 5), QPointF(5, 10));
        break;
    case pvClear:
        p.setPen(QPen(Qt::darkRed, 2));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case pvZoomIn:
        lens("+");
        break;
    case pvZoomOut:
        lens("-");
        break;
    case pvActualSize:
        lens("");
        break;
    case pvFitWidth:
        sheet(QRectF(1.5, 3, 13, 10));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case pvFitHeight:
        sheet(QRectF(3, 1.5, 10, 13));
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        break;
    case pvFitWholePage:
        sheet(QRectF(4, 1.5, 8, 13));
        break;
    }
    return QIcon(pixmap);
}

} // namespace

PvPageNavigator::PvPageNavigator(QWidget* parent) : QWidget(parent) {
    for (int i = 0; i < kNavigateButtons; ++i) {
        const auto button = static_cast<PvNavigateBtn>(i);
        auto* tool = new QToolButton(this);
        tool->setIcon(Glyph(button));
        tool->setToolTip(QString::fromLatin1(kHints[i]));
        // unguarded: turns the linked preview's pages only
        connect(tool, &QToolButton::clicked, this, [this, button] { Click(button); });
        buttons_[static_cast<size_t>(i)] = tool;
    }
    Relayout();
    RefreshButtons();
}

void PvPageNavigator::SetShowButtonHints(bool show) {
    showHints_ = show;
    ApplyHints();
}

void PvPageNavigator::SetFlat(bool flat) {
    for (QToolButton* button : buttons_)
        button->setAutoRaise(flat);
}

void PvPageNavigator::ApplyHints() {
    for (int i = 0; i < kNavigateButtons; ++i) {
        QString hint = QString::fromLatin1(kHints[i]);
        if (OnGetButtonHint) OnGetButtonHint(static_cast<PvNavigateBtn>(i), hint);
        Button(i)->setToolTip(showHints_ ? hint : QString());
    }
}

void PvPageNavigator::Click(PvNavigateBtn button) {
    if (PvPreview* preview = Preview()) {
        switch (button) {
        case pvFirstPage:
            preview->FirstPage();
            break;
        case pvPrevPage:
            preview->PrevPage();
            break;
        case pvNextPage:
            preview->NextPage();
            break;
        case pvLastPage:
            preview->LastPage();
            break;
        case pvAddPage:
            preview->NewPage();
            break;
        case pvDeletePage:
            preview->DeleteCurrentPage();
            break;
        case pvClear:
            preview->Clear();
            break;
        case pvZoomIn:
            preview->ZoomIn();
            break;
        case pvZoomOut:
            preview->ZoomOut();
            break;
        case pvActualSize:
            preview->SetZoom(100);
            break;
        case pvFitWidth:
            preview->FitWidth();
            break;
        case pvFitHeight:
            preview->FitHeight();
            break;
        case pvFitWholePage:
            preview->FitWholePage();
            break;
        }
    }
    RefreshButtons();
    if (OnClickButton) OnClickButton(button);
}

void PvPageNavigator::Relayout() {
    int rowWidth = 0;
    for (int i = 0, previousGroup = -1; i < kNavigateButtons; ++i) {
        if (!(VisibleButtons & (1 << i))) continue;
        if (GroupButtons && previousGroup >= 0 && GroupOf(i) != previousGroup) rowWidth += GroupSpacing;
        rowWidth += ButtonWidth;
        previousGroup = GroupOf(i);
    }
    if (AutoSize) resize(rowWidth + 2 * BorderWidth, ButtonHeight + 2 * BorderWidth);
    int x = std::max(0, (width() - rowWidth) / 2);
    const int y = std::max(0, (height() - ButtonHeight) / 2);
    for (int i = 0, previousGroup = -1; i < kNavigateButtons; ++i) {
        if (!(VisibleButtons & (1 << i))) {
            Button(i)->setGeometry(width() + 10, y, ButtonWidth, ButtonHeight);
            continue;
        }
        if (GroupButtons && previousGroup >= 0 && GroupOf(i) != previousGroup) x += GroupSpacing;
        Button(i)->setGeometry(x, y, ButtonWidth, ButtonHeight);
        x += ButtonWidth;
        previousGroup = GroupOf(i);
    }
}

void PvPageNavigator::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void PvPageNavigator::RefreshButtons() {
    PvPreview* preview = Preview();
    for (QToolButton* button : buttons_)
        button->setEnabled(preview != nullptr);
    if (!preview) return;
    const int page = preview->CurrentPage(), count = preview->PageCount();
    Button(pvFirstPage)->setEnabled(page > 1);
    Button(pvPrevPage)->setEnabled(page > 1);
    Button(pvNextPage)->setEnabled(page < count);
    Button(pvLastPage)->setEnabled(page < count);
    Button(pvZoomIn)->setEnabled(preview->Zoom() < preview->MaxZoom());
    Button(pvZoomOut)->setEnabled(preview->Zoom() > preview->MinZoom());
}

void PvPageNavigator::PreviewNotice(int notice) {
    if (notice == pvnBeginUpdate) {
        setEnabled(false);
        return;
    }
    if (notice == pvnEndUpdate) setEnabled(true);
    RefreshButtons();
}
