#pragma once

#include <QLabel>
#include <QRect>
#include <QRegularExpressionValidator>
#include <QString>
#include <QWidget>
#include <utility>

// Controls carry the names the settings file and the window code find them by.
template <typename T, typename... Args> T* MakeNamed(QWidget* parent, const char* name, Args&&... args) {
    T* widget = new T(std::forward<Args>(args)..., parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

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
