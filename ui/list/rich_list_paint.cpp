// Painting of the report list's rows: cell colours, selection, check boxes, images, links, markup and
// rich-text cells, and the detail line.
#include <QFileIconProvider>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QTextCursor>
#include <QTextDocument>

#include "ui/list/mini_html.h"
#include "ui/list/rich_header_view.h"
#include "ui/list/rich_list_view.h"
#include "ui/list/rtf_text.h"

namespace {

constexpr int kCheckBoxSide = 14;

int VerticalFlag(VAlignment alignment) {
    return alignment == vtaTop ? Qt::AlignTop : alignment == vtaBottom ? Qt::AlignBottom : Qt::AlignVCenter;
}

// Where a box of the given height goes in a cell; never above the cell.
int PlaceVertically(VAlignment alignment, const QRect& cell, int height) {
    const int y = alignment == vtaTop      ? cell.top()
                  : alignment == vtaBottom ? cell.bottom() + 1 - height
                                           : cell.top() + (cell.height() - height) / 2;
    return qMax(y, cell.top());
}

// A link cell shows its address without the protocol part.
QString LinkCaption(QString text) {
    const qsizetype protocol = text.indexOf(QLatin1String("://"));
    if (protocol >= 0) return text.mid(protocol + 3);
    const qsizetype mail = text.indexOf(QLatin1String("mailto:"));
    return mail >= 0 ? text.mid(mail + 7) : text;
}

} // namespace

QColor ReadableTextColor(const QColor& background) {
    // Perceived lightness (ITU-R BT.601 weights).
    const int lightness =
        (299 * background.red() + 587 * background.green() + 114 * background.blue()) / 1000;
    return lightness >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

int RichListView::RowHeight() const {
    return qMax(itemHeight_, fontMetrics().height() + 2);
}

int RichListView::DetailHeight() const {
    if (!DetailView.Visible()) return 0;
    // The cells keep at least a line of text however tall the detail line is set.
    return qBound(0, DetailView.Height(), qMax(0, RowHeight() - (fontMetrics().height() + 2)));
}

void RichListView::SetItemHeight(int height) {
    if (height < 1 || height == itemHeight_) return;
    itemHeight_ = height;
    Remeasure();
}

void RichListView::Remeasure() {
    doItemsLayout();
    viewport()->update();
}

void RichListView::SetVAlignment(VAlignment alignment) {
    vAlignment_ = alignment;
    viewport()->update();
}

void RichListView::SetPictures(PictureContainer* pictures) {
    pictures_ = pictures;
    viewport()->update();
}

void RichListView::SetWallpaper(const QPixmap& wallpaper) {
    wallpaper_ = wallpaper;
    QPalette colours = viewport()->palette();
    colours.setBrush(QPalette::Base,
                     wallpaper.isNull() ? palette().brush(QPalette::Base) : QBrush(wallpaper));
    viewport()->setPalette(colours);
    viewport()->update();
}

HtmlContext RichListView::MarkupContext(const QFont& font, const QColor& colour) const {
    HtmlContext context;
    context.Font = font;
    context.TextColor = colour;
    context.Pictures = pictures_;
    context.PictureCache = pictureCache_.get();
    context.TextCache = textCache_.get();
    context.Images = &SmallImages;
    context.ShellIcon = [](const QString& path, bool large) {
        QFileIconProvider icons;
        QFileInfo file(path);
        // A path that is no file or folder is shown by its extension only.
        if (!file.exists()) file = QFileInfo(QStringLiteral("file.") + QFileInfo(path).suffix());
        const int side = large ? 32 : 16;
        return icons.icon(file).pixmap(side, side);
    };
    context.AnchorColor = URLColor;
    context.HoverAnchor = hoverAnchor_;
    context.WordWrap = WordWrap;
    return context;
}

void RichListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    const int row = index.row();
    int state = 0;
    if (selectionModel()->isSelected(model_->index(row, 0))) state |= odSelected;
    if (currentIndex().row() == row) state |= odFocused;
    DrawItemCells(*painter, row,
                  QRect(-header_->offset(), option.rect.top(), header_->length(), option.rect.height()),
                  state);
}

void RichListView::DrawItemCells(QPainter& painter, int row, const QRect& rect, int state) const {
    if (row < 0 || row >= RowCount() || !painter.isActive()) return;
    const QRect cells(rect.left(), rect.top(), rect.width(), rect.height() - DetailHeight());
    const int visibleLeft = 0, visibleRight = viewport()->width();
    for (int position = 0; position < header_->count(); ++position) {
        const int column = header_->logicalIndex(position);
        if (header_->isSectionHidden(column)) continue;
        const QRect cell(header_->sectionViewportPosition(column), cells.top(), header_->sectionSize(column),
                         cells.height());
        if (cell.right() < visibleLeft || cell.left() > visibleRight) continue;
        painter.save();
        painter.setClipRect(cell, Qt::IntersectClip);
        DrawCell(painter, row, position, cell, state);
        painter.restore();
    }
    if (DetailView.Visible()) DrawDetail(painter, row, rect, state);
    if ((state & odSelected) && (state & odFocused) && hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = RowSelect ? rect : CellArea(row, selectedSubItem_);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    if (OnDrawItem) OnDrawItem(painter, row, rect, state);
}

QRect RichListView::CellArea(int row, int position) const {
    const int column = header_->logicalIndex(position);
    const QRect rowRect = visualRect(model_->index(row, 0));
    return QRect(header_->sectionViewportPosition(column), rowRect.top(), header_->sectionSize(column),
                 rowRect.height() - DetailHeight());
}

void RichListView::DrawCell(QPainter& painter, int row, int position, const QRect& cell, int state) const {
    const int column = header_->logicalIndex(position);
    QString text = model_->GetCellText(column, row);
    const QPalette& colours = palette();
    CellStyle look{colours.color(QPalette::Base), font(), colours.color(QPalette::Text)};
    const bool selected = state & odSelected;
    if (selected) look = {SelectionColor, font(), SelectionTextColor};
    if ((state & (odSelected | odFocused)) && !RowSelect && position != selectedSubItem_)
        look = {colours.color(QPalette::Base), font(), colours.color(QPalette::Text)};
    model_->StyleCell(row, column - 1, look);
    if (OnDrawItemProp) OnDrawItemProp(row, column - 1, state, look, text);
    // The selection colours win over whatever the event chose.
    const bool subItemMode = SubItemSelect || SubItemEdit;
    const bool highlighted = selected && ((subItemMode && position == selectedSubItem_) || RowSelect ||
                                          (position == 0 && !SubItemSelect));
    if (highlighted) {
        look.Brush = SelectionColor;
        look.FontColor = SelectionTextColor;
    }
    const bool html = IsHtml(text);
    if (URLShow && !html && IsLinkText(text)) {
        if (!(selected && RowSelect)) {
            look.Font.setUnderline(true);
            look.FontColor = URLColor;
        }
        if (!URLFull) text = LinkCaption(text);
    }
    if (wallpaper_.isNull() || highlighted) painter.fillRect(cell, look.Brush);

    const CellLayout layout = LayoutCell(row, position, cell);
    if (!layout.box.isNull()) {
        const bool checked = model_->State(row).Checked;
        if (!CheckTrueGlyph.isNull() && !CheckFalseGlyph.isNull()) {
            painter.drawPixmap(layout.box.topLeft(), checked ? CheckTrueGlyph : CheckFalseGlyph);
        } else {
            QStyleOptionButton box;
            box.initFrom(this);
            box.rect = layout.box;
            box.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
            style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, this);
        }
    }
    if (layout.image >= 0) painter.drawPixmap(layout.imageRect.topLeft(), SmallImages[layout.image]);
    DrawCellText(painter, text, layout.text, column, look, selected);
}

RichListView::CellLayout RichListView::LayoutCell(int row, int position, const QRect& cell) const {
    CellLayout layout;
    layout.cell = cell;
    const int column = header_->logicalIndex(position);
    const ItemState& item = model_->State(row);
    int x = cell.left();
    if (position == 0 && CheckBoxes) {
        if (!CheckTrueGlyph.isNull() && !CheckFalseGlyph.isNull()) {
            const QSize size = (item.Checked ? CheckTrueGlyph : CheckFalseGlyph).size();
            layout.box = QRect(QPoint(x, PlaceVertically(vAlignment_, cell, size.height())), size);
            x += size.width() + 4;
        } else {
            layout.box =
                QRect(x + 2, PlaceVertically(vAlignment_, cell, kCheckBoxSide), kCheckBoxSide, kCheckBoxSide);
            x += 18;
        }
    }
    const int image = column == 0                                       ? item.ImageIndex
                      : SubImages && column - 1 < item.SubImages.size() ? item.SubImages[column - 1]
                                                                        : -1;
    if (image >= 0 && image <= 65534 && image < SmallImages.size()) {
        const QSize size = SmallImages[image].size();
        layout.image = image;
        layout.imageRect = QRect(QPoint(x + 2, PlaceVertically(vAlignment_, cell, size.height())), size);
        x += 2 + size.width() + 2;
    }
    if (position == 0) x += item.Indent * 16;
    layout.text = QRect(x, cell.top(), qMax(0, cell.right() + 1 - x), cell.height());
    return layout;
}

void RichListView::DrawCellText(QPainter& painter, const QString& text, QRect rect, int column,
                                const CellStyle& look, bool selected) const {
    painter.setFont(look.Font);
    painter.setPen(look.FontColor);
    if (text.startsWith(QLatin1String("{\\"))) {
        if (std::unique_ptr<QTextDocument> document = RtfDocument(text, look.Font)) {
            const int margin = 2 * painter.device()->logicalDpiX() / 96;
            if (selected && !SelectionRTFKeep) {
                QTextCursor all(document.get());
                all.select(QTextCursor::Document);
                QTextCharFormat colour;
                colour.setForeground(SelectionTextColor);
                all.mergeCharFormat(colour);
            } else {
                painter.fillRect(rect, palette().color(QPalette::Base));
            }
            document->setTextWidth(qMax(0, rect.width() - margin));
            painter.save();
            painter.translate(rect.topLeft() + QPoint(margin, margin));
            document->drawContents(&painter, QRectF(0, 0, rect.width() - margin, rect.height() - margin));
            painter.restore();
            return;
        }
    }
    if (IsHtml(text)) {
        RenderHtml(&painter, text, rect.adjusted(2, 0, 0, 0), MarkupContext(look.Font, look.FontColor));
        return;
    }
    rect.adjust(2, 0, -2, 0);
    const int flags = Qt::TextExpandTabs | VerticalFlag(vAlignment_) | int(ColumnAlignment(column)) |
                      (WordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    // A text holding a line break is drawn whole, without the ellipsis.
    const bool elide = !WordWrap && !text.contains(u'\r');
    painter.drawText(rect, flags,
                     elide ? painter.fontMetrics().elidedText(text, Qt::ElideRight, rect.width()) : text);
}

void RichListView::DrawDetail(QPainter& painter, int row, const QRect& rowRect, int state) const {
    const int height = DetailHeight();
    QRect detail(rowRect.left(), rowRect.bottom() + 1 - height, rowRect.width(), height);
    painter.save();
    if (DetailView.SplitLine()) {
        painter.setPen(Qt::black);
        painter.drawLine(detail.topLeft(), detail.topRight());
        detail.setTop(detail.top() + 1);
    }
    detail.setLeft(detail.left() + DetailView.Indent());
    const QString text = model_->GetCellText(DetailView.Column(), row);
    const QColor colour = (state & odSelected) ? SelectionTextColor : DetailView.FontColor();
    painter.setFont(DetailView.Font());
    painter.setPen(colour);
    if (IsHtml(text))
        RenderHtml(&painter, text, detail, MarkupContext(DetailView.Font(), colour));
    else
        painter.drawText(detail, Qt::TextExpandTabs | Qt::TextWordWrap, text);
    painter.restore();
}
