#include "ui/rich_header_view.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "platform/gfx/sys_colors.h"
#include "ui/mini_html.h"
#include "ui/rich_list_view.h"

RichHeaderView::RichHeaderView(RichListView& list) : QHeaderView(Qt::Horizontal, &list), list_(list) {}

QSize RichHeaderView::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    if (!list_.HeaderOwnerDraw()) return size;
    // The stored height is what the list asks for; a taller font gets what it needs so captions never clip.
    size.setHeight(qMax(list_.HeaderHeight(), QFontMetrics(list_.HeaderFont()).height() + 4));
    return size;
}

void RichHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!list_.HeaderOwnerDraw()) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    painter->save();
    painter->fillRect(rect, QColor::fromRgb(WinColorToRgb(clBtnFace)));
    painter->setPen(QColor::fromRgb(WinColorToRgb(clBtnShadow)));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    QRect text = rect.adjusted(2, 1, -2, -1);
    if (list_.SortShow && logicalIndex == list_.SortColumn()) DrawSortIndicator(*painter, text);
    const QString caption = list_.GetCellText(logicalIndex, -1);
    const QColor colour = QColor::fromRgb(WinColorToRgb(clSystemColor | 18));
    painter->setFont(list_.HeaderFont());
    painter->setPen(colour);
    if (IsHtml(caption)) {
        RenderHtml(painter, caption, text, list_.MarkupContext(list_.HeaderFont(), colour));
    } else if (caption.contains(u'\r')) {
        painter->drawText(text, int(list_.ColumnAlignment(logicalIndex)) | Qt::AlignVCenter, caption);
    } else {
        const QString shown = painter->fontMetrics().elidedText(caption, Qt::ElideRight, text.width());
        painter->drawText(text, int(list_.ColumnAlignment(logicalIndex)) | Qt::AlignVCenter | Qt::TextSingleLine,
                          shown);
    }
    painter->restore();
}

void RichHeaderView::DrawSortIndicator(QPainter& painter, QRect& rect) const {
    const bool descending = list_.GetSortDirection() == sdDescending;
    QPixmap glyph;
    if (!list_.SortUpGlyph.isNull() && !list_.SortDownGlyph.isNull())
        glyph = descending ? list_.SortUpGlyph : list_.SortDownGlyph;
    else if (list_.HeaderImages.size() > (descending ? 1 : 0))
        glyph = list_.HeaderImages[descending ? 1 : 0];
    if (glyph.isNull()) return;
    const int y = glyph.height() < rect.height() ? rect.top() + (rect.height() - glyph.height()) / 2 : rect.top();
    if (list_.SortIndicatorSide == siRight) {
        painter.drawPixmap(rect.right() - glyph.width() + 1, y, glyph);
        rect.setRight(rect.right() - glyph.width() - 2);
    } else {
        painter.drawPixmap(rect.left(), y, glyph);
        rect.setLeft(rect.left() + glyph.width() + 2);
    }
}

int RichHeaderView::DividerAt(int x) const {
    const int grip = 4;
    for (int visual = 0; visual < count(); ++visual) {
        const int logical = logicalIndex(visual);
        if (isSectionHidden(logical)) continue;
        const int edge = sectionViewportPosition(logical) + sectionSize(logical);
        if (qAbs(x - edge) <= grip) return logical;
    }
    return -1;
}

void RichHeaderView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        const int column = logicalIndexAt(event->position().toPoint());
        if (column >= 0 && list_.OnColumnRClick) list_.OnColumnRClick(column);
    }
    tracked_ = event->button() == Qt::LeftButton ? DividerAt(event->position().toPoint().x()) : -1;
    refused_ = false;
    if (tracked_ >= 0) {
        bool allow = true;
        if (list_.OnStartColumnTrack) list_.OnStartColumnTrack(tracked_, allow);
        refused_ = !allow;
        if (refused_) return;
    }
    QHeaderView::mousePressEvent(event);
}

void RichHeaderView::mouseMoveEvent(QMouseEvent* event) {
    if (refused_) return;
    QHeaderView::mouseMoveEvent(event);
}

void RichHeaderView::mouseReleaseEvent(QMouseEvent* event) {
    const int tracked = std::exchange(tracked_, -1);
    if (std::exchange(refused_, false)) return;
    QHeaderView::mouseReleaseEvent(event);
    if (tracked >= 0 && list_.OnEndColumnTrack) list_.OnEndColumnTrack(tracked);
}
