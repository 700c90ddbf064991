#pragma once

#include <functional>

class QComboBox;
class QPainter;
class QRect;

// Paints an owner-drawn combo box: its frame and button by the style, then the chosen item through
// paintItem in the text field (nothing when no item is chosen).
void PaintOwnerDrawCombo(QComboBox& box, const std::function<void(QPainter&, const QRect& field)>& paintItem);
