#include "ui/controls/owner_draw_combo.h"

#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QStylePainter>

void PaintOwnerDrawCombo(QComboBox& box,
                         const std::function<void(QPainter&, const QRect& field)>& paintItem) {
    QStylePainter painter(&box);
    QStyleOptionComboBox option;
    option.initFrom(&box);
    option.editable = box.isEditable();
    option.frame = box.hasFrame();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (box.currentIndex() < 0) return;
    painter.setPen(box.palette().color(QPalette::Text));
    paintItem(painter,
              box.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box));
}

void OwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
    const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter->setPen(text);
    paintItem_(*painter, option.rect, index, text);
}

QSize OwnerDrawDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width() + extraWidth_,
            std::max(option.fontMetrics.height(), minHeight_)};
}
