#pragma once

#include <QColor>
#include <QFont>
#include <QMenu>
#include <QPointer>
#include <QScrollArea>
#include <vector>

#include "print/preview/pv_preview.h"

enum PvHighlightStyle { pvThinLine, pvThickLine, pvBackground };
enum PvThumbLayout { pvThumbHorz, pvThumbVert, pvThumbGrid };

// A strip or grid of small pictures of a preview's pages; clicking one shows its page.
class PvThumbnails : public QScrollArea, public PvLinkedControl {
    Q_OBJECT
  public:
    explicit PvThumbnails(QWidget* parent = nullptr);

    QFont CaptionFont;
    int GridWidth = 4;
    bool Highlight = true;
    PvHighlightStyle HighlightStyle = pvThickLine;
    PvThumbLayout Layout = pvThumbHorz;
    // Every "#" becomes the page number.
    QString PageCaptions = QStringLiteral("#");
    bool PlainPages = false;
    bool ScrollIntoView = true;
    QColor SelectedColor = Qt::blue;
    PvShadow Shadow{Qt::black, 2, true};
    bool ShowCaption = true;
    // Offered on a right click on a thumbnail, after its page was chosen.
    QPointer<QMenu> ThumbPopup;
    // Pages show at ThumbSize + 2 percent.
    int ThumbSize = 4;
    int ThumbSpacing = 8;

    int Count() const { return static_cast<int>(thumbs_.size()); }
    PvPaperImage* Thumbnail(int page) const { return thumbs_[static_cast<size_t>(page - 1)]; }
    int Selected() const { return selected_; }
    QString CaptionOf(int page) const;
    // One thumbnail per page, sized and arranged, the preview's page chosen.
    void Rebuild();

    void PreviewNotice(int notice) override;

  protected:
    void PreviewSet() override { Rebuild(); }

  private:
    void Select(int page);
    void PaintCaption(QPainter& painter, int page) const;

    QWidget* strip_;
    std::vector<PvPaperImage*> thumbs_;
    int selected_ = 0;
};
