#pragma once

#include <QDialog>

#include "app/inventory_host.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class StoredFolders;
class UserPrompts;

// True when folder looks like an LDraw library: it holds LDRAW.EXE (any case) or both a parts and a p folder.
bool IsLDrawLibrary(const QString& folder);

// "Additional Set Information": the set's eight information fields, the LDraw folder of the shared folders,
// and the settings other windows read (web service account, LDView folder and options).
class SettingsDialog : public QDialog {
    Q_OBJECT
  public:
    // The LDraw folder edit shows the folders' one and changes it.
    SettingsDialog(UserPrompts& prompts, StoredFolders& folders, QWidget* parent = nullptr);

    QString SetInformation(SetField field) const;
    void SetSetInformation(SetField field, const QString& value);

    // Ends with a path separator once chosen here.
    QString LdrawFolder() const;
    QString UserName() const;
    QString Password() const;
    QString LDViewFolder() const;
    // The option lines run together: a line may stop in the middle of an option.
    QString LDViewCommandLine() const;

    void BitBtn2Click(); // LDraw "Directory"
    void BitBtn3Click(); // LDView "Directory"
    void Edit1Change();

    QLineEdit* Theme;
    QLineEdit* Year;
    QLineEdit* Pcs;
    QLineEdit* Figs;
    QLineEdit* MSRP;
    QLineEdit* InvBy;
    QLineEdit* Source;
    QLineEdit* Date;
    QPushButton* BitBtn1; // OK
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QLineEdit* Edit1;      // LDraw folder
    QLineEdit* Edit2;      // user name
    QLineEdit* Edit3;      // password
    QLineEdit* Edit4;      // LDView folder
    QPlainTextEdit* Memo1; // LDView options
    QWidget* LDViewPanel;

  signals:
    // A set-information field changed in its edit.
    void SetInformationEdited(SetField field, const QString& value);

  private:
    QLineEdit* FieldEdit(SetField field) const;
    // Lets the user pick a folder into edit; returns the chosen folder, empty when cancelled.
    QString ChooseFolderInto(QLineEdit* edit);

    UserPrompts& prompts_;
    StoredFolders& folders_;
};
