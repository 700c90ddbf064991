#pragma once

#include <QColor>
#include <QMargins>
#include <QRect>
#include <QWidget>
#include <functional>

#include "print/preview/pv_resources.h"
#include "print/preview/pv_units.h"

class PvPageList;
class PvDrawContext;
class QMimeData;

// The shadow under a sheet, in screen pixels.
struct PvShadow {
    QColor Color = Qt::black;
    int Width = 3;
    bool Visible = true;
};

enum PvGridStyle { pvNoGrid, pvDots, pvLines };

// A grid over the page, every Spacing.
struct PvPageGrid {
    PvGridStyle GridStyle = pvNoGrid;
    PvPen GridPen{0xC0C0C0, 1, psSolid, pmCopy};
    PvValue Spacing{5 / 25.4L};

    // Lines or dots at every spacing from the page's corner, none on its left or top edge, in a space of
    // `resolution` units per inch.
    void Draw(QPainter& painter, const PvPoint& pageInches, int resolution) const;
};

// Shows one page of a page list on screen: scaled to a zoom, centred within a border, with the margins, the
// grid and a shadow. Mouse positions are reported in page inches as well.
class PvPaperImage : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kResolution = 600; // logical units per inch the page is drawn in

    explicit PvPaperImage(QWidget* parent = nullptr);

    // The page n of pages, or none (0).
    void SetPage(const PvPageList* pages, int n);
    int PageNumber() const { return page_; }
    int Zoom() const { return zoom_; }
    void SetZoom(int percent);
    const QMargins& Border() const { return border_; }
    void SetBorder(const QMargins& border);
    void BeginUpdate() { ++updates_; }
    void EndUpdate();
    const PvShadow* Shadow = nullptr;
    const PvPageGrid* Grid = nullptr;
    // Objects are left out of plain pages.
    bool ShowObjects = true;
    // The object drawn outlined in red, or none.
    const class PvVisibleObject* Selected = nullptr;

    // The page's size in inches (A4's without a page).
    PvPoint PageInches() const;
    // The sheet at r pixels per inch and the zoom.
    QSize SheetSize(int r) const;
    // Where the sheet lies in the control, centred inside the border.
    QRect SheetRect() const;
    // A control position in page inches.
    PvPoint ToPage(QPoint pixel) const;

    std::function<void(QPainter&)> OnAfterPaint;
    std::function<void(Qt::MouseButton, PvPoint)> OnPageMouseDown, OnPageMouseUp;
    std::function<void(PvPoint)> OnPageMouseMove;
    std::function<void()> OnClick;
    // Drops are taken only where OnPageDragOver accepts them.
    std::function<void(const QMimeData& dragged, PvPoint at, bool& accept)> OnPageDragOver;
    std::function<void(const QMimeData& dragged, PvPoint at)> OnPageDragDrop;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void DragOver(QDropEvent* event);
    void DrawMargins(QPainter& painter, const PvPoint& page) const;

    const PvPageList* pages_ = nullptr;
    int page_ = 0;
    int zoom_ = 20;
    QMargins border_{30, 30, 30, 30};
    int updates_ = 0;
};
