#pragma once

#include <QHeaderView>
#include <QTimer>
#include <vector>

class QLineEdit;
class QToolButton;
class RichListView;

// The header of a report list: captions in the list's header font, in a height that follows that font,
// with the list's own sort indicator; column tracking can be refused by the list.
class RichHeaderView : public QHeaderView {
    Q_OBJECT
  public:
    explicit RichHeaderView(RichListView& list);

    QSize sizeHint() const override;

    // A row of filter boxes under the captions, each with a filter button.
    bool FilterBar() const { return filterBar_; }
    void SetFilterBar(bool on);
    QString FilterText(int column) const;
    // Puts the filter boxes under their columns again (after sizing, moving or scrolling).
    void PlaceFilters();

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    struct Filter {
        QLineEdit* edit;
        QToolButton* button;
    };

    int CaptionHeight() const;
    void MakeFilters();
    // The column whose right divider is under x, or -1.
    int DividerAt(int x) const;
    // Draws the sort indicator at the left or right of the rectangle and takes its width off it.
    void DrawSortIndicator(QPainter& painter, QRect& rect) const;

    RichListView& list_;
    bool filterBar_ = false;
    std::vector<Filter> filters_;
    QTimer filterTimer_;
    int changedFilter_ = -1;
    int tracked_ = -1;
    bool refused_ = false;
};
