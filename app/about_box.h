#pragma once

#include <QDialog>
#include <QImage>

class QLabel;

// The borderless About box in the shape of its picture; a click anywhere closes it.
class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);

    // Puts the program version into the credits and shows the box modally.
    void ShowAbout();

    QLabel* KitScrollText1; // credits

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QImage picture_;
};
