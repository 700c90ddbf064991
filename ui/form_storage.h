#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <vector>

#include "ui/form_storage_text.h"

class IniFile;
class QWidget;

// Keeps a window's placement and a list of its controls' properties in the settings file: restores them
// each time the window is shown and saves them when it is hidden (close, accept, reject, done) or destroyed.
//
//     FormStorage1 = new FormStorage(this, settings, "TForm5", {"Edit1.Text", "Memo1.Lines"});
//
// Stored entries are "control.Property": the control is found by object name among the window's children;
// the property by its own name, its lower-case twin, a Qt equivalent ("Caption" -> text, "Position" ->
// value, "Lines" -> plainText ...) or a dynamic property. The key is "control_Property".
class FormStorage : public QObject {
    Q_OBJECT
  public:
    enum Option { fpState = 1, fpPosition = 2 };

    // The storage becomes a child of form; ini must outlive it.
    FormStorage(QWidget* form, IniFile& ini, QString section, QStringList storedProps = {});
    ~FormStorage() override;

    bool Active = true;
    int Version = 0;
    int Options = fpState | fpPosition;
    std::function<void()> OnSavePlacement;
    std::function<void()> OnRestorePlacement;

    const QString& IniSection() const { return section_; }
    const QStringList& StoredProps() const { return storedProps_; }

    // Writes the placement and the stored properties and saves the file. Skipped while active for a window
    // that was never restored (never shown); the placement is written only once the window has been shown.
    void SaveAll();
    // Reads everything back when the file's FormVersion is at least Version.
    void RestoreAll();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Bound {
        QString key;
        PropertyRef property;
        QPointer<QObject> object;
    };

    void SaveAll(bool destroying);
    void SavePlacement(const ScreenFacts& screens, bool destroying);
    void RestorePlacement(const ScreenFacts& screens);
    void SaveProperties();
    void RestoreProperties();
    void SaveLines(const QString& listSection, const QStringList& lines);
    const std::vector<Bound>& BoundProperties();

    QPointer<QWidget> form_;
    IniFile& ini_;
    QString section_;
    QStringList storedProps_;
    std::vector<Bound> bound_;
    bool isBound_ = false;
    bool restored_ = false;
    bool saved_ = false;
    bool shown_ = false; // a window never shown has no placement of its own to keep
};
