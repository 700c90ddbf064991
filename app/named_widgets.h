#pragma once

#include <QLabel>
#include <QRect>
#include <QRegularExpressionValidator>
#include <QString>
#include <QWidget>

#include "ui/kit/make_named.h"

// A label whose texts, often from files ("&", "<b>"), are shown as they are.
inline QLabel* MakePlainLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    QLabel* label = MakeNamed<QLabel>(parent, name, text);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

// Quantity and bag boxes take up to nine digits: any such number fits an int.
inline QValidator* MakeQuantityValidator(QObject* parent) {
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), parent);
}
