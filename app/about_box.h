#pragma once

#include <QDialog>

class MouseRegion;
class QLabel;
class ShapedWindow;

// The borderless About box in the shape of its picture; a click anywhere closes it.
class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);

    // Puts the program version into the credits and shows the box modally.
    void ShowAbout();

    ShapedWindow* ShapedForm1;
    QLabel* KitScrollText1; // credits
    MouseRegion* MouseRegion1;
};
