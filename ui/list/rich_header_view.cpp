#include "ui/list/rich_header_view.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include "platform/gfx/sys_colors.h"
#include "ui/list/mini_html.h"
#include "ui/list/rich_list_view.h"

RichHeaderView::RichHeaderView(RichListView& list) : QHeaderView(Qt::Horizontal, &list), list_(list) {
    filterTimer_.setSingleShot(true);
    // unguarded: its owner guards the handlers it sets
    connect(&filterTimer_, &QTimer::timeout, this, [this] {
        if (list_.OnFilterChange && changedFilter_ >= 0) list_.OnFilterChange(changedFilter_);
    });
    for (auto signal : {&QHeaderView::sectionResized, &QHeaderView::sectionMoved})
        // unguarded: lays the filter boxes out only
        connect(this, signal, this, &RichHeaderView::PlaceFilters);
    // unguarded: lays the filter boxes out only
    connect(this, &QHeaderView::sectionCountChanged, this, &RichHeaderView::MakeFilters);
}

int RichHeaderView::CaptionHeight() const {
    // The stored height is what the list asks for; a taller font gets what it needs so captions never clip.
    if (list_.HeaderOwnerDraw())
        return qMax(list_.HeaderHeight(), QFontMetrics(list_.HeaderFont()).height() + 4);
    return QHeaderView::sizeHint().height();
}

QSize RichHeaderView::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(CaptionHeight() +
                   (filterBar_ && !filters_.empty() ? filters_.front().edit->sizeHint().height() : 0));
    return size;
}

void RichHeaderView::SetFilterBar(bool on) {
    filterBar_ = on;
    MakeFilters();
}

QString RichHeaderView::FilterText(int column) const {
    return column >= 0 && static_cast<std::size_t>(column) < filters_.size()
               ? filters_[static_cast<std::size_t>(column)].edit->text()
               : QString();
}

void RichHeaderView::MakeFilters() {
    for (const Filter& filter : filters_) {
        delete filter.edit;
        delete filter.button;
    }
    filters_.clear();
    if (filterBar_) {
        for (int column = 0; column < count(); ++column) {
            Filter filter{new QLineEdit(this), new QToolButton(this)};
            filter.button->setArrowType(Qt::DownArrow);
            // unguarded: starts the filter timer only
            connect(filter.edit, &QLineEdit::textEdited, this, [this, column] {
                changedFilter_ = column;
                filterTimer_.start(qMax(0, list_.FilterTimeOut));
            });
            // unguarded: its owner guards the handlers it sets
            connect(filter.button, &QToolButton::clicked, this, [this, column] {
                if (list_.OnFilterBtnClick) list_.OnFilterBtnClick(column);
            });
            filter.edit->show();
            filter.button->show();
            filters_.push_back(filter);
        }
    }
    PlaceFilters();
    updateGeometry();
}

void RichHeaderView::PlaceFilters() {
    const int top = CaptionHeight();
    for (std::size_t i = 0; i < filters_.size(); ++i) {
        const int column = static_cast<int>(i);
        const Filter& filter = filters_[i];
        const int height = filter.edit->sizeHint().height();
        const int left = sectionViewportPosition(column), width = sectionSize(column);
        filter.edit->setVisible(!isSectionHidden(column));
        filter.button->setVisible(!isSectionHidden(column));
        filter.edit->setGeometry(left, top, qMax(0, width - height), height);
        filter.button->setGeometry(left + qMax(0, width - height), top, qMin(height, width), height);
    }
}

void RichHeaderView::paintSection(QPainter* painter, const QRect& full, int logicalIndex) const {
    const QRect rect(full.left(), full.top(), full.width(), qMin(full.height(), CaptionHeight()));
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
        painter->drawText(
            text, int(list_.ColumnAlignment(logicalIndex)) | Qt::AlignVCenter | Qt::TextSingleLine, shown);
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
    const int y =
        glyph.height() < rect.height() ? rect.top() + (rect.height() - glyph.height()) / 2 : rect.top();
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
