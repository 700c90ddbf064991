#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

// Composes an inventory upload request; nothing is sent.
class UploadWindow : public QDialog {
    Q_OBJECT
  public:
    explicit UploadWindow(QWidget* parent = nullptr);

    QLineEdit* Edit1;     // set number
    QComboBox* ComboBox1; // source
    QLineEdit* Edit2;     // file to upload, filled by Browse
    QLineEdit* Edit3;
    QPushButton* Button1; // Browse...
    QPushButton* BitBtn1; // Send
    QPushButton* BitBtn2; // Cancel

    // Asks for a .prn file; empty when the user cancels. A file dialog unless replaced.
    std::function<QString()> ChooseFile;
    // Receives the composed request (the main window puts it into its set-name edit).
    std::function<void(const QString&)> OnRequestComposed;

    void Button1Click();
    void BitBtn1Click();
};
