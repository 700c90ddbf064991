#pragma once

#include <QHeaderView>

class RichListView;

// The header of a report list: captions in the list's header font, in a height that follows that font,
// with the list's own sort indicator; column tracking can be refused by the list.
class RichHeaderView : public QHeaderView {
    Q_OBJECT
  public:
    explicit RichHeaderView(RichListView& list);

    QSize sizeHint() const override;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    // The column whose right divider is under x, or -1.
    int DividerAt(int x) const;
    // Draws the sort indicator at the left or right of the rectangle and takes its width off it.
    void DrawSortIndicator(QPainter& painter, QRect& rect) const;

    RichListView& list_;
    int tracked_ = -1;
    bool refused_ = false;
};
