#pragma once

#include <QPointer>
#include <QStringList>
#include <vector>

#include "ui/forms/form_placement.h"
#include "ui/forms/stored_values.h"

// A window's placement plus a list of its controls' properties and named values in the settings file.
//
//     FormStorage1 = new FormStorage(this, settings, prompts, "TForm5", {"Edit1.Text", "Memo1.Lines"});
//
// Stored entries are "control.Property": the control is found by object name among the window's children;
// the property by its own name, its lower-case twin, a Qt equivalent ("Caption" -> text, "Position" ->
// value, "Lines" -> plainText ...) or a dynamic property. The key is "control_Property".
class FormStorage : public FormPlacement {
    Q_OBJECT
  public:
    FormStorage(QWidget* form, IniFile& ini, UserPrompts& prompts, QString section,
                QStringList storedProps = {});
    ~FormStorage() override;

    const QStringList& StoredProps() const { return storedProps_; }
    // Named values kept beside the properties.
    StoredValues& Values() { return values_; }

  protected:
    void SaveProperties() override;
    void RestoreProperties() override;

  private:
    struct Bound {
        QString key;
        PropertyRef property;
        QPointer<QObject> object;
    };
    const std::vector<Bound>& BoundProperties();

    QStringList storedProps_;
    StoredValues values_;
    std::vector<Bound> bound_;
    bool isBound_ = false;
};
