#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QLabel;

// The borderless window shown while the master parts list loads.
class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SplashWindow(QWidget* parent = nullptr);

    // Shows itself at once, with the program's version.
    void ShowLoading(const QString& version);
    // One more dot behind the status.
    void ShowProgress();

    QLabel* Label1; // status, grows by " ." as loading progresses
    QLabel* Label2; // product name
    QLabel* Label3; // version

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QElapsedTimer sinceRepaint_;
};
