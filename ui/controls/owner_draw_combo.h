#pragma once

#include <QStyledItemDelegate>
#include <functional>

class QComboBox;
class QPainter;
class QRect;

// Paints an owner-drawn combo box: its frame and button by the style, then the chosen item through
// paintItem in the text field (nothing when no item is chosen).
void PaintOwnerDrawCombo(QComboBox& box, const std::function<void(QPainter&, const QRect& field)>& paintItem);

// Draws the items of an owner-drawn list: the background (highlighted when selected), the pen in the text
// colour, then paintItem. Items are as high as the font, at least minHeight.
class OwnerDrawDelegate : public QStyledItemDelegate {
  public:
    using PaintItem = std::function<void(QPainter&, const QRect&, const QModelIndex&, const QColor& text)>;
    OwnerDrawDelegate(QObject* parent, PaintItem paintItem, int minHeight, int extraWidth = 0)
        : QStyledItemDelegate(parent), paintItem_(std::move(paintItem)), minHeight_(minHeight),
          extraWidth_(extraWidth) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    PaintItem paintItem_;
    int minHeight_, extraWidth_;
};
