#pragma once

#include <QProxyStyle>

// The application's style with one icon loaded when first drawn: the menu bar's extension button asks for it
// as the menu bar is built, and that first picture has every image plugin loaded, about 2 ms of start-up for
// a button that shows only when the menus do not fit.
class DeferredIconStyle : public QProxyStyle {
  public:
    // Takes over base, as QProxyStyle does.
    explicit DeferredIconStyle(QStyle* base) : QProxyStyle(base) {}
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override;
};
