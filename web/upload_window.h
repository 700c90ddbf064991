#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class UserPrompts;

// Composes an inventory upload request; nothing is sent.
class UploadWindow : public QDialog {
    Q_OBJECT
  public:
    // The file to upload is chosen through prompts.
    explicit UploadWindow(UserPrompts& prompts, QWidget* parent = nullptr);

    QLineEdit* Edit1;     // set number
    QComboBox* ComboBox1; // source
    QLineEdit* Edit2;     // file to upload, filled by Browse
    QLineEdit* Edit3;
    QPushButton* Button1; // Browse...
    QPushButton* BitBtn1; // Send
    QPushButton* BitBtn2; // Cancel

    void Button1Click();
    void BitBtn1Click();

  signals:
    // The composed request (the main window puts it into its set-name edit).
    void RequestComposed(const QString& request);

  private:
    UserPrompts& prompts_;
};
