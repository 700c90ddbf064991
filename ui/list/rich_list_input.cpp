// Mouse, keys, links, check boxes, in-place editing, row dragging, clipboard and hints of the report list.
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>

#include "ui/list/mini_html.h"
#include "ui/list/rich_header_view.h"
#include "ui/list/rich_list_view.h"
#include "ui/list/rtf_text.h"

namespace {

// Pasted lines add columns up to this many.
constexpr int kMaxPasteColumns = 256;
constexpr int kDragScrollMs = 300;

// Cell texts come from imported files: only web and mail addresses may leave the program.
std::optional<QUrl> AllowedLink(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
                           scheme != QLatin1String("mailto")))
        return std::nullopt;
    if (scheme != QLatin1String("mailto") && url.host().isEmpty()) return std::nullopt;
    return url;
}

} // namespace

void RichListView::SetUpInput() {
    OpenUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    // unguarded: its owner guards the handlers it sets
    connect(header_, &QHeaderView::sectionResized, this, [this](int column) {
        viewport()->update();
        if (OnColumnSized) OnColumnSized(column);
    });
    // unguarded: shows a tooltip only
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, &RichListView::ShowScrollHint);
    // unguarded: lays the filter boxes out only
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, header_, &RichHeaderView::PlaceFilters);
    // unguarded: hides a tooltip only
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, [] { QToolTip::hideText(); });
    hoverTimer_.setSingleShot(true);
    // unguarded: shows a tooltip only
    connect(&hoverTimer_, &QTimer::timeout, this, &RichListView::ShowCellHint);
    SetHoverTime(PlatformHoverTime());
}

int RichListView::PlatformHoverTime() const {
    return style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, this);
}

void RichListView::SetHoverTime(int ms) {
    if (ms == hoverTime_) return;
    hoverTime_ = ms;
    hoverTimer_.setInterval(ms < 0 ? PlatformHoverTime() : ms);
}

bool RichListView::IsLinkText(const QString& text) const {
    return text.contains(QLatin1String("://")) || text.contains(QLatin1String("mailto:"));
}

void RichListView::ClickLink(int row, const QString& url) {
    bool handled = false;
    if (OnURLClick) OnURLClick(row, url, handled);
    if (handled || !OpenUrl) return;
    if (std::optional<QUrl> allowed = AllowedLink(url)) OpenUrl(*allowed);
}

QString RichListView::AnchorAt(int row, int column, const QPoint& point) const {
    const QString text = GetCellText(column, row);
    if (!IsHtml(text)) return {};
    const CellLayout layout =
        LayoutCell(row, header_->visualIndex(column), CellArea(row, header_->visualIndex(column)));
    const HtmlResult hit =
        RenderHtml(nullptr, text, layout.text.adjusted(2, 0, 0, 0), MarkupContext(font(), Qt::black), point);
    return hit.OverAnchor ? hit.Anchor : QString();
}

bool RichListView::CheckBoxArea(int row, const QPoint& point) const {
    if (!CheckBoxes || header_->count() == 0) return false;
    const CellLayout layout = LayoutCell(row, 0, CellArea(row, 0));
    return point.x() >= layout.cell.left() && point.x() <= layout.box.right();
}

void RichListView::ToggleCheck(int row) {
    ItemState state = model_->State(row);
    state.Checked = !state.Checked;
    model_->SetState(row, state);
    if (OnCheckboxClick) OnCheckboxClick(row, state.Checked);
}

void RichListView::SetHoverAnchor(const QString& anchor) {
    if (anchor == hoverAnchor_) return;
    if (!hoverAnchor_.isEmpty() && OnAnchorExit) OnAnchorExit(hoverAnchor_);
    hoverAnchor_ = anchor;
    if (!anchor.isEmpty() && OnAnchorEnter) OnAnchorEnter(anchor);
    viewport()->update();
}

void RichListView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    if (event->button() == Qt::LeftButton && index.isValid()) {
        const int row = index.row(), column = index.column();
        const QString text = GetCellText(column, row);
        const QString anchor = AnchorAt(row, column, point);
        if (anchor.contains(QLatin1String("://")))
            ClickLink(row, anchor);
        else if (!anchor.isEmpty() && OnAnchorClick)
            OnAnchorClick(anchor);
        if (ReArrangeItems) {
            dragRow_ = row;
            dragTimer_ = startTimer(kDragScrollMs);
        }
        const bool subItemMode = SubItemSelect || SubItemEdit;
        if (!subItemMode) selectedSubItem_ = 0;
        if (URLShow && !IsHtml(text) && IsLinkText(text) && !CheckBoxArea(row, point)) ClickLink(row, text);
        if (CheckBoxArea(row, point)) {
            // The check mark flips without selecting the row.
            ToggleCheck(row);
            return;
        }
        QTreeView::mousePressEvent(event);
        if (subItemMode) {
            selectedSubItem_ = header_->visualIndex(column);
            viewport()->update();
        }
        return;
    }
    QTreeView::mousePressEvent(event);
    if (event->button() == Qt::RightButton && index.isValid() && OnRightClickCell)
        OnRightClickCell(index.row(), index.column());
}

void RichListView::mouseMoveEvent(QMouseEvent* event) {
    if (dragRow_ >= 0) {
        viewport()->setCursor(Qt::DragMoveCursor);
        return;
    }
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    QString anchor;
    bool link = false;
    if (index.isValid()) {
        const QString text = GetCellText(index.column(), index.row());
        anchor = AnchorAt(index.row(), index.column(), point);
        link = !anchor.isEmpty() ||
               (URLShow && !IsHtml(text) && IsLinkText(text) && !CheckBoxArea(index.row(), point));
    }
    SetHoverAnchor(anchor);
    if (link)
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
    if (index != hintCell_) {
        hintCell_ = index;
        QToolTip::hideText();
        if (AutoHint && index.isValid())
            hoverTimer_.start();
        else
            hoverTimer_.stop();
    }
    QTreeView::mouseMoveEvent(event);
}

void RichListView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragRow_ >= 0 && event->button() == Qt::LeftButton) {
        const int from = std::exchange(dragRow_, -1);
        killTimer(std::exchange(dragTimer_, 0));
        viewport()->unsetCursor();
        const QModelIndex target = indexAt(event->position().toPoint());
        if (target.row() != from) MoveItem(from, target.isValid() ? target.row() : -1);
    }
    QTreeView::mouseReleaseEvent(event);
}

void RichListView::leaveEvent(QEvent* event) {
    if (dragRow_ >= 0) {
        dragRow_ = -1;
        killTimer(std::exchange(dragTimer_, 0));
        viewport()->unsetCursor();
    }
    SetHoverAnchor({});
    hintCell_ = QPersistentModelIndex();
    hoverTimer_.stop();
    QTreeView::leaveEvent(event);
}

void RichListView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != dragTimer_) {
        QTreeView::timerEvent(event);
        return;
    }
    const int y = viewport()->mapFromGlobal(QCursor::pos()).y();
    if (y > viewport()->height() + RowHeight())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else if (y < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
}

void RichListView::MoveItem(int from, int to) {
    if (from < 0 || from >= RowCount()) return;
    if (to < 0 || to >= RowCount()) to = RowCount() - 1;
    model_->MoveRow(from, to);
    selectionModel()->setCurrentIndex(model_->index(to, 0), QItemSelectionModel::NoUpdate);
}

bool RichListView::ClipboardKey(QKeyEvent* event) {
    if (!ClipboardEnable) return false;
    const auto modifiers = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    const int key = event->key();
    const bool control = modifiers == Qt::ControlModifier, shift = modifiers == Qt::ShiftModifier;
    if ((control && key == Qt::Key_C) || (control && key == Qt::Key_Insert))
        CopyToClipboard(true);
    else if ((control && key == Qt::Key_V) || (shift && key == Qt::Key_Insert))
        PasteFromClipboard();
    else if ((control && key == Qt::Key_X) || (shift && key == Qt::Key_Delete))
        CutToClipboard();
    else
        return false;
    return true;
}

void RichListView::keyPressEvent(QKeyEvent* event) {
    if (ClipboardKey(event)) return;
    // The clipboard is the list's only with ClipboardEnable: the view's own copy stays out.
    if (event->matches(QKeySequence::Copy)) {
        event->ignore();
        return;
    }
    const int row = currentIndex().row();
    const int key = event->key();
    if ((SubItemSelect || SubItemEdit) && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        selectedSubItem_ =
            qBound(0, selectedSubItem_ + (key == Qt::Key_Right ? 1 : -1), qMax(0, ColumnCount() - 1));
        viewport()->update();
        return;
    }
    if (SubItemEdit && row >= 0 && (key == Qt::Key_Space || key == Qt::Key_F2)) {
        edit(model_->index(row, header_->logicalIndex(selectedSubItem_)), EditKeyPressed, event);
        return;
    }
    if (CheckBoxes && !SubItemEdit && row >= 0 && key == Qt::Key_Space) {
        ToggleCheck(row);
        return;
    }
    QTreeView::keyPressEvent(event);
}

bool RichListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Only in-place editing of this list opens editors, started by a click on a selected row (which the view
    // delays past a possible double click and then asks for with every trigger) or a key.
    if (!SubItemEdit || !index.isValid() ||
        (trigger != SelectedClicked && trigger != EditKeyPressed && trigger != AllEditTriggers))
        return QTreeView::edit(index, NoEditTriggers, event);
    const QModelIndex cell = model_->index(index.row(), header_->logicalIndex(selectedSubItem_));
    bool allow = true;
    if (OnCanEditCell) OnCanEditCell(cell.row(), cell.column(), allow);
    return allow && QTreeView::edit(cell, AllEditTriggers, event);
}

void RichListView::CopyToClipboard(bool selectedOnly) const {
    const int selected = SelectedRow();
    QString text;
    if ((SubItemSelect || SubItemEdit) && selected >= 0) {
        text = GetCellText(header_->logicalIndex(selectedSubItem_), selected);
    } else {
        std::vector<int> rows;
        if (selectedOnly) {
            for (const QModelIndex& index : selectionModel()->selectedRows())
                rows.push_back(index.row());
            std::sort(rows.begin(), rows.end());
        } else {
            rows.resize(static_cast<std::size_t>(RowCount()));
            std::iota(rows.begin(), rows.end(), 0);
        }
        for (int row : rows)
            text += model_->Cells(row).join(u'\t') + QLatin1String("\r\n");
    }
    QGuiApplication::clipboard()->setText(text);
}

void RichListView::PasteFromClipboard() {
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    if (!clipboard || !clipboard->hasText()) return;
    const QString text = clipboard->text();
    const int selected = SelectedRow();
    if (SubItemSelect || SubItemEdit) {
        if (selected >= 0) SetCellText(header_->logicalIndex(selectedSubItem_), selected, text);
        return;
    }
    // Each line ended by a carriage return is a row; what follows the last one is no line.
    QStringList lines = text.split(u'\r');
    lines.removeLast();
    if (lines.isEmpty()) return;
    std::vector<QStringList> rows;
    rows.reserve(static_cast<std::size_t>(lines.size()));
    for (QString& line : lines) {
        if (line.startsWith(u'\n')) line.remove(0, 1);
        QStringList fields = line.split(u'\t');
        if (fields.size() > kMaxPasteColumns) fields.resize(kMaxPasteColumns);
        // Rows with fixed columns take what fits.
        while (ColumnCount() < fields.size())
            if (AddColumn(QString(), 64) < 0) break;
        rows.push_back(std::move(fields));
    }
    const int first = RowCount();
    model_->AppendRows(std::move(rows));
    const int last = RowCount() - 1;
    selectionModel()->select(QItemSelection(model_->index(first, 0), model_->index(last, 0)),
                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selectionModel()->setCurrentIndex(model_->index(last, 0), QItemSelectionModel::NoUpdate);
    scrollToBottom();
}

void RichListView::CutToClipboard() {
    CopyToClipboard(true);
    DeleteSelected();
}

void RichListView::DeleteSelected() {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    model_->DeleteRows(std::move(rows));
}

QString RichListView::GetCellHint(int row, int column) const {
    QString text = GetCellText(column, row);
    if (text.isEmpty()) return {};
    CellStyle look{palette().color(QPalette::Base), font(), palette().color(QPalette::Text)};
    model_->StyleCell(row, column - 1, look);
    if (OnDrawItemProp) OnDrawItemProp(row, column - 1, 0, look, text);
    if (text.startsWith(QLatin1String("{\\"))) text = RtfPlainText(text);
    int width = 0;
    if (IsHtml(text) && HTMLHint) {
        width = RenderHtml(nullptr, text, QRect(0, 0, 1 << 20, RowHeight()),
                           MarkupContext(look.Font, look.FontColor))
                    .Width;
    } else {
        if (IsHtml(text)) text = HtmlPlainText(text);
        width = QFontMetrics(look.Font).horizontalAdvance(text);
    }
    return columnWidth(column) < width + 4 ? text : QString();
}

bool RichListView::viewportEvent(QEvent* event) {
    // With AutoHint the hover timer shows the hints; the view's own tool tip would hide them again.
    if (event->type() == QEvent::ToolTip && AutoHint) return true;
    return QTreeView::viewportEvent(event);
}

void RichListView::ShowCellHint() {
    if (!AutoHint || !hintCell_.isValid()) return;
    const QString hint = GetCellHint(hintCell_.row(), hintCell_.column());
    // Over the cell itself, so the full text covers the cut one.
    const QRect cell = visualRect(hintCell_);
    if (!hint.isEmpty()) QToolTip::showText(viewport()->mapToGlobal(cell.topLeft()), hint, viewport(), cell);
}

void RichListView::scrollContentsBy(int dx, int dy) {
    QTreeView::scrollContentsBy(dx, dy);
    // A moved picture background would not line up with the part that stays: paint it all again.
    if (!wallpaper_.isNull()) viewport()->update();
}

void RichListView::ShowScrollHint(int value) {
    if (!ScrollHint) return;
    const QModelIndex top = model_->index(qBound(0, value, qMax(0, RowCount() - 1)), 0);
    const QPoint cursor = QCursor::pos();
    QToolTip::showText(QPoint(cursor.x() + 10, cursor.y()), GetCellText(0, top.row()), this);
}
