#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

// The small borderless window showing how far a report has been composed or printed. While it is up it
// is the only window that takes input: its Cancel button.
class PrintBarForm : public QDialog {
    Q_OBJECT
  public:
    explicit PrintBarForm(QWidget* parent = nullptr);

    // Each repaints the window and lets its Cancel button be clicked.
    void SetCaption(const QString& text);
    void SetPosition(int position);
    void StepBy(int step);
    // How much of the longest wait for the print system to take a job has gone by (0 to 1).
    void ShowHandIn(double waited);
    // Closing the window, by its frame or Escape, is its Cancel; it stays up until its owner ends the work.
    void reject() override;

    QFrame* PrintPanel;
    QLabel* PrintCaption;
    QFrame* Panel2;
    QProgressBar* PrintBar;
    QPushButton* CancelBtn;

  signals:
    void Cancelled();

  private:
    void Refresh();
};
