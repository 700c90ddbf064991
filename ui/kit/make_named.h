#pragma once

#include <QLatin1String>
#include <QWidget>
#include <stdexcept>
#include <string>
#include <utility>

// Controls carry the names the settings file and the window code find them by.
template <typename T, typename... Args> T* MakeNamed(QWidget* parent, const char* name, Args&&... args) {
    T* widget = new T(std::forward<Args>(args)..., parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The control of that name and type under `parent`. A missing one is a fault of the caller, not a null.
template <typename T> T* FindNamed(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QLatin1String(name));
    if (!found) throw std::logic_error(std::string("no control named ") + name);
    return found;
}
