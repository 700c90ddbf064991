#include "ui/owner_draw_combo.h"

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
