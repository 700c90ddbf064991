#pragma once

#include <QDialog>

class KitScrollText;
class MouseRegion;
class ShapedForm;

// The borderless About box in the shape of its picture; a click anywhere closes it.
class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);

    // Puts the program version into the credits and shows the box modally.
    void ShowAbout();

    ShapedForm* ShapedForm1;
    KitScrollText* KitScrollText1; // credits, scrolling while the box is shown
    MouseRegion* MouseRegion1;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};
