#pragma once

#include <QLatin1String>
#include <QWidget>
#include <utility>

// Controls carry the names the settings file and the window code find them by.
template <typename T, typename... Args> T* MakeNamed(QWidget* parent, const char* name, Args&&... args) {
    T* widget = new T(std::forward<Args>(args)..., parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}
