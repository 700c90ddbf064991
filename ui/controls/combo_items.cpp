#include "ui/controls/combo_items.h"

#include <QComboBox>

void ShowComboItems(QComboBox& box, const QStringList& items, const QString& current) {
    QStringList shown;
    for (int i = 0; i < box.count(); ++i)
        shown << box.itemText(i);
    if (shown != items) {
        box.clear();
        box.addItems(items);
    }
    const int index = static_cast<int>(items.indexOf(current));
    if (box.currentIndex() != index) box.setCurrentIndex(index);
}
