#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

// Shows items in box with current chosen. The list is filled again only when its items changed: an open
// drop-down keeps its highlighted item through updates that change nothing.
void ShowComboItems(QComboBox& box, const QStringList& items, const QString& current);
