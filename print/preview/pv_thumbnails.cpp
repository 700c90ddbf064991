#include "print/preview/pv_thumbnails.h"

#include <QPainter>
#include <QScrollBar>

PvThumbnails::PvThumbnails(QWidget* parent) : QScrollArea(parent), strip_(new QWidget) {
    setWidget(strip_);
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Window);
    resize(240, 115);
}

QString PvThumbnails::CaptionOf(int page) const {
    return QString(PageCaptions).replace(QLatin1Char('#'), QString::number(page));
}

void PvThumbnails::PreviewNotice(int notice) {
    if (notice == pvnBeginUpdate) return;
    if (notice == pvnCurrentPage && Preview() && Count() == Preview()->PageCount())
        Select(Preview()->CurrentPage());
    else
        Rebuild();
}

void PvThumbnails::Rebuild() {
    PvPreview* preview = Preview();
    const int pages = preview ? preview->PageCount() : 0;
    if (preview && preview->Pages().Updating()) return;
    while (Count() > pages) {
        delete thumbs_.back();
        thumbs_.pop_back();
    }
    while (Count() < pages) {
        auto* thumb = new PvPaperImage(strip_);
        const int page = Count() + 1;
        thumb->OnClick = [this, page] {
            Select(page);
            if (Preview()) Preview()->SetCurrentPage(page);
        };
        thumb->OnAfterPaint = [this, page](QPainter& painter) { PaintCaption(painter, page); };
        thumb->setContextMenuPolicy(Qt::CustomContextMenu);
        // unguarded: selects a page and pops a menu up only
        connect(thumb, &QWidget::customContextMenuRequested, this, [this, thumb](QPoint at) {
            thumb->OnClick();
            if (ThumbPopup) ThumbPopup->popup(thumb->mapToGlobal(at));
        });
        thumbs_.push_back(thumb);
    }
    const int captionHeight = ShowCaption ? QFontMetrics(CaptionFont).height() : 0;
    int x = 0, y = 0, rowHeight = 0;
    for (int i = 0; i < pages; ++i) {
        PvPaperImage* thumb = thumbs_[static_cast<size_t>(i)];
        thumb->SetPage(&preview->Pages(), i + 1);
        thumb->SetZoom(ThumbSize + 2);
        thumb->SetBorder(QMargins(ThumbSpacing, ThumbSpacing, ThumbSpacing, ThumbSpacing + captionHeight));
        thumb->Shadow = &Shadow;
        thumb->ShowObjects = !PlainPages;
        const QSize sheet = thumb->SheetSize(96);
        const QSize size(sheet.width() + 2 * ThumbSpacing, sheet.height() + 2 * ThumbSpacing + captionHeight);
        const bool newRow = Layout == pvThumbVert || (Layout == pvThumbGrid && i > 0 && i % GridWidth == 0);
        if (i > 0 && newRow) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        thumb->setGeometry(x, y, size.width(), size.height());
        thumb->show();
        x += size.width();
        rowHeight = std::max(rowHeight, size.height());
    }
    QRect all;
    for (PvPaperImage* thumb : thumbs_)
        all |= thumb->geometry();
    strip_->resize(all.size().expandedTo(QSize(1, 1)));
    selected_ = 0;
    if (preview) Select(preview->CurrentPage());
}

void PvThumbnails::Select(int page) {
    if (page < 1 || page > Count()) return;
    const int previous = selected_;
    selected_ = page;
    for (int changed : {previous, page}) {
        if (changed < 1 || changed > Count()) continue;
        // With a background highlight the selected thumbnail is filled before its page is painted.
        PvPaperImage* thumb = Thumbnail(changed);
        const bool filled = Highlight && HighlightStyle == pvBackground && changed == selected_;
        thumb->setAutoFillBackground(filled);
        QPalette colours = thumb->palette();
        colours.setColor(QPalette::Window, SelectedColor);
        thumb->setPalette(colours);
        thumb->update();
    }
    if (ScrollIntoView) ensureWidgetVisible(Thumbnail(page), 0, 0);
}

void PvThumbnails::PaintCaption(QPainter& painter, int page) const {
    const PvPaperImage* thumb = Thumbnail(page);
    const QRect sheet = thumb->SheetRect();
    const bool selected = Highlight && page == selected_;
    painter.setClipping(false);
    if (selected && HighlightStyle != pvBackground) {
        const int width = HighlightStyle == pvThinLine ? 1 : 3;
        painter.setPen(QPen(SelectedColor, width));
        painter.drawRect(sheet.adjusted(-width, -width, width, width));
    }
    if (!ShowCaption) return;
    QColor color = selected ? SelectedColor : palette().color(QPalette::WindowText);
    // On a background fill of the same colour the caption takes the complement.
    if (selected && HighlightStyle == pvBackground)
        color = QColor(255 - color.red(), 255 - color.green(), 255 - color.blue());
    painter.setPen(color);
    painter.setFont(CaptionFont);
    painter.drawText(
        QRect(0, sheet.bottom() + Shadow.Width + 2, thumb->width(), QFontMetrics(CaptionFont).height()),
        Qt::AlignHCenter | Qt::AlignTop, CaptionOf(page));
}
